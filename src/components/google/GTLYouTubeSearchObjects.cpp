#include "components/google/GTLYouTubeSearchObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeSearchListResponse, GTLYouTubeListResponse, made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeSearchResult::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeSearchResult, GTLObject,
                         made.declaredProperties = {"ETag", "identifier", "kind", "snippet"};
                         made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeSearchResultSnippet, GTLYouTubeSnippet,
                         made.declaredProperties = {"liveBroadcastContent"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeSubscription, GTLYouTubeResource,
                         made.declaredProperties = {"contentDetails", "snippet", "subscriberSnippet"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeSubscriptionContentDetails, GTLObject,
                         made.declaredProperties = {"activityType", "newItemCount", "totalItemCount"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeSubscriptionListResponse, GTLYouTubeListResponse,
                         made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeSubscription::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeSubscriptionSnippet, GTLYouTubeSnippet, made.declaredProperties = {"resourceId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeSubscriptionSubscriberSnippet, GTLObject,
                         made.declaredProperties = {"channelId", "descriptionProperty", "thumbnails", "title"};
                         made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};)

}  // namespace google
