#pragma once

// Nested objects shared across the API: thumbnails, paging, resource ids, localized texts, places and promotions.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLYouTubeBaseObjects.h"

namespace google {

class GTLYouTubeAccessPolicy : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeAccessPolicy)

public:
    GTL_NUMBER_PROPERTY(allowed, Allowed, "allowed")
    GTL_STRING_ARRAY_PROPERTY(exception, Exception, "exception")
};

class GTLYouTubeGeoPoint : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeGeoPoint)

public:
    GTL_NUMBER_PROPERTY(altitude, Altitude, "altitude")
    GTL_NUMBER_PROPERTY(latitude, Latitude, "latitude")
    GTL_NUMBER_PROPERTY(longitude, Longitude, "longitude")
};

class GTLYouTubeImageSettings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeImageSettings)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeLocalizedProperty, backgroundImageUrl, BackgroundImageUrl, "backgroundImageUrl")
    GTL_STRING_PROPERTY(bannerExternalUrl, BannerExternalUrl, "bannerExternalUrl")
    GTL_STRING_PROPERTY(bannerImageUrl, BannerImageUrl, "bannerImageUrl")
    GTL_STRING_PROPERTY(bannerMobileExtraHdImageUrl, BannerMobileExtraHdImageUrl, "bannerMobileExtraHdImageUrl")
    GTL_STRING_PROPERTY(bannerMobileHdImageUrl, BannerMobileHdImageUrl, "bannerMobileHdImageUrl")
    GTL_STRING_PROPERTY(bannerMobileImageUrl, BannerMobileImageUrl, "bannerMobileImageUrl")
    GTL_STRING_PROPERTY(bannerMobileLowImageUrl, BannerMobileLowImageUrl, "bannerMobileLowImageUrl")
    GTL_STRING_PROPERTY(bannerMobileMediumHdImageUrl, BannerMobileMediumHdImageUrl, "bannerMobileMediumHdImageUrl")
    GTL_STRING_PROPERTY(bannerTabletExtraHdImageUrl, BannerTabletExtraHdImageUrl, "bannerTabletExtraHdImageUrl")
    GTL_STRING_PROPERTY(bannerTabletHdImageUrl, BannerTabletHdImageUrl, "bannerTabletHdImageUrl")
    GTL_STRING_PROPERTY(bannerTabletImageUrl, BannerTabletImageUrl, "bannerTabletImageUrl")
    GTL_STRING_PROPERTY(bannerTabletLowImageUrl, BannerTabletLowImageUrl, "bannerTabletLowImageUrl")
    GTL_STRING_PROPERTY(bannerTvHighImageUrl, BannerTvHighImageUrl, "bannerTvHighImageUrl")
    GTL_STRING_PROPERTY(bannerTvImageUrl, BannerTvImageUrl, "bannerTvImageUrl")
    GTL_STRING_PROPERTY(bannerTvLowImageUrl, BannerTvLowImageUrl, "bannerTvLowImageUrl")
    GTL_STRING_PROPERTY(bannerTvMediumImageUrl, BannerTvMediumImageUrl, "bannerTvMediumImageUrl")
    GTL_OBJECT_PROPERTY(GTLYouTubeLocalizedProperty, largeBrandedBannerImageImapScript,
                        LargeBrandedBannerImageImapScript, "largeBrandedBannerImageImapScript")
    GTL_OBJECT_PROPERTY(GTLYouTubeLocalizedProperty, largeBrandedBannerImageUrl, LargeBrandedBannerImageUrl,
                        "largeBrandedBannerImageUrl")
    GTL_OBJECT_PROPERTY(GTLYouTubeLocalizedProperty, smallBrandedBannerImageImapScript,
                        SmallBrandedBannerImageImapScript, "smallBrandedBannerImageImapScript")
    GTL_OBJECT_PROPERTY(GTLYouTubeLocalizedProperty, smallBrandedBannerImageUrl, SmallBrandedBannerImageUrl,
                        "smallBrandedBannerImageUrl")
    GTL_STRING_PROPERTY(trackingImageUrl, TrackingImageUrl, "trackingImageUrl")
    GTL_STRING_PROPERTY(watchIconImageUrl, WatchIconImageUrl, "watchIconImageUrl")
};

class GTLYouTubeInvideoBranding : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeInvideoBranding)

public:
    GTL_STRING_PROPERTY(imageBytes, ImageBytes, "imageBytes")
    GTL_STRING_PROPERTY(imageUrl, ImageUrl, "imageUrl")
    GTL_OBJECT_PROPERTY(GTLYouTubeInvideoPosition, position, Position, "position")
    GTL_STRING_PROPERTY(targetChannelId, TargetChannelId, "targetChannelId")
    GTL_OBJECT_PROPERTY(GTLYouTubeInvideoTiming, timing, Timing, "timing")
};

