#pragma once

// Search results and subscriptions.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLYouTubeForward.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace google {

class GTLYouTubeSearchListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeSearchListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeSearchResult>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeSearchResult>>>& value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::optional<std::string> nextPageToken() const;
    void setNextPageToken(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubePageInfo> pageInfo();
    void setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value);
    std::optional<std::string> prevPageToken() const;
    void setPrevPageToken(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeTokenPagination> tokenPagination();
    void setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value);
    std::optional<std::string> visitorId() const;
    void setVisitorId(std::optional<std::string> value);
};

class GTLYouTubeSearchResult : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeSearchResult)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeResourceId> identifier();
    void setIdentifier(const std::shared_ptr<GTLYouTubeResourceId>& value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeSearchResultSnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubeSearchResultSnippet>& value);
};

class GTLYouTubeSearchResultSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeSearchResultSnippet)

public:
    std::optional<std::string> channelId() const;
    void setChannelId(std::optional<std::string> value);
    std::optional<std::string> channelTitle() const;
    void setChannelTitle(std::optional<std::string> value);
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    std::optional<std::string> liveBroadcastContent() const;
    void setLiveBroadcastContent(std::optional<std::string> value);
    GTLDateTimePtr publishedAt();
    void setPublishedAt(GTLDateTimePtr value);
    std::shared_ptr<GTLYouTubeThumbnailDetails> thumbnails();
    void setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubeSubscription : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeSubscription)

public:
    std::shared_ptr<GTLYouTubeSubscriptionContentDetails> contentDetails();
    void setContentDetails(const std::shared_ptr<GTLYouTubeSubscriptionContentDetails>& value);
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> identifier() const;
    void setIdentifier(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeSubscriptionSnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubeSubscriptionSnippet>& value);
    std::shared_ptr<GTLYouTubeSubscriptionSubscriberSnippet> subscriberSnippet();
    void setSubscriberSnippet(const std::shared_ptr<GTLYouTubeSubscriptionSubscriberSnippet>& value);
};

class GTLYouTubeSubscriptionContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeSubscriptionContentDetails)

public:
    std::optional<std::string> activityType() const;
    void setActivityType(std::optional<std::string> value);
    std::optional<Value> newItemCount() const;
    void setNewItemCount(std::optional<Value> value);
    std::optional<Value> totalItemCount() const;
    void setTotalItemCount(std::optional<Value> value);
};

class GTLYouTubeSubscriptionListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeSubscriptionListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeSubscription>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeSubscription>>>& value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::optional<std::string> nextPageToken() const;
    void setNextPageToken(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubePageInfo> pageInfo();
    void setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value);
    std::optional<std::string> prevPageToken() const;
    void setPrevPageToken(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeTokenPagination> tokenPagination();
    void setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value);
    std::optional<std::string> visitorId() const;
    void setVisitorId(std::optional<std::string> value);
};

class GTLYouTubeSubscriptionSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeSubscriptionSnippet)

public:
    std::optional<std::string> channelId() const;
    void setChannelId(std::optional<std::string> value);
    std::optional<std::string> channelTitle() const;
    void setChannelTitle(std::optional<std::string> value);
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    GTLDateTimePtr publishedAt();
    void setPublishedAt(GTLDateTimePtr value);
    std::shared_ptr<GTLYouTubeResourceId> resourceId();
    void setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value);
    std::shared_ptr<GTLYouTubeThumbnailDetails> thumbnails();
    void setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubeSubscriptionSubscriberSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeSubscriptionSubscriberSnippet)

public:
    std::optional<std::string> channelId() const;
    void setChannelId(std::optional<std::string> value);
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeThumbnailDetails> thumbnails();
    void setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

}  // namespace google
