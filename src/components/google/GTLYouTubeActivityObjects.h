#pragma once

// Activities of a channel and what each one is about.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLYouTubeForward.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace google {

class GTLYouTubeActivity : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivity)

public:
    std::shared_ptr<GTLYouTubeActivityContentDetails> contentDetails();
    void setContentDetails(const std::shared_ptr<GTLYouTubeActivityContentDetails>& value);
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> identifier() const;
    void setIdentifier(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeActivitySnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubeActivitySnippet>& value);
};

class GTLYouTubeActivityContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetails)

public:
    std::shared_ptr<GTLYouTubeActivityContentDetailsBulletin> bulletin();
    void setBulletin(const std::shared_ptr<GTLYouTubeActivityContentDetailsBulletin>& value);
    std::shared_ptr<GTLYouTubeActivityContentDetailsChannelItem> channelItem();
    void setChannelItem(const std::shared_ptr<GTLYouTubeActivityContentDetailsChannelItem>& value);
    std::shared_ptr<GTLYouTubeActivityContentDetailsComment> comment();
    void setComment(const std::shared_ptr<GTLYouTubeActivityContentDetailsComment>& value);
    std::shared_ptr<GTLYouTubeActivityContentDetailsFavorite> favorite();
    void setFavorite(const std::shared_ptr<GTLYouTubeActivityContentDetailsFavorite>& value);
    std::shared_ptr<GTLYouTubeActivityContentDetailsLike> like();
    void setLike(const std::shared_ptr<GTLYouTubeActivityContentDetailsLike>& value);
    std::shared_ptr<GTLYouTubeActivityContentDetailsPlaylistItem> playlistItem();
    void setPlaylistItem(const std::shared_ptr<GTLYouTubeActivityContentDetailsPlaylistItem>& value);
    std::shared_ptr<GTLYouTubeActivityContentDetailsPromotedItem> promotedItem();
    void setPromotedItem(const std::shared_ptr<GTLYouTubeActivityContentDetailsPromotedItem>& value);
    std::shared_ptr<GTLYouTubeActivityContentDetailsRecommendation> recommendation();
    void setRecommendation(const std::shared_ptr<GTLYouTubeActivityContentDetailsRecommendation>& value);
    std::shared_ptr<GTLYouTubeActivityContentDetailsSocial> social();
    void setSocial(const std::shared_ptr<GTLYouTubeActivityContentDetailsSocial>& value);
    std::shared_ptr<GTLYouTubeActivityContentDetailsSubscription> subscription();
    void setSubscription(const std::shared_ptr<GTLYouTubeActivityContentDetailsSubscription>& value);
    std::shared_ptr<GTLYouTubeActivityContentDetailsUpload> upload();
    void setUpload(const std::shared_ptr<GTLYouTubeActivityContentDetailsUpload>& value);
};

class GTLYouTubeActivityContentDetailsBulletin : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsBulletin)

public:
    std::shared_ptr<GTLYouTubeResourceId> resourceId();
    void setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value);
};

class GTLYouTubeActivityContentDetailsChannelItem : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsChannelItem)

public:
    std::shared_ptr<GTLYouTubeResourceId> resourceId();
    void setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value);
};

class GTLYouTubeActivityContentDetailsComment : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsComment)

public:
    std::shared_ptr<GTLYouTubeResourceId> resourceId();
    void setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value);
};

class GTLYouTubeActivityContentDetailsFavorite : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsFavorite)

public:
    std::shared_ptr<GTLYouTubeResourceId> resourceId();
    void setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value);
};

class GTLYouTubeActivityContentDetailsLike : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsLike)

public:
    std::shared_ptr<GTLYouTubeResourceId> resourceId();
    void setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value);
};

class GTLYouTubeActivityContentDetailsPlaylistItem : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsPlaylistItem)

public:
    std::optional<std::string> playlistId() const;
    void setPlaylistId(std::optional<std::string> value);
    std::optional<std::string> playlistItemId() const;
    void setPlaylistItemId(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeResourceId> resourceId();
    void setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value);
};

class GTLYouTubeActivityContentDetailsPromotedItem : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsPromotedItem)

public:
    std::optional<std::string> adTag() const;
    void setAdTag(std::optional<std::string> value);
    std::optional<std::string> clickTrackingUrl() const;
    void setClickTrackingUrl(std::optional<std::string> value);
    std::optional<std::string> creativeViewUrl() const;
    void setCreativeViewUrl(std::optional<std::string> value);
    std::optional<std::string> ctaType() const;
    void setCtaType(std::optional<std::string> value);
    std::optional<std::string> customCtaButtonText() const;
    void setCustomCtaButtonText(std::optional<std::string> value);
    std::optional<std::string> descriptionText() const;
    void setDescriptionText(std::optional<std::string> value);
    std::optional<std::string> destinationUrl() const;
    void setDestinationUrl(std::optional<std::string> value);
    std::optional<std::vector<std::string>> forecastingUrl() const;
    void setForecastingUrl(std::optional<std::vector<std::string>> value);
    std::optional<std::vector<std::string>> impressionUrl() const;
    void setImpressionUrl(std::optional<std::vector<std::string>> value);
    std::optional<std::string> videoId() const;
    void setVideoId(std::optional<std::string> value);
};

class GTLYouTubeActivityContentDetailsRecommendation : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsRecommendation)

public:
    std::optional<std::string> reason() const;
    void setReason(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeResourceId> resourceId();
    void setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value);
    std::shared_ptr<GTLYouTubeResourceId> seedResourceId();
    void setSeedResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value);
};

class GTLYouTubeActivityContentDetailsSocial : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsSocial)

public:
    std::optional<std::string> author() const;
    void setAuthor(std::optional<std::string> value);
    std::optional<std::string> imageUrl() const;
    void setImageUrl(std::optional<std::string> value);
    std::optional<std::string> referenceUrl() const;
    void setReferenceUrl(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeResourceId> resourceId();
    void setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value);
    std::optional<std::string> type() const;
    void setType(std::optional<std::string> value);
};

class GTLYouTubeActivityContentDetailsSubscription : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsSubscription)

public:
    std::shared_ptr<GTLYouTubeResourceId> resourceId();
    void setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value);
};

class GTLYouTubeActivityContentDetailsUpload : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsUpload)

public:
    std::optional<std::string> videoId() const;
    void setVideoId(std::optional<std::string> value);
};

class GTLYouTubeActivityListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeActivity>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeActivity>>>& value);
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

class GTLYouTubeActivitySnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivitySnippet)

public:
    std::optional<std::string> channelId() const;
    void setChannelId(std::optional<std::string> value);
    std::optional<std::string> channelTitle() const;
    void setChannelTitle(std::optional<std::string> value);
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    std::optional<std::string> groupId() const;
    void setGroupId(std::optional<std::string> value);
    GTLDateTimePtr publishedAt();
    void setPublishedAt(GTLDateTimePtr value);
    std::shared_ptr<GTLYouTubeThumbnailDetails> thumbnails();
    void setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
    std::optional<std::string> type() const;
    void setType(std::optional<std::string> value);
};

}  // namespace google
