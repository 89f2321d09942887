#include "components/google/GTLQueryYouTube.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

const GTLClassInfo& GTLQueryYouTube::classInfo() {
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLQueryYouTube", &GTLQuery::classInfo(), nullptr);
        made.declaredProperties = {"fields",
                                   "broadcastStatus",
                                   "categoryId",
                                   "channelId",
                                   "channelType",
                                   "chart",
                                   "eventType",
                                   "forChannelId",
                                   "forUsername",
                                   "hl",
                                   "identifier",
                                   "locale",
                                   "location",
                                   "locationRadius",
                                   "myRating",
                                   "onBehalfOfContentOwner",
                                   "onBehalfOfContentOwnerChannel",
                                   "order",
                                   "pageToken",
                                   "part",
                                   "playlistId",
                                   "q",
                                   "rating",
                                   "regionCode",
                                   "relatedToVideoId",
                                   "relevanceLanguage",
                                   "safeSearch",
                                   "streamId",
                                   "topicId",
                                   "type",
                                   "videoCaption",
                                   "videoCategoryId",
                                   "videoDefinition",
                                   "videoDimension",
                                   "videoDuration",
                                   "videoEmbeddable",
                                   "videoId",
                                   "videoLicense",
                                   "videoSyndicated",
                                   "videoType",
                                   "autoLevels",
                                   "displaySlate",
                                   "forContentOwner",
                                   "forMine",
                                   "home",
                                   "managedByMe",
                                   "mine",
                                   "mySubscribers",
                                   "notifySubscribers",
                                   "stabilize",
                                   "maxResults",
                                   "offsetTimeMs",
                                   "publishedAfter",
                                   "publishedBefore",
                                   "walltime"};
        made.propertyToJSONKeyMap = {{"identifier", "id"}};
        return made;
    }();
    return info;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForActivitiesInsertWithObjectPart(
    const std::shared_ptr<GTLYouTubeActivity>& object, const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.activities.insert");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeActivity::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForActivitiesListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.activities.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeActivityListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForChannelBannersInsertWithObjectUploadParameters(
    const std::shared_ptr<GTLYouTubeChannelBannerResource>& object, const GTLUploadParametersPtr& uploadParameters) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.channelBanners.insert");
    query->setBodyObject(object);
    query->setUploadParameters(uploadParameters);
    query->setExpectedObjectClass(&GTLYouTubeChannelBannerResource::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForChannelSectionsDeleteWithIdentifier(const std::string& identifier) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.channelSections.delete");
    query->setIdentifier(identifier);
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForChannelSectionsInsertWithObjectPart(
    const std::shared_ptr<GTLYouTubeChannelSection>& object, const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.channelSections.insert");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeChannelSection::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForChannelSectionsListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.channelSections.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeChannelSectionListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForChannelSectionsUpdateWithObjectPart(
    const std::shared_ptr<GTLYouTubeChannelSection>& object, const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.channelSections.update");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeChannelSection::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForChannelsListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.channels.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeChannelListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForChannelsUpdateWithObjectPart(
    const std::shared_ptr<GTLYouTubeChannel>& object, const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.channels.update");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeChannel::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForGuideCategoriesListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.guideCategories.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeGuideCategoryListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForI18nLanguagesListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.i18nLanguages.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeI18nLanguageListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForI18nRegionsListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.i18nRegions.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeI18nRegionListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForLiveBroadcastsBindWithIdentifierPart(const std::string& identifier,
                                                                                 const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.liveBroadcasts.bind");
    query->setIdentifier(identifier);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeLiveBroadcast::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForLiveBroadcastsControlWithIdentifierPart(const std::string& identifier,
                                                                                    const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.liveBroadcasts.control");
    query->setIdentifier(identifier);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeLiveBroadcast::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForLiveBroadcastsDeleteWithIdentifier(const std::string& identifier) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.liveBroadcasts.delete");
    query->setIdentifier(identifier);
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForLiveBroadcastsInsertWithObjectPart(
    const std::shared_ptr<GTLYouTubeLiveBroadcast>& object, const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.liveBroadcasts.insert");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeLiveBroadcast::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForLiveBroadcastsListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.liveBroadcasts.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeLiveBroadcastListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForLiveBroadcastsTransitionWithBroadcastStatusIdentifierPart(
    const std::string& broadcastStatus, const std::string& identifier, const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.liveBroadcasts.transition");
    query->setBroadcastStatus(broadcastStatus);
    query->setIdentifier(identifier);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeLiveBroadcast::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForLiveBroadcastsUpdateWithObjectPart(
    const std::shared_ptr<GTLYouTubeLiveBroadcast>& object, const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.liveBroadcasts.update");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeLiveBroadcast::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForLiveStreamsDeleteWithIdentifier(const std::string& identifier) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.liveStreams.delete");
    query->setIdentifier(identifier);
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForLiveStreamsInsertWithObjectPart(
    const std::shared_ptr<GTLYouTubeLiveStream>& object, const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.liveStreams.insert");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeLiveStream::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForLiveStreamsListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.liveStreams.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeLiveStreamListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForLiveStreamsUpdateWithObjectPart(
    const std::shared_ptr<GTLYouTubeLiveStream>& object, const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.liveStreams.update");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeLiveStream::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForPlaylistItemsDeleteWithIdentifier(const std::string& identifier) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.playlistItems.delete");
    query->setIdentifier(identifier);
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForPlaylistItemsInsertWithObjectPart(
    const std::shared_ptr<GTLYouTubePlaylistItem>& object, const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.playlistItems.insert");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubePlaylistItem::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForPlaylistItemsListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.playlistItems.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubePlaylistItemListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForPlaylistItemsUpdateWithObjectPart(
    const std::shared_ptr<GTLYouTubePlaylistItem>& object, const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.playlistItems.update");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubePlaylistItem::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForPlaylistsDeleteWithIdentifier(const std::string& identifier) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.playlists.delete");
    query->setIdentifier(identifier);
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForPlaylistsInsertWithObjectPart(
    const std::shared_ptr<GTLYouTubePlaylist>& object, const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.playlists.insert");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubePlaylist::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForPlaylistsListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.playlists.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubePlaylistListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForPlaylistsUpdateWithObjectPart(
    const std::shared_ptr<GTLYouTubePlaylist>& object, const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.playlists.update");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubePlaylist::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForSearchListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.search.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeSearchListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForSubscriptionsDeleteWithIdentifier(const std::string& identifier) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.subscriptions.delete");
    query->setIdentifier(identifier);
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForSubscriptionsInsertWithObjectPart(
    const std::shared_ptr<GTLYouTubeSubscription>& object, const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.subscriptions.insert");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeSubscription::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForSubscriptionsListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.subscriptions.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeSubscriptionListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForThumbnailsSetWithVideoIdUploadParameters(
    const std::string& videoId, const GTLUploadParametersPtr& uploadParameters) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.thumbnails.set");
    query->setVideoId(videoId);
    query->setUploadParameters(uploadParameters);
    query->setExpectedObjectClass(&GTLYouTubeThumbnailSetResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForVideoCategoriesListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.videoCategories.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeVideoCategoryListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForVideosDeleteWithIdentifier(const std::string& identifier) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.videos.delete");
    query->setIdentifier(identifier);
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForVideosGetRatingWithIdentifier(const std::string& identifier) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.videos.getRating");
    query->setIdentifier(identifier);
    query->setExpectedObjectClass(&GTLYouTubeVideoGetRatingResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForVideosInsertWithObjectPartUploadParameters(
    const std::shared_ptr<GTLYouTubeVideo>& object, const std::string& part,
    const GTLUploadParametersPtr& uploadParameters) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.videos.insert");
    query->setBodyObject(object);
    query->setPart(part);
    query->setUploadParameters(uploadParameters);
    query->setExpectedObjectClass(&GTLYouTubeVideo::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForVideosListWithPart(const std::string& part) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.videos.list");
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeVideoListResponse::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForVideosRateWithIdentifierRating(const std::string& identifier,
                                                                           const std::string& rating) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.videos.rate");
    query->setIdentifier(identifier);
    query->setRating(rating);
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForVideosUpdateWithObjectPart(const std::shared_ptr<GTLYouTubeVideo>& object,
                                                                       const std::string& part) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.videos.update");
    query->setBodyObject(object);
    query->setPart(part);
    query->setExpectedObjectClass(&GTLYouTubeVideo::classInfo());
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForWatermarksSetWithObjectChannelIdUploadParameters(
    const std::shared_ptr<GTLYouTubeInvideoBranding>& object, const std::string& channelId,
    const GTLUploadParametersPtr& uploadParameters) {
    if (!object) return nullptr;
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.watermarks.set");
    query->setBodyObject(object);
    query->setChannelId(channelId);
    query->setUploadParameters(uploadParameters);
    return query;
}

GTLQueryYouTubePtr GTLQueryYouTube::queryForWatermarksUnsetWithChannelId(const std::string& channelId) {
    auto query = makeWithMethodName<GTLQueryYouTube>("youtube.watermarks.unset");
    query->setChannelId(channelId);
    return query;
}

}  // namespace google
