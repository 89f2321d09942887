#include "components/google/GTLYouTubeBaseObjects.h"

namespace google {

GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeResource, GTLObject, made.declaredProperties = {"ETag", "identifier", "kind"};
                         made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeResponse, GTLCollectionObject,
                         made.declaredProperties = {"ETag", "eventId", "kind", "visitorId"};
                         made.propertyToJSONKeyMap = {{"ETag", "etag"}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeListResponse, GTLYouTubeResponse,
                         made.declaredProperties = {"nextPageToken", "pageInfo", "prevPageToken", "tokenPagination"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeSnippet, GTLObject,
                         made.declaredProperties = {"channelId", "channelTitle", "descriptionProperty", "publishedAt",
                                                    "thumbnails", "title"};
                         made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};)

}  // namespace google