class GTLYouTubeInvideoPosition : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeInvideoPosition)

public:
    GTL_STRING_PROPERTY(cornerPosition, CornerPosition, "cornerPosition")
    GTL_STRING_PROPERTY(type, Type, "type")
};

class GTLYouTubeInvideoPromotion : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeInvideoPromotion)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeInvideoTiming, defaultTiming, DefaultTiming, "defaultTiming")
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubePromotedItem, items, Items, "items")
    GTL_OBJECT_PROPERTY(GTLYouTubeInvideoPosition, position, Position, "position")
    GTL_NUMBER_PROPERTY(useSmartTiming, UseSmartTiming, "useSmartTiming")
};

class GTLYouTubeInvideoTiming : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeInvideoTiming)

public:
    GTL_NUMBER_PROPERTY(durationMs, DurationMs, "durationMs")
    GTL_NUMBER_PROPERTY(offsetMs, OffsetMs, "offsetMs")
    GTL_STRING_PROPERTY(type, Type, "type")
};

class GTLYouTubeLocalizedProperty : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLocalizedProperty)

public:
    GTL_STRING_PROPERTY(defaultProperty, DefaultProperty, "default")
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeLocalizedString, localized, Localized, "localized")
};

class GTLYouTubeLocalizedString : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLocalizedString)

public:
    GTL_STRING_PROPERTY(language, Language, "language")
    GTL_STRING_PROPERTY(value, Value, "value")
};

class GTLYouTubePageInfo : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePageInfo)

public:
    GTL_NUMBER_PROPERTY(resultsPerPage, ResultsPerPage, "resultsPerPage")
    GTL_NUMBER_PROPERTY(totalResults, TotalResults, "totalResults")
};

class GTLYouTubePromotedItem : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePromotedItem)

public:
    GTL_STRING_PROPERTY(customMessage, CustomMessage, "customMessage")
    GTL_OBJECT_PROPERTY(GTLYouTubePromotedItemId, identifier, Identifier, "id")
    GTL_NUMBER_PROPERTY(promotedByContentOwner, PromotedByContentOwner, "promotedByContentOwner")
    GTL_OBJECT_PROPERTY(GTLYouTubeInvideoTiming, timing, Timing, "timing")
};

class GTLYouTubePromotedItemId : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePromotedItemId)

public:
    GTL_STRING_PROPERTY(recentlyUploadedBy, RecentlyUploadedBy, "recentlyUploadedBy")
    GTL_STRING_PROPERTY(type, Type, "type")
    GTL_STRING_PROPERTY(videoId, VideoId, "videoId")
    GTL_STRING_PROPERTY(websiteUrl, WebsiteUrl, "websiteUrl")
};

class GTLYouTubePropertyValue : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePropertyValue)

public:
    GTL_STRING_PROPERTY(property, Property, "property")
    GTL_STRING_PROPERTY(value, Value, "value")
};

class GTLYouTubeResourceId : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeResourceId)

public:
    GTL_STRING_PROPERTY(channelId, ChannelId, "channelId")
    GTL_STRING_PROPERTY(kind, Kind, "kind")
    GTL_STRING_PROPERTY(playlistId, PlaylistId, "playlistId")
    GTL_STRING_PROPERTY(videoId, VideoId, "videoId")
};

class GTLYouTubeThumbnail : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeThumbnail)

public:
    GTL_NUMBER_PROPERTY(height, Height, "height")
    GTL_STRING_PROPERTY(url, Url, "url")
    GTL_NUMBER_PROPERTY(width, Width, "width")
};

class GTLYouTubeThumbnailDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeThumbnailDetails)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeThumbnail, defaultProperty, DefaultProperty, "default")
    GTL_OBJECT_PROPERTY(GTLYouTubeThumbnail, high, High, "high")
    GTL_OBJECT_PROPERTY(GTLYouTubeThumbnail, maxres, Maxres, "maxres")
    GTL_OBJECT_PROPERTY(GTLYouTubeThumbnail, medium, Medium, "medium")
    GTL_OBJECT_PROPERTY(GTLYouTubeThumbnail, standard, Standard, "standard")
};

class GTLYouTubeThumbnailSetResponse : public GTLYouTubeResponse {
    GTL_OBJECT_CLASS(GTLYouTubeThumbnailSetResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeThumbnailDetails, items, Items, "items")
};

class GTLYouTubeTokenPagination : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeTokenPagination)
};

class GTLYouTubeWatchSettings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeWatchSettings)

public:
    GTL_STRING_PROPERTY(backgroundColor, BackgroundColor, "backgroundColor")
    GTL_STRING_PROPERTY(featuredPlaylistId, FeaturedPlaylistId, "featuredPlaylistId")
    GTL_STRING_PROPERTY(textColor, TextColor, "textColor")
};

}  // namespace google
