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
    GTL_STRING_PROPERTY(fields, Fields, "fields")
    GTL_STRING_PROPERTY(broadcastStatus, BroadcastStatus, "broadcastStatus")
    GTL_STRING_PROPERTY(categoryId, CategoryId, "categoryId")
    GTL_STRING_PROPERTY(channelId, ChannelId, "channelId")
    GTL_STRING_PROPERTY(channelType, ChannelType, "channelType")
    GTL_STRING_PROPERTY(chart, Chart, "chart")
    GTL_STRING_PROPERTY(eventType, EventType, "eventType")
    GTL_STRING_PROPERTY(forChannelId, ForChannelId, "forChannelId")
    GTL_STRING_PROPERTY(forUsername, ForUsername, "forUsername")
    GTL_STRING_PROPERTY(hl, Hl, "hl")
    GTL_STRING_PROPERTY(identifier, Identifier, "id")
    GTL_STRING_PROPERTY(locale, Locale, "locale")
    GTL_STRING_PROPERTY(location, Location, "location")
    GTL_STRING_PROPERTY(locationRadius, LocationRadius, "locationRadius")
    GTL_STRING_PROPERTY(myRating, MyRating, "myRating")
    GTL_STRING_PROPERTY(onBehalfOfContentOwner, OnBehalfOfContentOwner, "onBehalfOfContentOwner")
    GTL_STRING_PROPERTY(onBehalfOfContentOwnerChannel, OnBehalfOfContentOwnerChannel, "onBehalfOfContentOwnerChannel")
    GTL_STRING_PROPERTY(order, Order, "order")
    GTL_STRING_PROPERTY(pageToken, PageToken, "pageToken")
    GTL_STRING_PROPERTY(part, Part, "part")
    GTL_STRING_PROPERTY(playlistId, PlaylistId, "playlistId")
    GTL_STRING_PROPERTY(q, Q, "q")
    GTL_STRING_PROPERTY(rating, Rating, "rating")
    GTL_STRING_PROPERTY(regionCode, RegionCode, "regionCode")
    GTL_STRING_PROPERTY(relatedToVideoId, RelatedToVideoId, "relatedToVideoId")
    GTL_STRING_PROPERTY(relevanceLanguage, RelevanceLanguage, "relevanceLanguage")
    GTL_STRING_PROPERTY(safeSearch, SafeSearch, "safeSearch")
    GTL_STRING_PROPERTY(streamId, StreamId, "streamId")
    GTL_STRING_PROPERTY(topicId, TopicId, "topicId")
    GTL_STRING_PROPERTY(type, Type, "type")
    GTL_STRING_PROPERTY(videoCaption, VideoCaption, "videoCaption")
    GTL_STRING_PROPERTY(videoCategoryId, VideoCategoryId, "videoCategoryId")
    GTL_STRING_PROPERTY(videoDefinition, VideoDefinition, "videoDefinition")
    GTL_STRING_PROPERTY(videoDimension, VideoDimension, "videoDimension")
    GTL_STRING_PROPERTY(videoDuration, VideoDuration, "videoDuration")
    GTL_STRING_PROPERTY(videoEmbeddable, VideoEmbeddable, "videoEmbeddable")
    GTL_STRING_PROPERTY(videoId, VideoId, "videoId")
    GTL_STRING_PROPERTY(videoLicense, VideoLicense, "videoLicense")
    GTL_STRING_PROPERTY(videoSyndicated, VideoSyndicated, "videoSyndicated")
    GTL_STRING_PROPERTY(videoType, VideoType, "videoType")
    GTL_BOOL_PROPERTY(autoLevels, AutoLevels, "autoLevels")
    GTL_BOOL_PROPERTY(displaySlate, DisplaySlate, "displaySlate")
    GTL_BOOL_PROPERTY(forContentOwner, ForContentOwner, "forContentOwner")
    GTL_BOOL_PROPERTY(forMine, ForMine, "forMine")
    GTL_BOOL_PROPERTY(home, Home, "home")
    GTL_BOOL_PROPERTY(managedByMe, ManagedByMe, "managedByMe")
    GTL_BOOL_PROPERTY(mine, Mine, "mine")
    GTL_BOOL_PROPERTY(mySubscribers, MySubscribers, "mySubscribers")
    GTL_BOOL_PROPERTY(notifySubscribers, NotifySubscribers, "notifySubscribers")
    GTL_BOOL_PROPERTY(stabilize, Stabilize, "stabilize")
    GTL_UINT64_PROPERTY(maxResults, MaxResults, "maxResults")
    GTL_UINT64_PROPERTY(offsetTimeMs, OffsetTimeMs, "offsetTimeMs")
    GTL_DATE_TIME_PROPERTY(publishedAfter, PublishedAfter, "publishedAfter")
    GTL_DATE_TIME_PROPERTY(publishedBefore, PublishedBefore, "publishedBefore")
    GTL_DATE_TIME_PROPERTY(walltime, Walltime, "walltime")

protected:
    GTLQueryPtr makeQuery(std::string methodName) const override {
        return std::make_shared<GTLQueryYouTube>(methodName);
    }
};

}  // namespace google
