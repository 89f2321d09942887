#pragma once

// Nested objects shared across the API: thumbnails, paging, resource ids, localized texts, places and promotions.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLYouTubeForward.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace google {

class GTLYouTubeAccessPolicy : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeAccessPolicy)

public:
    std::optional<Value> allowed() const;
    void setAllowed(std::optional<Value> value);
    std::optional<std::vector<std::string>> exception() const;
    void setException(std::optional<std::vector<std::string>> value);
};

class GTLYouTubeGeoPoint : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeGeoPoint)

public:
    std::optional<Value> altitude() const;
    void setAltitude(std::optional<Value> value);
    std::optional<Value> latitude() const;
    void setLatitude(std::optional<Value> value);
    std::optional<Value> longitude() const;
    void setLongitude(std::optional<Value> value);
};

class GTLYouTubeImageSettings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeImageSettings)

public:
    std::shared_ptr<GTLYouTubeLocalizedProperty> backgroundImageUrl();
    void setBackgroundImageUrl(const std::shared_ptr<GTLYouTubeLocalizedProperty>& value);
    std::optional<std::string> bannerExternalUrl() const;
    void setBannerExternalUrl(std::optional<std::string> value);
    std::optional<std::string> bannerImageUrl() const;
    void setBannerImageUrl(std::optional<std::string> value);
    std::optional<std::string> bannerMobileExtraHdImageUrl() const;
    void setBannerMobileExtraHdImageUrl(std::optional<std::string> value);
    std::optional<std::string> bannerMobileHdImageUrl() const;
    void setBannerMobileHdImageUrl(std::optional<std::string> value);
    std::optional<std::string> bannerMobileImageUrl() const;
    void setBannerMobileImageUrl(std::optional<std::string> value);
    std::optional<std::string> bannerMobileLowImageUrl() const;
    void setBannerMobileLowImageUrl(std::optional<std::string> value);
    std::optional<std::string> bannerMobileMediumHdImageUrl() const;
    void setBannerMobileMediumHdImageUrl(std::optional<std::string> value);
    std::optional<std::string> bannerTabletExtraHdImageUrl() const;
    void setBannerTabletExtraHdImageUrl(std::optional<std::string> value);
    std::optional<std::string> bannerTabletHdImageUrl() const;
    void setBannerTabletHdImageUrl(std::optional<std::string> value);
    std::optional<std::string> bannerTabletImageUrl() const;
    void setBannerTabletImageUrl(std::optional<std::string> value);
    std::optional<std::string> bannerTabletLowImageUrl() const;
    void setBannerTabletLowImageUrl(std::optional<std::string> value);
    std::optional<std::string> bannerTvHighImageUrl() const;
    void setBannerTvHighImageUrl(std::optional<std::string> value);
    std::optional<std::string> bannerTvImageUrl() const;
    void setBannerTvImageUrl(std::optional<std::string> value);
    std::optional<std::string> bannerTvLowImageUrl() const;
    void setBannerTvLowImageUrl(std::optional<std::string> value);
    std::optional<std::string> bannerTvMediumImageUrl() const;
    void setBannerTvMediumImageUrl(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeLocalizedProperty> largeBrandedBannerImageImapScript();
    void setLargeBrandedBannerImageImapScript(const std::shared_ptr<GTLYouTubeLocalizedProperty>& value);
    std::shared_ptr<GTLYouTubeLocalizedProperty> largeBrandedBannerImageUrl();
    void setLargeBrandedBannerImageUrl(const std::shared_ptr<GTLYouTubeLocalizedProperty>& value);
    std::shared_ptr<GTLYouTubeLocalizedProperty> smallBrandedBannerImageImapScript();
    void setSmallBrandedBannerImageImapScript(const std::shared_ptr<GTLYouTubeLocalizedProperty>& value);
    std::shared_ptr<GTLYouTubeLocalizedProperty> smallBrandedBannerImageUrl();
    void setSmallBrandedBannerImageUrl(const std::shared_ptr<GTLYouTubeLocalizedProperty>& value);
    std::optional<std::string> trackingImageUrl() const;
    void setTrackingImageUrl(std::optional<std::string> value);
    std::optional<std::string> watchIconImageUrl() const;
    void setWatchIconImageUrl(std::optional<std::string> value);
};

class GTLYouTubeInvideoBranding : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeInvideoBranding)

public:
    std::optional<std::string> imageBytes() const;
    void setImageBytes(std::optional<std::string> value);
    std::optional<std::string> imageUrl() const;
    void setImageUrl(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeInvideoPosition> position();
    void setPosition(const std::shared_ptr<GTLYouTubeInvideoPosition>& value);
    std::optional<std::string> targetChannelId() const;
    void setTargetChannelId(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeInvideoTiming> timing();
    void setTiming(const std::shared_ptr<GTLYouTubeInvideoTiming>& value);
};

class GTLYouTubeInvideoPosition : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeInvideoPosition)

public:
    std::optional<std::string> cornerPosition() const;
    void setCornerPosition(std::optional<std::string> value);
    std::optional<std::string> type() const;
    void setType(std::optional<std::string> value);
};

class GTLYouTubeInvideoPromotion : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeInvideoPromotion)

