#pragma once

// Channels, their sections, branding, settings and statistics.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLYouTubeForward.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace google {

class GTLYouTubeChannel : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannel)

public:
    std::shared_ptr<GTLYouTubeChannelAuditDetails> auditDetails();
    void setAuditDetails(const std::shared_ptr<GTLYouTubeChannelAuditDetails>& value);
    std::shared_ptr<GTLYouTubeChannelBrandingSettings> brandingSettings();
    void setBrandingSettings(const std::shared_ptr<GTLYouTubeChannelBrandingSettings>& value);
    std::shared_ptr<GTLYouTubeChannelContentDetails> contentDetails();
    void setContentDetails(const std::shared_ptr<GTLYouTubeChannelContentDetails>& value);
    std::shared_ptr<GTLYouTubeChannelContentOwnerDetails> contentOwnerDetails();
    void setContentOwnerDetails(const std::shared_ptr<GTLYouTubeChannelContentOwnerDetails>& value);
    std::shared_ptr<GTLYouTubeChannelConversionPings> conversionPings();
    void setConversionPings(const std::shared_ptr<GTLYouTubeChannelConversionPings>& value);
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> identifier() const;
    void setIdentifier(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeInvideoPromotion> invideoPromotion();
    void setInvideoPromotion(const std::shared_ptr<GTLYouTubeInvideoPromotion>& value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeChannelLocalizations> localizations();
    void setLocalizations(const std::shared_ptr<GTLYouTubeChannelLocalizations>& value);
    std::shared_ptr<GTLYouTubeChannelSnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubeChannelSnippet>& value);
    std::shared_ptr<GTLYouTubeChannelStatistics> statistics();
    void setStatistics(const std::shared_ptr<GTLYouTubeChannelStatistics>& value);
    std::shared_ptr<GTLYouTubeChannelStatus> status();
    void setStatus(const std::shared_ptr<GTLYouTubeChannelStatus>& value);
    std::shared_ptr<GTLYouTubeChannelTopicDetails> topicDetails();
    void setTopicDetails(const std::shared_ptr<GTLYouTubeChannelTopicDetails>& value);
};

class GTLYouTubeChannelAuditDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelAuditDetails)

public:
    std::optional<Value> communityGuidelinesGoodStanding() const;
    void setCommunityGuidelinesGoodStanding(std::optional<Value> value);
    std::optional<Value> contentIdClaimsGoodStanding() const;
    void setContentIdClaimsGoodStanding(std::optional<Value> value);
    std::optional<Value> copyrightStrikesGoodStanding() const;
    void setCopyrightStrikesGoodStanding(std::optional<Value> value);
    std::optional<Value> overallGoodStanding() const;
    void setOverallGoodStanding(std::optional<Value> value);
};

class GTLYouTubeChannelBannerResource : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelBannerResource)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::optional<std::string> url() const;
    void setUrl(std::optional<std::string> value);
};

class GTLYouTubeChannelBrandingSettings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelBrandingSettings)

public:
    std::shared_ptr<GTLYouTubeChannelSettings> channel();
    void setChannel(const std::shared_ptr<GTLYouTubeChannelSettings>& value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubePropertyValue>>> hints();
    void setHints(const std::optional<std::vector<std::shared_ptr<GTLYouTubePropertyValue>>>& value);
    std::shared_ptr<GTLYouTubeImageSettings> image();
    void setImage(const std::shared_ptr<GTLYouTubeImageSettings>& value);
    std::shared_ptr<GTLYouTubeWatchSettings> watch();
    void setWatch(const std::shared_ptr<GTLYouTubeWatchSettings>& value);
};

class GTLYouTubeChannelContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelContentDetails)

public:
    std::optional<std::string> googlePlusUserId() const;
    void setGooglePlusUserId(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeChannelContentDetailsRelatedPlaylists> relatedPlaylists();
    void setRelatedPlaylists(const std::shared_ptr<GTLYouTubeChannelContentDetailsRelatedPlaylists>& value);
};

class GTLYouTubeChannelContentDetailsRelatedPlaylists : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelContentDetailsRelatedPlaylists)

public:
    std::optional<std::string> favorites() const;
    void setFavorites(std::optional<std::string> value);
    std::optional<std::string> likes() const;
    void setLikes(std::optional<std::string> value);
    std::optional<std::string> uploads() const;
    void setUploads(std::optional<std::string> value);
    std::optional<std::string> watchHistory() const;
    void setWatchHistory(std::optional<std::string> value);
    std::optional<std::string> watchLater() const;
    void setWatchLater(std::optional<std::string> value);
};

class GTLYouTubeChannelContentOwnerDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelContentOwnerDetails)

public:
    std::optional<std::string> contentOwner() const;
    void setContentOwner(std::optional<std::string> value);
    GTLDateTimePtr timeLinked();
    void setTimeLinked(GTLDateTimePtr value);
};

class GTLYouTubeChannelConversionPing : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelConversionPing)

public:
    std::optional<std::string> context() const;
    void setContext(std::optional<std::string> value);
    std::optional<std::string> conversionUrl() const;
    void setConversionUrl(std::optional<std::string> value);
};

class GTLYouTubeChannelConversionPings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelConversionPings)

public:
    std::optional<std::vector<std::shared_ptr<GTLYouTubeChannelConversionPing>>> pings();
    void setPings(const std::optional<std::vector<std::shared_ptr<GTLYouTubeChannelConversionPing>>>& value);
};

class GTLYouTubeChannelListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeChannel>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeChannel>>>& value);
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

class GTLYouTubeChannelLocalization : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelLocalization)

public:
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubeChannelLocalizations : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelLocalizations)
};

class GTLYouTubeChannelSection : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSection)

public:
    std::shared_ptr<GTLYouTubeChannelSectionContentDetails> contentDetails();
    void setContentDetails(const std::shared_ptr<GTLYouTubeChannelSectionContentDetails>& value);
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> identifier() const;
    void setIdentifier(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeChannelSectionLocalizations> localizations();
    void setLocalizations(const std::shared_ptr<GTLYouTubeChannelSectionLocalizations>& value);
    std::shared_ptr<GTLYouTubeChannelSectionSnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubeChannelSectionSnippet>& value);
};

class GTLYouTubeChannelSectionContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSectionContentDetails)

public:
    std::optional<std::vector<std::string>> channels() const;
    void setChannels(std::optional<std::vector<std::string>> value);
    std::optional<std::vector<std::string>> playlists() const;
    void setPlaylists(std::optional<std::vector<std::string>> value);
};

class GTLYouTubeChannelSectionListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSectionListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeChannelSection>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeChannelSection>>>& value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::optional<std::string> visitorId() const;
    void setVisitorId(std::optional<std::string> value);
};

class GTLYouTubeChannelSectionLocalization : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSectionLocalization)

public:
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubeChannelSectionLocalizations : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSectionLocalizations)
};

class GTLYouTubeChannelSectionSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSectionSnippet)

public:
    std::optional<std::string> channelId() const;
    void setChannelId(std::optional<std::string> value);
    std::optional<std::string> defaultLanguage() const;
    void setDefaultLanguage(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeChannelSectionLocalization> localized();
    void setLocalized(const std::shared_ptr<GTLYouTubeChannelSectionLocalization>& value);
    std::optional<Value> position() const;
    void setPosition(std::optional<Value> value);
    std::optional<std::string> style() const;
    void setStyle(std::optional<std::string> value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
    std::optional<std::string> type() const;
    void setType(std::optional<std::string> value);
};

class GTLYouTubeChannelSettings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSettings)

public:
    std::optional<std::string> country() const;
    void setCountry(std::optional<std::string> value);
    std::optional<std::string> defaultLanguage() const;
    void setDefaultLanguage(std::optional<std::string> value);
    std::optional<std::string> defaultTab() const;
    void setDefaultTab(std::optional<std::string> value);
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    std::optional<std::string> featuredChannelsTitle() const;
    void setFeaturedChannelsTitle(std::optional<std::string> value);
    std::optional<std::vector<std::string>> featuredChannelsUrls() const;
    void setFeaturedChannelsUrls(std::optional<std::vector<std::string>> value);
    std::optional<std::string> keywords() const;
    void setKeywords(std::optional<std::string> value);
    std::optional<Value> moderateComments() const;
    void setModerateComments(std::optional<Value> value);
    std::optional<std::string> profileColor() const;
    void setProfileColor(std::optional<std::string> value);
    std::optional<Value> showBrowseView() const;
    void setShowBrowseView(std::optional<Value> value);
    std::optional<Value> showRelatedChannels() const;
    void setShowRelatedChannels(std::optional<Value> value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
    std::optional<std::string> trackingAnalyticsAccountId() const;
    void setTrackingAnalyticsAccountId(std::optional<std::string> value);
    std::optional<std::string> unsubscribedTrailer() const;
    void setUnsubscribedTrailer(std::optional<std::string> value);
};

class GTLYouTubeChannelSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSnippet)

public:
    std::optional<std::string> country() const;
    void setCountry(std::optional<std::string> value);
    std::optional<std::string> customUrl() const;
    void setCustomUrl(std::optional<std::string> value);
    std::optional<std::string> defaultLanguage() const;
    void setDefaultLanguage(std::optional<std::string> value);
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeChannelLocalization> localized();
    void setLocalized(const std::shared_ptr<GTLYouTubeChannelLocalization>& value);
    GTLDateTimePtr publishedAt();
    void setPublishedAt(GTLDateTimePtr value);
    std::shared_ptr<GTLYouTubeThumbnailDetails> thumbnails();
    void setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubeChannelStatistics : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelStatistics)

public:
    std::optional<Value> commentCount() const;
    void setCommentCount(std::optional<Value> value);
    std::optional<Value> hiddenSubscriberCount() const;
    void setHiddenSubscriberCount(std::optional<Value> value);
    std::optional<Value> subscriberCount() const;
    void setSubscriberCount(std::optional<Value> value);
    std::optional<Value> videoCount() const;
    void setVideoCount(std::optional<Value> value);
    std::optional<Value> viewCount() const;
    void setViewCount(std::optional<Value> value);
};

class GTLYouTubeChannelStatus : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelStatus)

public:
    std::optional<Value> isLinked() const;
    void setIsLinked(std::optional<Value> value);
    std::optional<std::string> longUploadsStatus() const;
    void setLongUploadsStatus(std::optional<std::string> value);
    std::optional<std::string> privacyStatus() const;
    void setPrivacyStatus(std::optional<std::string> value);
};

class GTLYouTubeChannelTopicDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelTopicDetails)

public:
    std::optional<std::vector<std::string>> topicIds() const;
    void setTopicIds(std::optional<std::vector<std::string>> value);
};

}  // namespace google
