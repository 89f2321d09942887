#pragma once

// Search results and subscriptions.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLYouTubeBaseObjects.h"

namespace google {

class GTLYouTubeSearchListResponse : public GTLYouTubeListResponse {
    GTL_OBJECT_CLASS(GTLYouTubeSearchListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeSearchResult, items, Items, "items")
};

class GTLYouTubeSearchResult : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeSearchResult)

public:
    GTL_STRING_PROPERTY(ETag, ETag, "etag")
    GTL_OBJECT_PROPERTY(GTLYouTubeResourceId, identifier, Identifier, "id")
    GTL_STRING_PROPERTY(kind, Kind, "kind")
    GTL_OBJECT_PROPERTY(GTLYouTubeSearchResultSnippet, snippet, Snippet, "snippet")
};

class GTLYouTubeSearchResultSnippet : public GTLYouTubeSnippet {
    GTL_OBJECT_CLASS(GTLYouTubeSearchResultSnippet)

public:
    GTL_STRING_PROPERTY(liveBroadcastContent, LiveBroadcastContent, "liveBroadcastContent")
};

class GTLYouTubeSubscription : public GTLYouTubeResource {
    GTL_OBJECT_CLASS(GTLYouTubeSubscription)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeSubscriptionContentDetails, contentDetails, ContentDetails, "contentDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeSubscriptionSnippet, snippet, Snippet, "snippet")
    GTL_OBJECT_PROPERTY(GTLYouTubeSubscriptionSubscriberSnippet, subscriberSnippet, SubscriberSnippet,
                        "subscriberSnippet")
};

class GTLYouTubeSubscriptionContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeSubscriptionContentDetails)

public:
    GTL_STRING_PROPERTY(activityType, ActivityType, "activityType")
    GTL_NUMBER_PROPERTY(newItemCount, NewItemCount, "newItemCount")
    GTL_NUMBER_PROPERTY(totalItemCount, TotalItemCount, "totalItemCount")
};

class GTLYouTubeSubscriptionListResponse : public GTLYouTubeListResponse {
    GTL_OBJECT_CLASS(GTLYouTubeSubscriptionListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeSubscription, items, Items, "items")
};

class GTLYouTubeSubscriptionSnippet : public GTLYouTubeSnippet {
    GTL_OBJECT_CLASS(GTLYouTubeSubscriptionSnippet)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeResourceId, resourceId, ResourceId, "resourceId")
};

class GTLYouTubeSubscriptionSubscriberSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeSubscriptionSubscriberSnippet)

public:
    GTL_STRING_PROPERTY(channelId, ChannelId, "channelId")
    GTL_STRING_PROPERTY(descriptionProperty, DescriptionProperty, "description")
    GTL_OBJECT_PROPERTY(GTLYouTubeThumbnailDetails, thumbnails, Thumbnails, "thumbnails")
    GTL_STRING_PROPERTY(title, Title, "title")
};

}  // namespace google
