#include "components/google/GTLYouTubeActivityObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivity, GTLYouTubeResource,
                         made.declaredProperties = {"contentDetails", "snippet"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivityContentDetails, GTLObject,
                         made.declaredProperties = {"bulletin", "channelItem", "comment", "favorite", "like",
                                                    "playlistItem", "promotedItem", "recommendation", "social",
                                                    "subscription", "upload"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivityContentDetailsBulletin, GTLObject, made.declaredProperties = {"resourceId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivityContentDetailsChannelItem, GTLObject,
                         made.declaredProperties = {"resourceId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivityContentDetailsComment, GTLObject, made.declaredProperties = {"resourceId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivityContentDetailsFavorite, GTLObject, made.declaredProperties = {"resourceId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivityContentDetailsLike, GTLObject, made.declaredProperties = {"resourceId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivityContentDetailsPlaylistItem, GTLObject,
                         made.declaredProperties = {"playlistId", "playlistItemId", "resourceId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivityContentDetailsPromotedItem, GTLObject,
                         made.declaredProperties = {"adTag", "clickTrackingUrl", "creativeViewUrl", "ctaType",
                                                    "customCtaButtonText", "descriptionText", "destinationUrl",
                                                    "forecastingUrl", "impressionUrl", "videoId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivityContentDetailsRecommendation, GTLObject,
                         made.declaredProperties = {"reason", "resourceId", "seedResourceId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivityContentDetailsSocial, GTLObject,
                         made.declaredProperties = {"author", "imageUrl", "referenceUrl", "resourceId", "type"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivityContentDetailsSubscription, GTLObject,
                         made.declaredProperties = {"resourceId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivityContentDetailsUpload, GTLObject, made.declaredProperties = {"videoId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivityListResponse, GTLYouTubeListResponse, made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeActivity::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeActivitySnippet, GTLYouTubeSnippet, made.declaredProperties = {"groupId", "type"};)

}  // namespace google
