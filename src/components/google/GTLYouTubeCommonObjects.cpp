#include "components/google/GTLYouTubeCommonObjects.h"

#include "components/google/GTLYouTubeObjects.h"

#include <mutex>

namespace google {

GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeAccessPolicy, GTLObject, made.declaredProperties = {"allowed", "exception"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeGeoPoint, GTLObject,
                         made.declaredProperties = {"altitude", "latitude", "longitude"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeImageSettings, GTLObject,
                         made.declaredProperties = {"backgroundImageUrl",
                                                    "bannerExternalUrl",
                                                    "bannerImageUrl",
                                                    "bannerMobileExtraHdImageUrl",
                                                    "bannerMobileHdImageUrl",
                                                    "bannerMobileImageUrl",
                                                    "bannerMobileLowImageUrl",
                                                    "bannerMobileMediumHdImageUrl",
                                                    "bannerTabletExtraHdImageUrl",
                                                    "bannerTabletHdImageUrl",
                                                    "bannerTabletImageUrl",
                                                    "bannerTabletLowImageUrl",
                                                    "bannerTvHighImageUrl",
                                                    "bannerTvImageUrl",
                                                    "bannerTvLowImageUrl",
                                                    "bannerTvMediumImageUrl",
                                                    "largeBrandedBannerImageImapScript",
                                                    "largeBrandedBannerImageUrl",
                                                    "smallBrandedBannerImageImapScript",
                                                    "smallBrandedBannerImageUrl",
                                                    "trackingImageUrl",
                                                    "watchIconImageUrl"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeInvideoBranding, GTLObject,
                         made.declaredProperties = {"imageBytes", "imageUrl", "position", "targetChannelId", "timing"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeInvideoPosition, GTLObject, made.declaredProperties = {"cornerPosition", "type"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeInvideoPromotion, GTLCollectionObject,
                         made.declaredProperties = {"defaultTiming", "items", "position", "useSmartTiming"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubePromotedItem::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeInvideoTiming, GTLObject,
                         made.declaredProperties = {"durationMs", "offsetMs", "type"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeLocalizedProperty, GTLObject,
                         made.declaredProperties = {"defaultProperty", "localized"};
                         made.propertyToJSONKeyMap = {{"defaultProperty", "default"}};
                         made.arrayPropertyToClassMap = {{"localized", &GTLYouTubeLocalizedString::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeLocalizedString, GTLObject, made.declaredProperties = {"language", "value"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePageInfo, GTLObject, made.declaredProperties = {"resultsPerPage", "totalResults"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePromotedItem, GTLObject,
                         made.declaredProperties = {"customMessage", "identifier", "promotedByContentOwner", "timing"};
                         made.propertyToJSONKeyMap = {{"identifier", "id"}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePromotedItemId, GTLObject,
                         made.declaredProperties = {"recentlyUploadedBy", "type", "videoId", "websiteUrl"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubePropertyValue, GTLObject, made.declaredProperties = {"property", "value"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeResourceId, GTLObject,
                         made.declaredProperties = {"channelId", "kind", "playlistId", "videoId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeThumbnail, GTLObject, made.declaredProperties = {"height", "url", "width"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeThumbnailDetails, GTLObject,
                         made.declaredProperties = {"defaultProperty", "high", "maxres", "medium", "standard"};
                         made.propertyToJSONKeyMap = {{"defaultProperty", "default"}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeThumbnailSetResponse, GTLYouTubeResponse, made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeThumbnailDetails::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeTokenPagination, GTLObject, )
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeWatchSettings, GTLObject,
                         made.declaredProperties = {"backgroundColor", "featuredPlaylistId", "textColor"};)

void GTLYouTubeLoadKinds() {
    static std::once_flag once;
    std::call_once(once, [] {
        GTLObject::registerObjectClassForKind(&GTLYouTubeActivity::classInfo, "youtube#activity");
        GTLObject::registerObjectClassForKind(&GTLYouTubeActivityListResponse::classInfo,
                                              "youtube#activityListResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubeChannel::classInfo, "youtube#channel");
        GTLObject::registerObjectClassForKind(&GTLYouTubeChannelBannerResource::classInfo,
                                              "youtube#channelBannerResource");
        GTLObject::registerObjectClassForKind(&GTLYouTubeChannelListResponse::classInfo, "youtube#channelListResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubeChannelSection::classInfo, "youtube#channelSection");
        GTLObject::registerObjectClassForKind(&GTLYouTubeChannelSectionListResponse::classInfo,
                                              "youtube#channelSectionListResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubeGuideCategory::classInfo, "youtube#guideCategory");
        GTLObject::registerObjectClassForKind(&GTLYouTubeGuideCategoryListResponse::classInfo,
                                              "youtube#guideCategoryListResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubeI18nLanguage::classInfo, "youtube#i18nLanguage");
        GTLObject::registerObjectClassForKind(&GTLYouTubeI18nLanguageListResponse::classInfo,
                                              "youtube#i18nLanguageListResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubeI18nRegion::classInfo, "youtube#i18nRegion");
        GTLObject::registerObjectClassForKind(&GTLYouTubeI18nRegionListResponse::classInfo,
                                              "youtube#i18nRegionListResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubeLiveBroadcast::classInfo, "youtube#liveBroadcast");
        GTLObject::registerObjectClassForKind(&GTLYouTubeLiveBroadcastListResponse::classInfo,
                                              "youtube#liveBroadcastListResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubeLiveStream::classInfo, "youtube#liveStream");
        GTLObject::registerObjectClassForKind(&GTLYouTubeLiveStreamListResponse::classInfo,
                                              "youtube#liveStreamListResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubePlaylist::classInfo, "youtube#playlist");
        GTLObject::registerObjectClassForKind(&GTLYouTubePlaylistItem::classInfo, "youtube#playlistItem");
        GTLObject::registerObjectClassForKind(&GTLYouTubePlaylistItemListResponse::classInfo,
                                              "youtube#playlistItemListResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubePlaylistListResponse::classInfo,
                                              "youtube#playlistListResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubeSearchListResponse::classInfo, "youtube#searchListResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubeSearchResult::classInfo, "youtube#searchResult");
        GTLObject::registerObjectClassForKind(&GTLYouTubeSubscription::classInfo, "youtube#subscription");
        GTLObject::registerObjectClassForKind(&GTLYouTubeSubscriptionListResponse::classInfo,
                                              "youtube#subscriptionListResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubeThumbnailSetResponse::classInfo,
                                              "youtube#thumbnailSetResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubeVideo::classInfo, "youtube#video");
        GTLObject::registerObjectClassForKind(&GTLYouTubeVideoCategory::classInfo, "youtube#videoCategory");
        GTLObject::registerObjectClassForKind(&GTLYouTubeVideoCategoryListResponse::classInfo,
                                              "youtube#videoCategoryListResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubeVideoGetRatingResponse::classInfo,
                                              "youtube#videoGetRatingResponse");
        GTLObject::registerObjectClassForKind(&GTLYouTubeVideoListResponse::classInfo, "youtube#videoListResponse");
    });
}

}  // namespace google
