#include "components/google/GTLYouTubeChannelObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannel, GTLYouTubeResource,
                         made.declaredProperties = {"auditDetails", "brandingSettings", "contentDetails",
                                                    "contentOwnerDetails", "conversionPings", "invideoPromotion",
                                                    "localizations", "snippet", "statistics", "status",
                                                    "topicDetails"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelAuditDetails, GTLObject,
                         made.declaredProperties = {"communityGuidelinesGoodStanding", "contentIdClaimsGoodStanding",
                                                    "copyrightStrikesGoodStanding", "overallGoodStanding"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelBannerResource, GTLObject, made.declaredProperties = {"ETag", "kind", "url"};
                         made.propertyToJSONKeyMap = {{"ETag", "etag"}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelBrandingSettings, GTLObject,
                         made.declaredProperties = {"channel", "hints", "image", "watch"};
                         made.arrayPropertyToClassMap = {{"hints", &GTLYouTubePropertyValue::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelContentDetails, GTLObject,
                         made.declaredProperties = {"googlePlusUserId", "relatedPlaylists"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelContentDetailsRelatedPlaylists, GTLObject,
                         made.declaredProperties = {"favorites", "likes", "uploads", "watchHistory", "watchLater"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelContentOwnerDetails, GTLObject,
                         made.declaredProperties = {"contentOwner", "timeLinked"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelConversionPing, GTLObject,
                         made.declaredProperties = {"context", "conversionUrl"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelConversionPings, GTLObject, made.declaredProperties = {"pings"};
                         made.arrayPropertyToClassMap = {{"pings", &GTLYouTubeChannelConversionPing::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelListResponse, GTLYouTubeListResponse, made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeChannel::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelLocalization, GTLObject,
                         made.declaredProperties = {"descriptionProperty", "title"};
                         made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelLocalizations, GTLObject,
                         made.classForAdditionalProperties = &GTLYouTubeChannelLocalization::classInfo;)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelSection, GTLYouTubeResource,
                         made.declaredProperties = {"contentDetails", "localizations", "snippet"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelSectionContentDetails, GTLObject,
                         made.declaredProperties = {"channels", "playlists"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelSectionListResponse, GTLYouTubeResponse, made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeChannelSection::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelSectionLocalization, GTLObject, made.declaredProperties = {"title"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelSectionLocalizations, GTLObject,
                         made.classForAdditionalProperties = &GTLYouTubeChannelSectionLocalization::classInfo;)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelSectionSnippet, GTLObject,
                         made.declaredProperties = {"channelId", "defaultLanguage", "localized", "position", "style",
                                                    "title", "type"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelSettings, GTLObject,
                         made.declaredProperties = {"country", "defaultLanguage", "defaultTab", "descriptionProperty",
                                                    "featuredChannelsTitle", "featuredChannelsUrls", "keywords",
                                                    "moderateComments", "profileColor", "showBrowseView",
                                                    "showRelatedChannels", "title", "trackingAnalyticsAccountId",
                                                    "unsubscribedTrailer"};
                         made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelSnippet, GTLObject,
                         made.declaredProperties = {"country", "customUrl", "defaultLanguage", "descriptionProperty",
                                                    "localized", "publishedAt", "thumbnails", "title"};
                         made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelStatistics, GTLObject,
                         made.declaredProperties = {"commentCount", "hiddenSubscriberCount", "subscriberCount",
                                                    "videoCount", "viewCount"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelStatus, GTLObject,
                         made.declaredProperties = {"isLinked", "longUploadsStatus", "privacyStatus"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeChannelTopicDetails, GTLObject, made.declaredProperties = {"topicIds"};)

}  // namespace google
