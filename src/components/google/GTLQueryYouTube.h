#pragma once

// Calls of the YouTube Data API: one constructor per method, one property per
// parameter (written to the call's parameters under its own name, except
// `identifier`, which the API calls "id").

#include "components/google/GTLQuery.h"
#include "components/google/GTLYouTubeForward.h"

#include <memory>
#include <optional>
#include <string>

namespace google {

class GTLQueryYouTube;
using GTLQueryYouTubePtr = std::shared_ptr<GTLQueryYouTube>;

class GTLQueryYouTube : public GTLQuery {
public:
    static const GTLClassInfo& classInfo();
    const GTLClassInfo& objectClass() const override { return classInfo(); }
    using GTLQuery::GTLQuery;

    // Constructors; one that takes an object answers none without it.
    static GTLQueryYouTubePtr queryForActivitiesInsertWithObjectPart(const std::shared_ptr<GTLYouTubeActivity>& object,
                                                                     const std::string& part);
    static GTLQueryYouTubePtr queryForActivitiesListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForChannelBannersInsertWithObjectUploadParameters(
        const std::shared_ptr<GTLYouTubeChannelBannerResource>& object, const GTLUploadParametersPtr& uploadParameters);
    static GTLQueryYouTubePtr queryForChannelSectionsDeleteWithIdentifier(const std::string& identifier);
    static GTLQueryYouTubePtr queryForChannelSectionsInsertWithObjectPart(
        const std::shared_ptr<GTLYouTubeChannelSection>& object, const std::string& part);
    static GTLQueryYouTubePtr queryForChannelSectionsListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForChannelSectionsUpdateWithObjectPart(
        const std::shared_ptr<GTLYouTubeChannelSection>& object, const std::string& part);
    static GTLQueryYouTubePtr queryForChannelsListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForChannelsUpdateWithObjectPart(const std::shared_ptr<GTLYouTubeChannel>& object,
                                                                   const std::string& part);
    static GTLQueryYouTubePtr queryForGuideCategoriesListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForI18nLanguagesListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForI18nRegionsListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForLiveBroadcastsBindWithIdentifierPart(const std::string& identifier,
                                                                           const std::string& part);
    static GTLQueryYouTubePtr queryForLiveBroadcastsControlWithIdentifierPart(const std::string& identifier,
                                                                              const std::string& part);
    static GTLQueryYouTubePtr queryForLiveBroadcastsDeleteWithIdentifier(const std::string& identifier);
    static GTLQueryYouTubePtr queryForLiveBroadcastsInsertWithObjectPart(
        const std::shared_ptr<GTLYouTubeLiveBroadcast>& object, const std::string& part);
    static GTLQueryYouTubePtr queryForLiveBroadcastsListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForLiveBroadcastsTransitionWithBroadcastStatusIdentifierPart(
        const std::string& broadcastStatus, const std::string& identifier, const std::string& part);
    static GTLQueryYouTubePtr queryForLiveBroadcastsUpdateWithObjectPart(
        const std::shared_ptr<GTLYouTubeLiveBroadcast>& object, const std::string& part);
    static GTLQueryYouTubePtr queryForLiveStreamsDeleteWithIdentifier(const std::string& identifier);
    static GTLQueryYouTubePtr queryForLiveStreamsInsertWithObjectPart(
        const std::shared_ptr<GTLYouTubeLiveStream>& object, const std::string& part);
    static GTLQueryYouTubePtr queryForLiveStreamsListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForLiveStreamsUpdateWithObjectPart(
        const std::shared_ptr<GTLYouTubeLiveStream>& object, const std::string& part);
    static GTLQueryYouTubePtr queryForPlaylistItemsDeleteWithIdentifier(const std::string& identifier);
    static GTLQueryYouTubePtr queryForPlaylistItemsInsertWithObjectPart(
        const std::shared_ptr<GTLYouTubePlaylistItem>& object, const std::string& part);
    static GTLQueryYouTubePtr queryForPlaylistItemsListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForPlaylistItemsUpdateWithObjectPart(
        const std::shared_ptr<GTLYouTubePlaylistItem>& object, const std::string& part);
    static GTLQueryYouTubePtr queryForPlaylistsDeleteWithIdentifier(const std::string& identifier);
    static GTLQueryYouTubePtr queryForPlaylistsInsertWithObjectPart(const std::shared_ptr<GTLYouTubePlaylist>& object,
                                                                    const std::string& part);
    static GTLQueryYouTubePtr queryForPlaylistsListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForPlaylistsUpdateWithObjectPart(const std::shared_ptr<GTLYouTubePlaylist>& object,
                                                                    const std::string& part);
    static GTLQueryYouTubePtr queryForSearchListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForSubscriptionsDeleteWithIdentifier(const std::string& identifier);
    static GTLQueryYouTubePtr queryForSubscriptionsInsertWithObjectPart(
        const std::shared_ptr<GTLYouTubeSubscription>& object, const std::string& part);
    static GTLQueryYouTubePtr queryForSubscriptionsListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForThumbnailsSetWithVideoIdUploadParameters(
        const std::string& videoId, const GTLUploadParametersPtr& uploadParameters);
    static GTLQueryYouTubePtr queryForVideoCategoriesListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForVideosDeleteWithIdentifier(const std::string& identifier);
    static GTLQueryYouTubePtr queryForVideosGetRatingWithIdentifier(const std::string& identifier);
    static GTLQueryYouTubePtr queryForVideosInsertWithObjectPartUploadParameters(
        const std::shared_ptr<GTLYouTubeVideo>& object, const std::string& part,
        const GTLUploadParametersPtr& uploadParameters);
    static GTLQueryYouTubePtr queryForVideosListWithPart(const std::string& part);
    static GTLQueryYouTubePtr queryForVideosRateWithIdentifierRating(const std::string& identifier,
                                                                     const std::string& rating);
    static GTLQueryYouTubePtr queryForVideosUpdateWithObjectPart(const std::shared_ptr<GTLYouTubeVideo>& object,
                                                                 const std::string& part);
    static GTLQueryYouTubePtr queryForWatermarksSetWithObjectChannelIdUploadParameters(
        const std::shared_ptr<GTLYouTubeInvideoBranding>& object, const std::string& channelId,
        const GTLUploadParametersPtr& uploadParameters);
    static GTLQueryYouTubePtr queryForWatermarksUnsetWithChannelId(const std::string& channelId);

