#include "components/google/GTLYouTubeCommonObjects.h"

#include "components/google/GTLYouTubeObjects.h"

#include <mutex>

namespace google {

const GTLClassInfo& GTLYouTubeAccessPolicy::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeAccessPolicy", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeAccessPolicy>(); });
        made.declaredProperties = {"allowed", "exception"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeAccessPolicy::allowed() const { return numberProperty("allowed"); }
void GTLYouTubeAccessPolicy::setAllowed(std::optional<Value> value) { setNumberProperty("allowed", std::move(value)); }
std::optional<std::vector<std::string>> GTLYouTubeAccessPolicy::exception() const {
    return stringArrayProperty("exception");
}
void GTLYouTubeAccessPolicy::setException(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("exception", std::move(value));
}

const GTLClassInfo& GTLYouTubeGeoPoint::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeGeoPoint", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeGeoPoint>(); });
        made.declaredProperties = {"altitude", "latitude", "longitude"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeGeoPoint::altitude() const { return numberProperty("altitude"); }
void GTLYouTubeGeoPoint::setAltitude(std::optional<Value> value) { setNumberProperty("altitude", std::move(value)); }
std::optional<Value> GTLYouTubeGeoPoint::latitude() const { return numberProperty("latitude"); }
void GTLYouTubeGeoPoint::setLatitude(std::optional<Value> value) { setNumberProperty("latitude", std::move(value)); }
std::optional<Value> GTLYouTubeGeoPoint::longitude() const { return numberProperty("longitude"); }
void GTLYouTubeGeoPoint::setLongitude(std::optional<Value> value) { setNumberProperty("longitude", std::move(value)); }

const GTLClassInfo& GTLYouTubeImageSettings::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeImageSettings", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeImageSettings>(); });
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
                                   "watchIconImageUrl"};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeLocalizedProperty> GTLYouTubeImageSettings::backgroundImageUrl() {
    return typedObjectProperty<GTLYouTubeLocalizedProperty>("backgroundImageUrl");
}
void GTLYouTubeImageSettings::setBackgroundImageUrl(const std::shared_ptr<GTLYouTubeLocalizedProperty>& value) {
    setTypedObjectProperty("backgroundImageUrl", value);
}
std::optional<std::string> GTLYouTubeImageSettings::bannerExternalUrl() const {
    return stringProperty("bannerExternalUrl");
}
void GTLYouTubeImageSettings::setBannerExternalUrl(std::optional<std::string> value) {
    setStringProperty("bannerExternalUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerImageUrl() const { return stringProperty("bannerImageUrl"); }
void GTLYouTubeImageSettings::setBannerImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerMobileExtraHdImageUrl() const {
    return stringProperty("bannerMobileExtraHdImageUrl");
}
void GTLYouTubeImageSettings::setBannerMobileExtraHdImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerMobileExtraHdImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerMobileHdImageUrl() const {
    return stringProperty("bannerMobileHdImageUrl");
}
void GTLYouTubeImageSettings::setBannerMobileHdImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerMobileHdImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerMobileImageUrl() const {
    return stringProperty("bannerMobileImageUrl");
}
void GTLYouTubeImageSettings::setBannerMobileImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerMobileImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerMobileLowImageUrl() const {
    return stringProperty("bannerMobileLowImageUrl");
}
void GTLYouTubeImageSettings::setBannerMobileLowImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerMobileLowImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerMobileMediumHdImageUrl() const {
    return stringProperty("bannerMobileMediumHdImageUrl");
}
void GTLYouTubeImageSettings::setBannerMobileMediumHdImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerMobileMediumHdImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerTabletExtraHdImageUrl() const {
    return stringProperty("bannerTabletExtraHdImageUrl");
}
void GTLYouTubeImageSettings::setBannerTabletExtraHdImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerTabletExtraHdImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerTabletHdImageUrl() const {
    return stringProperty("bannerTabletHdImageUrl");
}
void GTLYouTubeImageSettings::setBannerTabletHdImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerTabletHdImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerTabletImageUrl() const {
    return stringProperty("bannerTabletImageUrl");
}
void GTLYouTubeImageSettings::setBannerTabletImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerTabletImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerTabletLowImageUrl() const {
    return stringProperty("bannerTabletLowImageUrl");
}
void GTLYouTubeImageSettings::setBannerTabletLowImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerTabletLowImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerTvHighImageUrl() const {
    return stringProperty("bannerTvHighImageUrl");
}
void GTLYouTubeImageSettings::setBannerTvHighImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerTvHighImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerTvImageUrl() const {
    return stringProperty("bannerTvImageUrl");
}
void GTLYouTubeImageSettings::setBannerTvImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerTvImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerTvLowImageUrl() const {
    return stringProperty("bannerTvLowImageUrl");
}
void GTLYouTubeImageSettings::setBannerTvLowImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerTvLowImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::bannerTvMediumImageUrl() const {
    return stringProperty("bannerTvMediumImageUrl");
}
void GTLYouTubeImageSettings::setBannerTvMediumImageUrl(std::optional<std::string> value) {
    setStringProperty("bannerTvMediumImageUrl", std::move(value));
}
std::shared_ptr<GTLYouTubeLocalizedProperty> GTLYouTubeImageSettings::largeBrandedBannerImageImapScript() {
    return typedObjectProperty<GTLYouTubeLocalizedProperty>("largeBrandedBannerImageImapScript");
}
void GTLYouTubeImageSettings::setLargeBrandedBannerImageImapScript(
    const std::shared_ptr<GTLYouTubeLocalizedProperty>& value) {
    setTypedObjectProperty("largeBrandedBannerImageImapScript", value);
}
std::shared_ptr<GTLYouTubeLocalizedProperty> GTLYouTubeImageSettings::largeBrandedBannerImageUrl() {
    return typedObjectProperty<GTLYouTubeLocalizedProperty>("largeBrandedBannerImageUrl");
}
void GTLYouTubeImageSettings::setLargeBrandedBannerImageUrl(const std::shared_ptr<GTLYouTubeLocalizedProperty>& value) {
    setTypedObjectProperty("largeBrandedBannerImageUrl", value);
}
std::shared_ptr<GTLYouTubeLocalizedProperty> GTLYouTubeImageSettings::smallBrandedBannerImageImapScript() {
    return typedObjectProperty<GTLYouTubeLocalizedProperty>("smallBrandedBannerImageImapScript");
}
void GTLYouTubeImageSettings::setSmallBrandedBannerImageImapScript(
    const std::shared_ptr<GTLYouTubeLocalizedProperty>& value) {
    setTypedObjectProperty("smallBrandedBannerImageImapScript", value);
}
std::shared_ptr<GTLYouTubeLocalizedProperty> GTLYouTubeImageSettings::smallBrandedBannerImageUrl() {
    return typedObjectProperty<GTLYouTubeLocalizedProperty>("smallBrandedBannerImageUrl");
}
void GTLYouTubeImageSettings::setSmallBrandedBannerImageUrl(const std::shared_ptr<GTLYouTubeLocalizedProperty>& value) {
    setTypedObjectProperty("smallBrandedBannerImageUrl", value);
}
std::optional<std::string> GTLYouTubeImageSettings::trackingImageUrl() const {
    return stringProperty("trackingImageUrl");
}
void GTLYouTubeImageSettings::setTrackingImageUrl(std::optional<std::string> value) {
    setStringProperty("trackingImageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeImageSettings::watchIconImageUrl() const {
    return stringProperty("watchIconImageUrl");
}
void GTLYouTubeImageSettings::setWatchIconImageUrl(std::optional<std::string> value) {
    setStringProperty("watchIconImageUrl", std::move(value));
}

const GTLClassInfo& GTLYouTubeInvideoBranding::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeInvideoBranding", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeInvideoBranding>(); });
        made.declaredProperties = {"imageBytes", "imageUrl", "position", "targetChannelId", "timing"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeInvideoBranding::imageBytes() const { return stringProperty("imageBytes"); }
void GTLYouTubeInvideoBranding::setImageBytes(std::optional<std::string> value) {
    setStringProperty("imageBytes", std::move(value));
}
std::optional<std::string> GTLYouTubeInvideoBranding::imageUrl() const { return stringProperty("imageUrl"); }
void GTLYouTubeInvideoBranding::setImageUrl(std::optional<std::string> value) {
    setStringProperty("imageUrl", std::move(value));
}
std::shared_ptr<GTLYouTubeInvideoPosition> GTLYouTubeInvideoBranding::position() {
    return typedObjectProperty<GTLYouTubeInvideoPosition>("position");
}
void GTLYouTubeInvideoBranding::setPosition(const std::shared_ptr<GTLYouTubeInvideoPosition>& value) {
    setTypedObjectProperty("position", value);
}
std::optional<std::string> GTLYouTubeInvideoBranding::targetChannelId() const {
    return stringProperty("targetChannelId");
}
void GTLYouTubeInvideoBranding::setTargetChannelId(std::optional<std::string> value) {
    setStringProperty("targetChannelId", std::move(value));
}
std::shared_ptr<GTLYouTubeInvideoTiming> GTLYouTubeInvideoBranding::timing() {
    return typedObjectProperty<GTLYouTubeInvideoTiming>("timing");
}
void GTLYouTubeInvideoBranding::setTiming(const std::shared_ptr<GTLYouTubeInvideoTiming>& value) {
    setTypedObjectProperty("timing", value);
}

const GTLClassInfo& GTLYouTubeInvideoPosition::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeInvideoPosition", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeInvideoPosition>(); });
        made.declaredProperties = {"cornerPosition", "type"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeInvideoPosition::cornerPosition() const {
    return stringProperty("cornerPosition");
}
void GTLYouTubeInvideoPosition::setCornerPosition(std::optional<std::string> value) {
    setStringProperty("cornerPosition", std::move(value));
}
std::optional<std::string> GTLYouTubeInvideoPosition::type() const { return stringProperty("type"); }
void GTLYouTubeInvideoPosition::setType(std::optional<std::string> value) {
    setStringProperty("type", std::move(value));
}

const GTLClassInfo& GTLYouTubeInvideoPromotion::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeInvideoPromotion", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeInvideoPromotion>(); });
        made.declaredProperties = {"defaultTiming", "items", "position", "useSmartTiming"};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubePromotedItem::classInfo}};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeInvideoTiming> GTLYouTubeInvideoPromotion::defaultTiming() {
    return typedObjectProperty<GTLYouTubeInvideoTiming>("defaultTiming");
}
void GTLYouTubeInvideoPromotion::setDefaultTiming(const std::shared_ptr<GTLYouTubeInvideoTiming>& value) {
    setTypedObjectProperty("defaultTiming", value);
}
std::optional<std::vector<std::shared_ptr<GTLYouTubePromotedItem>>> GTLYouTubeInvideoPromotion::items() {
    return typedArrayProperty<GTLYouTubePromotedItem>("items");
}
void GTLYouTubeInvideoPromotion::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubePromotedItem>>>& value) {
    setTypedArrayProperty("items", value);
}
std::shared_ptr<GTLYouTubeInvideoPosition> GTLYouTubeInvideoPromotion::position() {
    return typedObjectProperty<GTLYouTubeInvideoPosition>("position");
}
void GTLYouTubeInvideoPromotion::setPosition(const std::shared_ptr<GTLYouTubeInvideoPosition>& value) {
    setTypedObjectProperty("position", value);
}
std::optional<Value> GTLYouTubeInvideoPromotion::useSmartTiming() const { return numberProperty("useSmartTiming"); }
void GTLYouTubeInvideoPromotion::setUseSmartTiming(std::optional<Value> value) {
    setNumberProperty("useSmartTiming", std::move(value));
}

const GTLClassInfo& GTLYouTubeInvideoTiming::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeInvideoTiming", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeInvideoTiming>(); });
        made.declaredProperties = {"durationMs", "offsetMs", "type"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeInvideoTiming::durationMs() const { return numberProperty("durationMs"); }
void GTLYouTubeInvideoTiming::setDurationMs(std::optional<Value> value) {
    setNumberProperty("durationMs", std::move(value));
}
std::optional<Value> GTLYouTubeInvideoTiming::offsetMs() const { return numberProperty("offsetMs"); }
void GTLYouTubeInvideoTiming::setOffsetMs(std::optional<Value> value) {
    setNumberProperty("offsetMs", std::move(value));
}
std::optional<std::string> GTLYouTubeInvideoTiming::type() const { return stringProperty("type"); }
void GTLYouTubeInvideoTiming::setType(std::optional<std::string> value) { setStringProperty("type", std::move(value)); }

const GTLClassInfo& GTLYouTubeLocalizedProperty::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeLocalizedProperty", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeLocalizedProperty>(); });
        made.declaredProperties = {"defaultProperty", "localized"};
        made.propertyToJSONKeyMap = {{"defaultProperty", "default"}};
        made.arrayPropertyToClassMap = {{"localized", &GTLYouTubeLocalizedString::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeLocalizedProperty::defaultProperty() const { return stringProperty("default"); }
void GTLYouTubeLocalizedProperty::setDefaultProperty(std::optional<std::string> value) {
    setStringProperty("default", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeLocalizedString>>> GTLYouTubeLocalizedProperty::localized() {
    return typedArrayProperty<GTLYouTubeLocalizedString>("localized");
}
void GTLYouTubeLocalizedProperty::setLocalized(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeLocalizedString>>>& value) {
    setTypedArrayProperty("localized", value);
}

const GTLClassInfo& GTLYouTubeLocalizedString::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeLocalizedString", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeLocalizedString>(); });
        made.declaredProperties = {"language", "value"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeLocalizedString::language() const { return stringProperty("language"); }
void GTLYouTubeLocalizedString::setLanguage(std::optional<std::string> value) {
    setStringProperty("language", std::move(value));
}
std::optional<std::string> GTLYouTubeLocalizedString::value() const { return stringProperty("value"); }
void GTLYouTubeLocalizedString::setValue(std::optional<std::string> value) {
    setStringProperty("value", std::move(value));
}

const GTLClassInfo& GTLYouTubePageInfo::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePageInfo", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePageInfo>(); });
        made.declaredProperties = {"resultsPerPage", "totalResults"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubePageInfo::resultsPerPage() const { return numberProperty("resultsPerPage"); }
void GTLYouTubePageInfo::setResultsPerPage(std::optional<Value> value) {
    setNumberProperty("resultsPerPage", std::move(value));
}
std::optional<Value> GTLYouTubePageInfo::totalResults() const { return numberProperty("totalResults"); }
void GTLYouTubePageInfo::setTotalResults(std::optional<Value> value) {
    setNumberProperty("totalResults", std::move(value));
}

const GTLClassInfo& GTLYouTubePromotedItem::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePromotedItem", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePromotedItem>(); });
        made.declaredProperties = {"customMessage", "identifier", "promotedByContentOwner", "timing"};
        made.propertyToJSONKeyMap = {{"identifier", "id"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubePromotedItem::customMessage() const { return stringProperty("customMessage"); }
void GTLYouTubePromotedItem::setCustomMessage(std::optional<std::string> value) {
    setStringProperty("customMessage", std::move(value));
}
std::shared_ptr<GTLYouTubePromotedItemId> GTLYouTubePromotedItem::identifier() {
    return typedObjectProperty<GTLYouTubePromotedItemId>("id");
}
void GTLYouTubePromotedItem::setIdentifier(const std::shared_ptr<GTLYouTubePromotedItemId>& value) {
    setTypedObjectProperty("id", value);
}
std::optional<Value> GTLYouTubePromotedItem::promotedByContentOwner() const {
    return numberProperty("promotedByContentOwner");
}
void GTLYouTubePromotedItem::setPromotedByContentOwner(std::optional<Value> value) {
    setNumberProperty("promotedByContentOwner", std::move(value));
}
std::shared_ptr<GTLYouTubeInvideoTiming> GTLYouTubePromotedItem::timing() {
    return typedObjectProperty<GTLYouTubeInvideoTiming>("timing");
}
void GTLYouTubePromotedItem::setTiming(const std::shared_ptr<GTLYouTubeInvideoTiming>& value) {
    setTypedObjectProperty("timing", value);
}

const GTLClassInfo& GTLYouTubePromotedItemId::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePromotedItemId", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePromotedItemId>(); });
        made.declaredProperties = {"recentlyUploadedBy", "type", "videoId", "websiteUrl"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubePromotedItemId::recentlyUploadedBy() const {
    return stringProperty("recentlyUploadedBy");
}
void GTLYouTubePromotedItemId::setRecentlyUploadedBy(std::optional<std::string> value) {
    setStringProperty("recentlyUploadedBy", std::move(value));
}
std::optional<std::string> GTLYouTubePromotedItemId::type() const { return stringProperty("type"); }
void GTLYouTubePromotedItemId::setType(std::optional<std::string> value) {
    setStringProperty("type", std::move(value));
}
std::optional<std::string> GTLYouTubePromotedItemId::videoId() const { return stringProperty("videoId"); }
void GTLYouTubePromotedItemId::setVideoId(std::optional<std::string> value) {
    setStringProperty("videoId", std::move(value));
}
std::optional<std::string> GTLYouTubePromotedItemId::websiteUrl() const { return stringProperty("websiteUrl"); }
void GTLYouTubePromotedItemId::setWebsiteUrl(std::optional<std::string> value) {
    setStringProperty("websiteUrl", std::move(value));
}

const GTLClassInfo& GTLYouTubePropertyValue::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePropertyValue", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePropertyValue>(); });
        made.declaredProperties = {"property", "value"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubePropertyValue::property() const { return stringProperty("property"); }
void GTLYouTubePropertyValue::setProperty(std::optional<std::string> value) {
    setStringProperty("property", std::move(value));
}
std::optional<std::string> GTLYouTubePropertyValue::value() const { return stringProperty("value"); }
void GTLYouTubePropertyValue::setValue(std::optional<std::string> value) {
    setStringProperty("value", std::move(value));
}

const GTLClassInfo& GTLYouTubeResourceId::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeResourceId", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeResourceId>(); });
        made.declaredProperties = {"channelId", "kind", "playlistId", "videoId"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeResourceId::channelId() const { return stringProperty("channelId"); }
void GTLYouTubeResourceId::setChannelId(std::optional<std::string> value) {
    setStringProperty("channelId", std::move(value));
}
std::optional<std::string> GTLYouTubeResourceId::kind() const { return stringProperty("kind"); }
void GTLYouTubeResourceId::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::optional<std::string> GTLYouTubeResourceId::playlistId() const { return stringProperty("playlistId"); }
void GTLYouTubeResourceId::setPlaylistId(std::optional<std::string> value) {
    setStringProperty("playlistId", std::move(value));
}
std::optional<std::string> GTLYouTubeResourceId::videoId() const { return stringProperty("videoId"); }
void GTLYouTubeResourceId::setVideoId(std::optional<std::string> value) {
    setStringProperty("videoId", std::move(value));
}

const GTLClassInfo& GTLYouTubeThumbnail::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeThumbnail", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeThumbnail>(); });
        made.declaredProperties = {"height", "url", "width"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeThumbnail::height() const { return numberProperty("height"); }
void GTLYouTubeThumbnail::setHeight(std::optional<Value> value) { setNumberProperty("height", std::move(value)); }
std::optional<std::string> GTLYouTubeThumbnail::url() const { return stringProperty("url"); }
void GTLYouTubeThumbnail::setUrl(std::optional<std::string> value) { setStringProperty("url", std::move(value)); }
std::optional<Value> GTLYouTubeThumbnail::width() const { return numberProperty("width"); }
void GTLYouTubeThumbnail::setWidth(std::optional<Value> value) { setNumberProperty("width", std::move(value)); }

const GTLClassInfo& GTLYouTubeThumbnailDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeThumbnailDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeThumbnailDetails>(); });
        made.declaredProperties = {"defaultProperty", "high", "maxres", "medium", "standard"};
        made.propertyToJSONKeyMap = {{"defaultProperty", "default"}};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeThumbnail> GTLYouTubeThumbnailDetails::defaultProperty() {
    return typedObjectProperty<GTLYouTubeThumbnail>("default");
}
void GTLYouTubeThumbnailDetails::setDefaultProperty(const std::shared_ptr<GTLYouTubeThumbnail>& value) {
    setTypedObjectProperty("default", value);
}
std::shared_ptr<GTLYouTubeThumbnail> GTLYouTubeThumbnailDetails::high() {
    return typedObjectProperty<GTLYouTubeThumbnail>("high");
}
void GTLYouTubeThumbnailDetails::setHigh(const std::shared_ptr<GTLYouTubeThumbnail>& value) {
    setTypedObjectProperty("high", value);
}
std::shared_ptr<GTLYouTubeThumbnail> GTLYouTubeThumbnailDetails::maxres() {
    return typedObjectProperty<GTLYouTubeThumbnail>("maxres");
}
void GTLYouTubeThumbnailDetails::setMaxres(const std::shared_ptr<GTLYouTubeThumbnail>& value) {
    setTypedObjectProperty("maxres", value);
}
std::shared_ptr<GTLYouTubeThumbnail> GTLYouTubeThumbnailDetails::medium() {
    return typedObjectProperty<GTLYouTubeThumbnail>("medium");
}
void GTLYouTubeThumbnailDetails::setMedium(const std::shared_ptr<GTLYouTubeThumbnail>& value) {
    setTypedObjectProperty("medium", value);
}
std::shared_ptr<GTLYouTubeThumbnail> GTLYouTubeThumbnailDetails::standard() {
    return typedObjectProperty<GTLYouTubeThumbnail>("standard");
}
void GTLYouTubeThumbnailDetails::setStandard(const std::shared_ptr<GTLYouTubeThumbnail>& value) {
    setTypedObjectProperty("standard", value);
}

const GTLClassInfo& GTLYouTubeThumbnailSetResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeThumbnailSetResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeThumbnailSetResponse>(); });
        made.declaredProperties = {"ETag", "eventId", "items", "kind", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeThumbnailDetails::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeThumbnailSetResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeThumbnailSetResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeThumbnailSetResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeThumbnailSetResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeThumbnailDetails>>> GTLYouTubeThumbnailSetResponse::items() {
    return typedArrayProperty<GTLYouTubeThumbnailDetails>("items");
}
void GTLYouTubeThumbnailSetResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeThumbnailDetails>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeThumbnailSetResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeThumbnailSetResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeThumbnailSetResponse::visitorId() const { return stringProperty("visitorId"); }
void GTLYouTubeThumbnailSetResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubeTokenPagination::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeTokenPagination", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeTokenPagination>(); });
        return made;
    }();
    return info;
}

const GTLClassInfo& GTLYouTubeWatchSettings::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeWatchSettings", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeWatchSettings>(); });
        made.declaredProperties = {"backgroundColor", "featuredPlaylistId", "textColor"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeWatchSettings::backgroundColor() const {
    return stringProperty("backgroundColor");
}
void GTLYouTubeWatchSettings::setBackgroundColor(std::optional<std::string> value) {
    setStringProperty("backgroundColor", std::move(value));
}
std::optional<std::string> GTLYouTubeWatchSettings::featuredPlaylistId() const {
    return stringProperty("featuredPlaylistId");
}
void GTLYouTubeWatchSettings::setFeaturedPlaylistId(std::optional<std::string> value) {
    setStringProperty("featuredPlaylistId", std::move(value));
}
std::optional<std::string> GTLYouTubeWatchSettings::textColor() const { return stringProperty("textColor"); }
void GTLYouTubeWatchSettings::setTextColor(std::optional<std::string> value) {
    setStringProperty("textColor", std::move(value));
}

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