public:
    std::shared_ptr<GTLYouTubeInvideoTiming> defaultTiming();
    void setDefaultTiming(const std::shared_ptr<GTLYouTubeInvideoTiming>& value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubePromotedItem>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubePromotedItem>>>& value);
    std::shared_ptr<GTLYouTubeInvideoPosition> position();
    void setPosition(const std::shared_ptr<GTLYouTubeInvideoPosition>& value);
    std::optional<Value> useSmartTiming() const;
    void setUseSmartTiming(std::optional<Value> value);
};

class GTLYouTubeInvideoTiming : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeInvideoTiming)

public:
    std::optional<Value> durationMs() const;
    void setDurationMs(std::optional<Value> value);
    std::optional<Value> offsetMs() const;
    void setOffsetMs(std::optional<Value> value);
    std::optional<std::string> type() const;
    void setType(std::optional<std::string> value);
};

class GTLYouTubeLocalizedProperty : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLocalizedProperty)

public:
    std::optional<std::string> defaultProperty() const;
    void setDefaultProperty(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeLocalizedString>>> localized();
    void setLocalized(const std::optional<std::vector<std::shared_ptr<GTLYouTubeLocalizedString>>>& value);
};

class GTLYouTubeLocalizedString : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLocalizedString)

public:
    std::optional<std::string> language() const;
    void setLanguage(std::optional<std::string> value);
    std::optional<std::string> value() const;
    void setValue(std::optional<std::string> value);
};

class GTLYouTubePageInfo : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePageInfo)

public:
    std::optional<Value> resultsPerPage() const;
    void setResultsPerPage(std::optional<Value> value);
    std::optional<Value> totalResults() const;
    void setTotalResults(std::optional<Value> value);
};

class GTLYouTubePromotedItem : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePromotedItem)

public:
    std::optional<std::string> customMessage() const;
    void setCustomMessage(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubePromotedItemId> identifier();
    void setIdentifier(const std::shared_ptr<GTLYouTubePromotedItemId>& value);
    std::optional<Value> promotedByContentOwner() const;
    void setPromotedByContentOwner(std::optional<Value> value);
    std::shared_ptr<GTLYouTubeInvideoTiming> timing();
    void setTiming(const std::shared_ptr<GTLYouTubeInvideoTiming>& value);
};

class GTLYouTubePromotedItemId : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePromotedItemId)

public:
    std::optional<std::string> recentlyUploadedBy() const;
    void setRecentlyUploadedBy(std::optional<std::string> value);
    std::optional<std::string> type() const;
    void setType(std::optional<std::string> value);
    std::optional<std::string> videoId() const;
    void setVideoId(std::optional<std::string> value);
    std::optional<std::string> websiteUrl() const;
    void setWebsiteUrl(std::optional<std::string> value);
};

class GTLYouTubePropertyValue : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePropertyValue)

public:
    std::optional<std::string> property() const;
    void setProperty(std::optional<std::string> value);
    std::optional<std::string> value() const;
    void setValue(std::optional<std::string> value);
};

class GTLYouTubeResourceId : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeResourceId)

public:
    std::optional<std::string> channelId() const;
    void setChannelId(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::optional<std::string> playlistId() const;
    void setPlaylistId(std::optional<std::string> value);
    std::optional<std::string> videoId() const;
    void setVideoId(std::optional<std::string> value);
};

class GTLYouTubeThumbnail : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeThumbnail)

public:
    std::optional<Value> height() const;
    void setHeight(std::optional<Value> value);
    std::optional<std::string> url() const;
    void setUrl(std::optional<std::string> value);
    std::optional<Value> width() const;
    void setWidth(std::optional<Value> value);
};

class GTLYouTubeThumbnailDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeThumbnailDetails)

public:
    std::shared_ptr<GTLYouTubeThumbnail> defaultProperty();
    void setDefaultProperty(const std::shared_ptr<GTLYouTubeThumbnail>& value);
    std::shared_ptr<GTLYouTubeThumbnail> high();
    void setHigh(const std::shared_ptr<GTLYouTubeThumbnail>& value);
    std::shared_ptr<GTLYouTubeThumbnail> maxres();
    void setMaxres(const std::shared_ptr<GTLYouTubeThumbnail>& value);
    std::shared_ptr<GTLYouTubeThumbnail> medium();
    void setMedium(const std::shared_ptr<GTLYouTubeThumbnail>& value);
    std::shared_ptr<GTLYouTubeThumbnail> standard();
    void setStandard(const std::shared_ptr<GTLYouTubeThumbnail>& value);
};

class GTLYouTubeThumbnailSetResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeThumbnailSetResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeThumbnailDetails>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeThumbnailDetails>>>& value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::optional<std::string> visitorId() const;
    void setVisitorId(std::optional<std::string> value);
};

class GTLYouTubeTokenPagination : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeTokenPagination)
};

class GTLYouTubeWatchSettings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeWatchSettings)

public:
    std::optional<std::string> backgroundColor() const;
    void setBackgroundColor(std::optional<std::string> value);
    std::optional<std::string> featuredPlaylistId() const;
    void setFeaturedPlaylistId(std::optional<std::string> value);
    std::optional<std::string> textColor() const;
    void setTextColor(std::optional<std::string> value);
};

}  // namespace google