    // Parameters.
    std::optional<std::string> fields() const { return stringProperty("fields"); }
    void setFields(std::optional<std::string> value) { setStringProperty("fields", std::move(value)); }
    std::optional<std::string> broadcastStatus() const { return stringProperty("broadcastStatus"); }
    void setBroadcastStatus(std::optional<std::string> value) {
        setStringProperty("broadcastStatus", std::move(value));
    }
    std::optional<std::string> categoryId() const { return stringProperty("categoryId"); }
    void setCategoryId(std::optional<std::string> value) { setStringProperty("categoryId", std::move(value)); }
    std::optional<std::string> channelId() const { return stringProperty("channelId"); }
    void setChannelId(std::optional<std::string> value) { setStringProperty("channelId", std::move(value)); }
    std::optional<std::string> channelType() const { return stringProperty("channelType"); }
    void setChannelType(std::optional<std::string> value) { setStringProperty("channelType", std::move(value)); }
    std::optional<std::string> chart() const { return stringProperty("chart"); }
    void setChart(std::optional<std::string> value) { setStringProperty("chart", std::move(value)); }
    std::optional<std::string> eventType() const { return stringProperty("eventType"); }
    void setEventType(std::optional<std::string> value) { setStringProperty("eventType", std::move(value)); }
    std::optional<std::string> forChannelId() const { return stringProperty("forChannelId"); }
    void setForChannelId(std::optional<std::string> value) { setStringProperty("forChannelId", std::move(value)); }
    std::optional<std::string> forUsername() const { return stringProperty("forUsername"); }
    void setForUsername(std::optional<std::string> value) { setStringProperty("forUsername", std::move(value)); }
    std::optional<std::string> hl() const { return stringProperty("hl"); }
    void setHl(std::optional<std::string> value) { setStringProperty("hl", std::move(value)); }
    std::optional<std::string> identifier() const { return stringProperty("id"); }
    void setIdentifier(std::optional<std::string> value) { setStringProperty("id", std::move(value)); }
    std::optional<std::string> locale() const { return stringProperty("locale"); }
    void setLocale(std::optional<std::string> value) { setStringProperty("locale", std::move(value)); }
    std::optional<std::string> location() const { return stringProperty("location"); }
    void setLocation(std::optional<std::string> value) { setStringProperty("location", std::move(value)); }
    std::optional<std::string> locationRadius() const { return stringProperty("locationRadius"); }
    void setLocationRadius(std::optional<std::string> value) { setStringProperty("locationRadius", std::move(value)); }
    std::optional<std::string> myRating() const { return stringProperty("myRating"); }
    void setMyRating(std::optional<std::string> value) { setStringProperty("myRating", std::move(value)); }
    std::optional<std::string> onBehalfOfContentOwner() const { return stringProperty("onBehalfOfContentOwner"); }
    void setOnBehalfOfContentOwner(std::optional<std::string> value) {
        setStringProperty("onBehalfOfContentOwner", std::move(value));
    }
    std::optional<std::string> onBehalfOfContentOwnerChannel() const {
        return stringProperty("onBehalfOfContentOwnerChannel");
    }
    void setOnBehalfOfContentOwnerChannel(std::optional<std::string> value) {
        setStringProperty("onBehalfOfContentOwnerChannel", std::move(value));
    }
    std::optional<std::string> order() const { return stringProperty("order"); }
    void setOrder(std::optional<std::string> value) { setStringProperty("order", std::move(value)); }
    std::optional<std::string> pageToken() const { return stringProperty("pageToken"); }
    void setPageToken(std::optional<std::string> value) { setStringProperty("pageToken", std::move(value)); }
    std::optional<std::string> part() const { return stringProperty("part"); }
    void setPart(std::optional<std::string> value) { setStringProperty("part", std::move(value)); }
    std::optional<std::string> playlistId() const { return stringProperty("playlistId"); }
    void setPlaylistId(std::optional<std::string> value) { setStringProperty("playlistId", std::move(value)); }
    std::optional<std::string> q() const { return stringProperty("q"); }
    void setQ(std::optional<std::string> value) { setStringProperty("q", std::move(value)); }
    std::optional<std::string> rating() const { return stringProperty("rating"); }
    void setRating(std::optional<std::string> value) { setStringProperty("rating", std::move(value)); }
    std::optional<std::string> regionCode() const { return stringProperty("regionCode"); }
    void setRegionCode(std::optional<std::string> value) { setStringProperty("regionCode", std::move(value)); }
    std::optional<std::string> relatedToVideoId() const { return stringProperty("relatedToVideoId"); }
    void setRelatedToVideoId(std::optional<std::string> value) {
        setStringProperty("relatedToVideoId", std::move(value));
    }
    std::optional<std::string> relevanceLanguage() const { return stringProperty("relevanceLanguage"); }
    void setRelevanceLanguage(std::optional<std::string> value) {
        setStringProperty("relevanceLanguage", std::move(value));
    }
    std::optional<std::string> safeSearch() const { return stringProperty("safeSearch"); }
    void setSafeSearch(std::optional<std::string> value) { setStringProperty("safeSearch", std::move(value)); }
    std::optional<std::string> streamId() const { return stringProperty("streamId"); }
    void setStreamId(std::optional<std::string> value) { setStringProperty("streamId", std::move(value)); }
    std::optional<std::string> topicId() const { return stringProperty("topicId"); }
    void setTopicId(std::optional<std::string> value) { setStringProperty("topicId", std::move(value)); }
    std::optional<std::string> type() const { return stringProperty("type"); }
    void setType(std::optional<std::string> value) { setStringProperty("type", std::move(value)); }
    std::optional<std::string> videoCaption() const { return stringProperty("videoCaption"); }
    void setVideoCaption(std::optional<std::string> value) { setStringProperty("videoCaption", std::move(value)); }
    std::optional<std::string> videoCategoryId() const { return stringProperty("videoCategoryId"); }
    void setVideoCategoryId(std::optional<std::string> value) {
        setStringProperty("videoCategoryId", std::move(value));
    }
    std::optional<std::string> videoDefinition() const { return stringProperty("videoDefinition"); }
    void setVideoDefinition(std::optional<std::string> value) {
        setStringProperty("videoDefinition", std::move(value));
    }
    std::optional<std::string> videoDimension() const { return stringProperty("videoDimension"); }
    void setVideoDimension(std::optional<std::string> value) { setStringProperty("videoDimension", std::move(value)); }
    std::optional<std::string> videoDuration() const { return stringProperty("videoDuration"); }
    void setVideoDuration(std::optional<std::string> value) { setStringProperty("videoDuration", std::move(value)); }
    std::optional<std::string> videoEmbeddable() const { return stringProperty("videoEmbeddable"); }
    void setVideoEmbeddable(std::optional<std::string> value) {
        setStringProperty("videoEmbeddable", std::move(value));
    }
    std::optional<std::string> videoId() const { return stringProperty("videoId"); }
    void setVideoId(std::optional<std::string> value) { setStringProperty("videoId", std::move(value)); }
    std::optional<std::string> videoLicense() const { return stringProperty("videoLicense"); }
    void setVideoLicense(std::optional<std::string> value) { setStringProperty("videoLicense", std::move(value)); }
    std::optional<std::string> videoSyndicated() const { return stringProperty("videoSyndicated"); }
    void setVideoSyndicated(std::optional<std::string> value) {
        setStringProperty("videoSyndicated", std::move(value));
    }
    std::optional<std::string> videoType() const { return stringProperty("videoType"); }
    void setVideoType(std::optional<std::string> value) { setStringProperty("videoType", std::move(value)); }
    bool autoLevels() const { return boolProperty("autoLevels"); }
    void setAutoLevels(bool value) { setBoolProperty("autoLevels", value); }
    bool displaySlate() const { return boolProperty("displaySlate"); }
    void setDisplaySlate(bool value) { setBoolProperty("displaySlate", value); }
    bool forContentOwner() const { return boolProperty("forContentOwner"); }
    void setForContentOwner(bool value) { setBoolProperty("forContentOwner", value); }
    bool forMine() const { return boolProperty("forMine"); }
    void setForMine(bool value) { setBoolProperty("forMine", value); }
    bool home() const { return boolProperty("home"); }
    void setHome(bool value) { setBoolProperty("home", value); }
    bool managedByMe() const { return boolProperty("managedByMe"); }
    void setManagedByMe(bool value) { setBoolProperty("managedByMe", value); }
    bool mine() const { return boolProperty("mine"); }
    void setMine(bool value) { setBoolProperty("mine", value); }
    bool mySubscribers() const { return boolProperty("mySubscribers"); }
    void setMySubscribers(bool value) { setBoolProperty("mySubscribers", value); }
    bool notifySubscribers() const { return boolProperty("notifySubscribers"); }
    void setNotifySubscribers(bool value) { setBoolProperty("notifySubscribers", value); }
    bool stabilize() const { return boolProperty("stabilize"); }
    void setStabilize(bool value) { setBoolProperty("stabilize", value); }
    uint64_t maxResults() const { return uint64Property("maxResults"); }
    void setMaxResults(uint64_t value) { setUInt64Property("maxResults", value); }
    uint64_t offsetTimeMs() const { return uint64Property("offsetTimeMs"); }
    void setOffsetTimeMs(uint64_t value) { setUInt64Property("offsetTimeMs", value); }
    GTLDateTimePtr publishedAfter() { return dateTimeProperty("publishedAfter"); }
    void setPublishedAfter(GTLDateTimePtr value) { setDateTimeProperty("publishedAfter", std::move(value)); }
    GTLDateTimePtr publishedBefore() { return dateTimeProperty("publishedBefore"); }
    void setPublishedBefore(GTLDateTimePtr value) { setDateTimeProperty("publishedBefore", std::move(value)); }
    GTLDateTimePtr walltime() { return dateTimeProperty("walltime"); }
    void setWalltime(GTLDateTimePtr value) { setDateTimeProperty("walltime", std::move(value)); }

protected:
    GTLQueryPtr makeQuery(std::string methodName) const override {
        return std::make_shared<GTLQueryYouTube>(methodName);
    }
};

}  // namespace google
