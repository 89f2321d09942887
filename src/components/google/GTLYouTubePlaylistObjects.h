#pragma once

// Playlists and their items.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLYouTubeForward.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace google {

class GTLYouTubePlaylist : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylist)

public:
    std::shared_ptr<GTLYouTubePlaylistContentDetails> contentDetails();
    void setContentDetails(const std::shared_ptr<GTLYouTubePlaylistContentDetails>& value);
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> identifier() const;
    void setIdentifier(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubePlaylistLocalizations> localizations();
    void setLocalizations(const std::shared_ptr<GTLYouTubePlaylistLocalizations>& value);
    std::shared_ptr<GTLYouTubePlaylistPlayer> player();
    void setPlayer(const std::shared_ptr<GTLYouTubePlaylistPlayer>& value);
    std::shared_ptr<GTLYouTubePlaylistSnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubePlaylistSnippet>& value);
    std::shared_ptr<GTLYouTubePlaylistStatus> status();
    void setStatus(const std::shared_ptr<GTLYouTubePlaylistStatus>& value);
};

class GTLYouTubePlaylistContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistContentDetails)

public:
    std::optional<Value> itemCount() const;
    void setItemCount(std::optional<Value> value);
};

class GTLYouTubePlaylistItem : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistItem)

public:
    std::shared_ptr<GTLYouTubePlaylistItemContentDetails> contentDetails();
    void setContentDetails(const std::shared_ptr<GTLYouTubePlaylistItemContentDetails>& value);
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> identifier() const;
    void setIdentifier(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubePlaylistItemSnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubePlaylistItemSnippet>& value);
    std::shared_ptr<GTLYouTubePlaylistItemStatus> status();
    void setStatus(const std::shared_ptr<GTLYouTubePlaylistItemStatus>& value);
};

class GTLYouTubePlaylistItemContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistItemContentDetails)

public:
    std::optional<std::string> endAt() const;
    void setEndAt(std::optional<std::string> value);
    std::optional<std::string> note() const;
    void setNote(std::optional<std::string> value);
    std::optional<std::string> startAt() const;
    void setStartAt(std::optional<std::string> value);
    std::optional<std::string> videoId() const;
    void setVideoId(std::optional<std::string> value);
};

class GTLYouTubePlaylistItemListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistItemListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubePlaylistItem>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubePlaylistItem>>>& value);
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

class GTLYouTubePlaylistItemSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistItemSnippet)

public:
    std::optional<std::string> channelId() const;
    void setChannelId(std::optional<std::string> value);
    std::optional<std::string> channelTitle() const;
    void setChannelTitle(std::optional<std::string> value);
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    std::optional<std::string> playlistId() const;
    void setPlaylistId(std::optional<std::string> value);
    std::optional<Value> position() const;
    void setPosition(std::optional<Value> value);
    GTLDateTimePtr publishedAt();
    void setPublishedAt(GTLDateTimePtr value);
    std::shared_ptr<GTLYouTubeResourceId> resourceId();
    void setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value);
    std::shared_ptr<GTLYouTubeThumbnailDetails> thumbnails();
    void setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubePlaylistItemStatus : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistItemStatus)

public:
    std::optional<std::string> privacyStatus() const;
    void setPrivacyStatus(std::optional<std::string> value);
};

class GTLYouTubePlaylistListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubePlaylist>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubePlaylist>>>& value);
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

class GTLYouTubePlaylistLocalization : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistLocalization)

public:
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubePlaylistLocalizations : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistLocalizations)
};

class GTLYouTubePlaylistPlayer : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistPlayer)

public:
    std::optional<std::string> embedHtml() const;
    void setEmbedHtml(std::optional<std::string> value);
};

class GTLYouTubePlaylistSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistSnippet)

public:
    std::optional<std::string> channelId() const;
    void setChannelId(std::optional<std::string> value);
    std::optional<std::string> channelTitle() const;
    void setChannelTitle(std::optional<std::string> value);
    std::optional<std::string> defaultLanguage() const;
    void setDefaultLanguage(std::optional<std::string> value);
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubePlaylistLocalization> localized();
    void setLocalized(const std::shared_ptr<GTLYouTubePlaylistLocalization>& value);
    GTLDateTimePtr publishedAt();
    void setPublishedAt(GTLDateTimePtr value);
    std::optional<std::vector<std::string>> tags() const;
    void setTags(std::optional<std::vector<std::string>> value);
    std::shared_ptr<GTLYouTubeThumbnailDetails> thumbnails();
    void setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubePlaylistStatus : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistStatus)

public:
    std::optional<std::string> privacyStatus() const;
    void setPrivacyStatus(std::optional<std::string> value);
};

}  // namespace google
