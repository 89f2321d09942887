#include "components/google/GTLYouTubeCommonObjects.h"

#include "components/google/GTLYouTubeObjects.h"

#include <mutex>
#include <utility>

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
        const std::pair<GTLClassRef, const char*> kinds[] = {
            {&GTLYouTubeActivity::classInfo, "youtube#activity"},
            {&GTLYouTubeActivityListResponse::classInfo, "youtube#activityListResponse"},
            {&GTLYouTubeChannel::classInfo, "youtube#channel"},
            {&GTLYouTubeChannelBannerResource::classInfo, "youtube#channelBannerResource"},
            {&GTLYouTubeChannelListResponse::classInfo, "youtube#channelListResponse"},
            {&GTLYouTubeChannelSection::classInfo, "youtube#channelSection"},
            {&GTLYouTubeChannelSectionListResponse::classInfo, "youtube#channelSectionListResponse"},
            {&GTLYouTubeGuideCategory::classInfo, "youtube#guideCategory"},
            {&GTLYouTubeGuideCategoryListResponse::classInfo, "youtube#guideCategoryListResponse"},
            {&GTLYouTubeI18nLanguage::classInfo, "youtube#i18nLanguage"},
            {&GTLYouTubeI18nLanguageListResponse::classInfo, "youtube#i18nLanguageListResponse"},
            {&GTLYouTubeI18nRegion::classInfo, "youtube#i18nRegion"},
            {&GTLYouTubeI18nRegionListResponse::classInfo, "youtube#i18nRegionListResponse"},
            {&GTLYouTubeLiveBroadcast::classInfo, "youtube#liveBroadcast"},
            {&GTLYouTubeLiveBroadcastListResponse::classInfo, "youtube#liveBroadcastListResponse"},
            {&GTLYouTubeLiveStream::classInfo, "youtube#liveStream"},
            {&GTLYouTubeLiveStreamListResponse::classInfo, "youtube#liveStreamListResponse"},
            {&GTLYouTubePlaylist::classInfo, "youtube#playlist"},
            {&GTLYouTubePlaylistItem::classInfo, "youtube#playlistItem"},
            {&GTLYouTubePlaylistItemListResponse::classInfo, "youtube#playlistItemListResponse"},
            {&GTLYouTubePlaylistListResponse::classInfo, "youtube#playlistListResponse"},
            {&GTLYouTubeSearchListResponse::classInfo, "youtube#searchListResponse"},
            {&GTLYouTubeSearchResult::classInfo, "youtube#searchResult"},
            {&GTLYouTubeSubscription::classInfo, "youtube#subscription"},
            {&GTLYouTubeSubscriptionListResponse::classInfo, "youtube#subscriptionListResponse"},
            {&GTLYouTubeThumbnailSetResponse::classInfo, "youtube#thumbnailSetResponse"},
            {&GTLYouTubeVideo::classInfo, "youtube#video"},
            {&GTLYouTubeVideoCategory::classInfo, "youtube#videoCategory"},
            {&GTLYouTubeVideoCategoryListResponse::classInfo, "youtube#videoCategoryListResponse"},
            {&GTLYouTubeVideoGetRatingResponse::classInfo, "youtube#videoGetRatingResponse"},
            {&GTLYouTubeVideoListResponse::classInfo, "youtube#videoListResponse"},
        };
        for (const auto& [objectClass, kind] : kinds) GTLObject::registerObjectClassForKind(objectClass, kind);
    });
}

}  // namespace google
