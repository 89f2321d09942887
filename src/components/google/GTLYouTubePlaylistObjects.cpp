#include "components/google/GTLYouTubePlaylistObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePlaylist, GTLYouTubeResource,
                         made.declaredProperties = {"contentDetails", "localizations", "player", "snippet", "status"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePlaylistContentDetails, GTLObject, made.declaredProperties = {"itemCount"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePlaylistItem, GTLYouTubeResource,
                         made.declaredProperties = {"contentDetails", "snippet", "status"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePlaylistItemContentDetails, GTLObject,
                         made.declaredProperties = {"endAt", "note", "startAt", "videoId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePlaylistItemListResponse, GTLYouTubeListResponse,
                         made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubePlaylistItem::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePlaylistItemSnippet, GTLYouTubeSnippet,
                         made.declaredProperties = {"playlistId", "position", "resourceId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePlaylistItemStatus, GTLObject, made.declaredProperties = {"privacyStatus"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePlaylistListResponse, GTLYouTubeListResponse, made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubePlaylist::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePlaylistLocalization, GTLObject,
                         made.declaredProperties = {"descriptionProperty", "title"};
                         made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePlaylistLocalizations, GTLObject,
                         made.classForAdditionalProperties = &GTLYouTubePlaylistLocalization::classInfo;)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePlaylistPlayer, GTLObject, made.declaredProperties = {"embedHtml"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePlaylistSnippet, GTLYouTubeSnippet,
                         made.declaredProperties = {"defaultLanguage", "localized", "tags"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePlaylistStatus, GTLObject, made.declaredProperties = {"privacyStatus"};)

}  // namespace google
