#include "components/google/GTLYouTubeChannelObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

const GTLClassInfo& GTLYouTubeChannel::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannel", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannel>(); });
        made.declaredProperties = {"auditDetails",
                                   "brandingSettings",
                                   "contentDetails",
                                   "contentOwnerDetails",
                                   "conversionPings",
                                   "ETag",
                                   "identifier",
                                   "invideoPromotion",
                                   "kind",
                                   "localizations",
                                   "snippet",
                                   "statistics",
                                   "status",
                                   "topicDetails"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeChannelAuditDetails> GTLYouTubeChannel::auditDetails() {
    return typedObjectProperty<GTLYouTubeChannelAuditDetails>("auditDetails");
}
void GTLYouTubeChannel::setAuditDetails(const std::shared_ptr<GTLYouTubeChannelAuditDetails>& value) {
    setTypedObjectProperty("auditDetails", value);
}
std::shared_ptr<GTLYouTubeChannelBrandingSettings> GTLYouTubeChannel::brandingSettings() {
    return typedObjectProperty<GTLYouTubeChannelBrandingSettings>("brandingSettings");
}
void GTLYouTubeChannel::setBrandingSettings(const std::shared_ptr<GTLYouTubeChannelBrandingSettings>& value) {
    setTypedObjectProperty("brandingSettings", value);
}
std::shared_ptr<GTLYouTubeChannelContentDetails> GTLYouTubeChannel::contentDetails() {
    return typedObjectProperty<GTLYouTubeChannelContentDetails>("contentDetails");
}
void GTLYouTubeChannel::setContentDetails(const std::shared_ptr<GTLYouTubeChannelContentDetails>& value) {
    setTypedObjectProperty("contentDetails", value);
}
std::shared_ptr<GTLYouTubeChannelContentOwnerDetails> GTLYouTubeChannel::contentOwnerDetails() {
    return typedObjectProperty<GTLYouTubeChannelContentOwnerDetails>("contentOwnerDetails");
}
void GTLYouTubeChannel::setContentOwnerDetails(const std::shared_ptr<GTLYouTubeChannelContentOwnerDetails>& value) {
    setTypedObjectProperty("contentOwnerDetails", value);
}
std::shared_ptr<GTLYouTubeChannelConversionPings> GTLYouTubeChannel::conversionPings() {
    return typedObjectProperty<GTLYouTubeChannelConversionPings>("conversionPings");
}
void GTLYouTubeChannel::setConversionPings(const std::shared_ptr<GTLYouTubeChannelConversionPings>& value) {
    setTypedObjectProperty("conversionPings", value);
}
std::optional<std::string> GTLYouTubeChannel::ETag() const { return stringProperty("etag"); }
void GTLYouTubeChannel::setETag(std::optional<std::string> value) { setStringProperty("etag", std::move(value)); }
std::optional<std::string> GTLYouTubeChannel::identifier() const { return stringProperty("id"); }
void GTLYouTubeChannel::setIdentifier(std::optional<std::string> value) { setStringProperty("id", std::move(value)); }
std::shared_ptr<GTLYouTubeInvideoPromotion> GTLYouTubeChannel::invideoPromotion() {
    return typedObjectProperty<GTLYouTubeInvideoPromotion>("invideoPromotion");
}
void GTLYouTubeChannel::setInvideoPromotion(const std::shared_ptr<GTLYouTubeInvideoPromotion>& value) {
    setTypedObjectProperty("invideoPromotion", value);
}
std::optional<std::string> GTLYouTubeChannel::kind() const { return stringProperty("kind"); }
void GTLYouTubeChannel::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::shared_ptr<GTLYouTubeChannelLocalizations> GTLYouTubeChannel::localizations() {
    return typedObjectProperty<GTLYouTubeChannelLocalizations>("localizations");
}
void GTLYouTubeChannel::setLocalizations(const std::shared_ptr<GTLYouTubeChannelLocalizations>& value) {
    setTypedObjectProperty("localizations", value);
}
std::shared_ptr<GTLYouTubeChannelSnippet> GTLYouTubeChannel::snippet() {
    return typedObjectProperty<GTLYouTubeChannelSnippet>("snippet");
}
void GTLYouTubeChannel::setSnippet(const std::shared_ptr<GTLYouTubeChannelSnippet>& value) {
    setTypedObjectProperty("snippet", value);
}
std::shared_ptr<GTLYouTubeChannelStatistics> GTLYouTubeChannel::statistics() {
    return typedObjectProperty<GTLYouTubeChannelStatistics>("statistics");
}
void GTLYouTubeChannel::setStatistics(const std::shared_ptr<GTLYouTubeChannelStatistics>& value) {
    setTypedObjectProperty("statistics", value);
}
std::shared_ptr<GTLYouTubeChannelStatus> GTLYouTubeChannel::status() {
    return typedObjectProperty<GTLYouTubeChannelStatus>("status");
}
void GTLYouTubeChannel::setStatus(const std::shared_ptr<GTLYouTubeChannelStatus>& value) {
    setTypedObjectProperty("status", value);
}
std::shared_ptr<GTLYouTubeChannelTopicDetails> GTLYouTubeChannel::topicDetails() {
    return typedObjectProperty<GTLYouTubeChannelTopicDetails>("topicDetails");
}
void GTLYouTubeChannel::setTopicDetails(const std::shared_ptr<GTLYouTubeChannelTopicDetails>& value) {
    setTypedObjectProperty("topicDetails", value);
}

const GTLClassInfo& GTLYouTubeChannelAuditDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelAuditDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelAuditDetails>(); });
        made.declaredProperties = {"communityGuidelinesGoodStanding", "contentIdClaimsGoodStanding",
                                   "copyrightStrikesGoodStanding", "overallGoodStanding"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeChannelAuditDetails::communityGuidelinesGoodStanding() const {
    return numberProperty("communityGuidelinesGoodStanding");
}
void GTLYouTubeChannelAuditDetails::setCommunityGuidelinesGoodStanding(std::optional<Value> value) {
    setNumberProperty("communityGuidelinesGoodStanding", std::move(value));
}
std::optional<Value> GTLYouTubeChannelAuditDetails::contentIdClaimsGoodStanding() const {
    return numberProperty("contentIdClaimsGoodStanding");
}
void GTLYouTubeChannelAuditDetails::setContentIdClaimsGoodStanding(std::optional<Value> value) {
    setNumberProperty("contentIdClaimsGoodStanding", std::move(value));
}
std::optional<Value> GTLYouTubeChannelAuditDetails::copyrightStrikesGoodStanding() const {
    return numberProperty("copyrightStrikesGoodStanding");
}
void GTLYouTubeChannelAuditDetails::setCopyrightStrikesGoodStanding(std::optional<Value> value) {
    setNumberProperty("copyrightStrikesGoodStanding", std::move(value));
}
std::optional<Value> GTLYouTubeChannelAuditDetails::overallGoodStanding() const {
    return numberProperty("overallGoodStanding");
}
void GTLYouTubeChannelAuditDetails::setOverallGoodStanding(std::optional<Value> value) {
    setNumberProperty("overallGoodStanding", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelBannerResource::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelBannerResource", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelBannerResource>(); });
        made.declaredProperties = {"ETag", "kind", "url"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeChannelBannerResource::ETag() const { return stringProperty("etag"); }
void GTLYouTubeChannelBannerResource::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelBannerResource::kind() const { return stringProperty("kind"); }
void GTLYouTubeChannelBannerResource::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelBannerResource::url() const { return stringProperty("url"); }
void GTLYouTubeChannelBannerResource::setUrl(std::optional<std::string> value) {
    setStringProperty("url", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelBrandingSettings::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelBrandingSettings", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelBrandingSettings>(); });
        made.declaredProperties = {"channel", "hints", "image", "watch"};
        made.arrayPropertyToClassMap = {{"hints", &GTLYouTubePropertyValue::classInfo}};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeChannelSettings> GTLYouTubeChannelBrandingSettings::channel() {
    return typedObjectProperty<GTLYouTubeChannelSettings>("channel");
}
void GTLYouTubeChannelBrandingSettings::setChannel(const std::shared_ptr<GTLYouTubeChannelSettings>& value) {
    setTypedObjectProperty("channel", value);
}
std::optional<std::vector<std::shared_ptr<GTLYouTubePropertyValue>>> GTLYouTubeChannelBrandingSettings::hints() {
    return typedArrayProperty<GTLYouTubePropertyValue>("hints");
}
void GTLYouTubeChannelBrandingSettings::setHints(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubePropertyValue>>>& value) {
    setTypedArrayProperty("hints", value);
}
std::shared_ptr<GTLYouTubeImageSettings> GTLYouTubeChannelBrandingSettings::image() {
    return typedObjectProperty<GTLYouTubeImageSettings>("image");
}
void GTLYouTubeChannelBrandingSettings::setImage(const std::shared_ptr<GTLYouTubeImageSettings>& value) {
    setTypedObjectProperty("image", value);
}
std::shared_ptr<GTLYouTubeWatchSettings> GTLYouTubeChannelBrandingSettings::watch() {
    return typedObjectProperty<GTLYouTubeWatchSettings>("watch");
}
void GTLYouTubeChannelBrandingSettings::setWatch(const std::shared_ptr<GTLYouTubeWatchSettings>& value) {
    setTypedObjectProperty("watch", value);
}

const GTLClassInfo& GTLYouTubeChannelContentDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelContentDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelContentDetails>(); });
        made.declaredProperties = {"googlePlusUserId", "relatedPlaylists"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeChannelContentDetails::googlePlusUserId() const {
    return stringProperty("googlePlusUserId");
}
void GTLYouTubeChannelContentDetails::setGooglePlusUserId(std::optional<std::string> value) {
    setStringProperty("googlePlusUserId", std::move(value));
}
std::shared_ptr<GTLYouTubeChannelContentDetailsRelatedPlaylists> GTLYouTubeChannelContentDetails::relatedPlaylists() {
    return typedObjectProperty<GTLYouTubeChannelContentDetailsRelatedPlaylists>("relatedPlaylists");
}
void GTLYouTubeChannelContentDetails::setRelatedPlaylists(
    const std::shared_ptr<GTLYouTubeChannelContentDetailsRelatedPlaylists>& value) {
    setTypedObjectProperty("relatedPlaylists", value);
}

const GTLClassInfo& GTLYouTubeChannelContentDetailsRelatedPlaylists::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelContentDetailsRelatedPlaylists", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelContentDetailsRelatedPlaylists>(); });
        made.declaredProperties = {"favorites", "likes", "uploads", "watchHistory", "watchLater"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeChannelContentDetailsRelatedPlaylists::favorites() const {
    return stringProperty("favorites");
}
void GTLYouTubeChannelContentDetailsRelatedPlaylists::setFavorites(std::optional<std::string> value) {
    setStringProperty("favorites", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelContentDetailsRelatedPlaylists::likes() const {
    return stringProperty("likes");
}
void GTLYouTubeChannelContentDetailsRelatedPlaylists::setLikes(std::optional<std::string> value) {
    setStringProperty("likes", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelContentDetailsRelatedPlaylists::uploads() const {
    return stringProperty("uploads");
}
void GTLYouTubeChannelContentDetailsRelatedPlaylists::setUploads(std::optional<std::string> value) {
    setStringProperty("uploads", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelContentDetailsRelatedPlaylists::watchHistory() const {
    return stringProperty("watchHistory");
}
void GTLYouTubeChannelContentDetailsRelatedPlaylists::setWatchHistory(std::optional<std::string> value) {
    setStringProperty("watchHistory", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelContentDetailsRelatedPlaylists::watchLater() const {
    return stringProperty("watchLater");
}
void GTLYouTubeChannelContentDetailsRelatedPlaylists::setWatchLater(std::optional<std::string> value) {
    setStringProperty("watchLater", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelContentOwnerDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelContentOwnerDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelContentOwnerDetails>(); });
        made.declaredProperties = {"contentOwner", "timeLinked"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeChannelContentOwnerDetails::contentOwner() const {
    return stringProperty("contentOwner");
}
void GTLYouTubeChannelContentOwnerDetails::setContentOwner(std::optional<std::string> value) {
    setStringProperty("contentOwner", std::move(value));
}
GTLDateTimePtr GTLYouTubeChannelContentOwnerDetails::timeLinked() { return dateTimeProperty("timeLinked"); }
void GTLYouTubeChannelContentOwnerDetails::setTimeLinked(GTLDateTimePtr value) {
    setDateTimeProperty("timeLinked", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelConversionPing::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelConversionPing", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelConversionPing>(); });
        made.declaredProperties = {"context", "conversionUrl"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeChannelConversionPing::context() const { return stringProperty("context"); }
void GTLYouTubeChannelConversionPing::setContext(std::optional<std::string> value) {
    setStringProperty("context", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelConversionPing::conversionUrl() const {
    return stringProperty("conversionUrl");
}
void GTLYouTubeChannelConversionPing::setConversionUrl(std::optional<std::string> value) {
    setStringProperty("conversionUrl", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelConversionPings::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelConversionPings", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelConversionPings>(); });
        made.declaredProperties = {"pings"};
        made.arrayPropertyToClassMap = {{"pings", &GTLYouTubeChannelConversionPing::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::vector<std::shared_ptr<GTLYouTubeChannelConversionPing>>> GTLYouTubeChannelConversionPings::pings() {
    return typedArrayProperty<GTLYouTubeChannelConversionPing>("pings");
}
void GTLYouTubeChannelConversionPings::setPings(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeChannelConversionPing>>>& value) {
    setTypedArrayProperty("pings", value);
}

const GTLClassInfo& GTLYouTubeChannelListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelListResponse>(); });
        made.declaredProperties = {"ETag",     "eventId",       "items",           "kind",     "nextPageToken",
                                   "pageInfo", "prevPageToken", "tokenPagination", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeChannel::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeChannelListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeChannelListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeChannelListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeChannel>>> GTLYouTubeChannelListResponse::items() {
    return typedArrayProperty<GTLYouTubeChannel>("items");
}
void GTLYouTubeChannelListResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeChannel>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeChannelListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeChannelListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelListResponse::nextPageToken() const {
    return stringProperty("nextPageToken");
}
void GTLYouTubeChannelListResponse::setNextPageToken(std::optional<std::string> value) {
    setStringProperty("nextPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubePageInfo> GTLYouTubeChannelListResponse::pageInfo() {
    return typedObjectProperty<GTLYouTubePageInfo>("pageInfo");
}
void GTLYouTubeChannelListResponse::setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value) {
    setTypedObjectProperty("pageInfo", value);
}
std::optional<std::string> GTLYouTubeChannelListResponse::prevPageToken() const {
    return stringProperty("prevPageToken");
}
void GTLYouTubeChannelListResponse::setPrevPageToken(std::optional<std::string> value) {
    setStringProperty("prevPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubeTokenPagination> GTLYouTubeChannelListResponse::tokenPagination() {
    return typedObjectProperty<GTLYouTubeTokenPagination>("tokenPagination");
}
void GTLYouTubeChannelListResponse::setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value) {
    setTypedObjectProperty("tokenPagination", value);
}
std::optional<std::string> GTLYouTubeChannelListResponse::visitorId() const { return stringProperty("visitorId"); }
void GTLYouTubeChannelListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelLocalization::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelLocalization", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelLocalization>(); });
        made.declaredProperties = {"descriptionProperty", "title"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeChannelLocalization::descriptionProperty() const {
    return stringProperty("description");
}
void GTLYouTubeChannelLocalization::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelLocalization::title() const { return stringProperty("title"); }
void GTLYouTubeChannelLocalization::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelLocalizations::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelLocalizations", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelLocalizations>(); });
        made.classForAdditionalProperties = &GTLYouTubeChannelLocalization::classInfo;
        return made;
    }();
    return info;
}

const GTLClassInfo& GTLYouTubeChannelSection::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelSection", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelSection>(); });
        made.declaredProperties = {"contentDetails", "ETag", "identifier", "kind", "localizations", "snippet"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeChannelSectionContentDetails> GTLYouTubeChannelSection::contentDetails() {
    return typedObjectProperty<GTLYouTubeChannelSectionContentDetails>("contentDetails");
}
void GTLYouTubeChannelSection::setContentDetails(const std::shared_ptr<GTLYouTubeChannelSectionContentDetails>& value) {
    setTypedObjectProperty("contentDetails", value);
}
std::optional<std::string> GTLYouTubeChannelSection::ETag() const { return stringProperty("etag"); }
void GTLYouTubeChannelSection::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSection::identifier() const { return stringProperty("id"); }
void GTLYouTubeChannelSection::setIdentifier(std::optional<std::string> value) {
    setStringProperty("id", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSection::kind() const { return stringProperty("kind"); }
void GTLYouTubeChannelSection::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::shared_ptr<GTLYouTubeChannelSectionLocalizations> GTLYouTubeChannelSection::localizations() {
    return typedObjectProperty<GTLYouTubeChannelSectionLocalizations>("localizations");
}
void GTLYouTubeChannelSection::setLocalizations(const std::shared_ptr<GTLYouTubeChannelSectionLocalizations>& value) {
    setTypedObjectProperty("localizations", value);
}
std::shared_ptr<GTLYouTubeChannelSectionSnippet> GTLYouTubeChannelSection::snippet() {
    return typedObjectProperty<GTLYouTubeChannelSectionSnippet>("snippet");
}
void GTLYouTubeChannelSection::setSnippet(const std::shared_ptr<GTLYouTubeChannelSectionSnippet>& value) {
    setTypedObjectProperty("snippet", value);
}

const GTLClassInfo& GTLYouTubeChannelSectionContentDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelSectionContentDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelSectionContentDetails>(); });
        made.declaredProperties = {"channels", "playlists"};
        return made;
    }();
    return info;
}

std::optional<std::vector<std::string>> GTLYouTubeChannelSectionContentDetails::channels() const {
    return stringArrayProperty("channels");
}
void GTLYouTubeChannelSectionContentDetails::setChannels(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("channels", std::move(value));
}
std::optional<std::vector<std::string>> GTLYouTubeChannelSectionContentDetails::playlists() const {
    return stringArrayProperty("playlists");
}
void GTLYouTubeChannelSectionContentDetails::setPlaylists(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("playlists", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelSectionListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelSectionListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelSectionListResponse>(); });
        made.declaredProperties = {"ETag", "eventId", "items", "kind", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeChannelSection::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeChannelSectionListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeChannelSectionListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSectionListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeChannelSectionListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeChannelSection>>> GTLYouTubeChannelSectionListResponse::items() {
    return typedArrayProperty<GTLYouTubeChannelSection>("items");
}
void GTLYouTubeChannelSectionListResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeChannelSection>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeChannelSectionListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeChannelSectionListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSectionListResponse::visitorId() const {
    return stringProperty("visitorId");
}
void GTLYouTubeChannelSectionListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelSectionLocalization::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelSectionLocalization", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelSectionLocalization>(); });
        made.declaredProperties = {"title"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeChannelSectionLocalization::title() const { return stringProperty("title"); }
void GTLYouTubeChannelSectionLocalization::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelSectionLocalizations::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelSectionLocalizations", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelSectionLocalizations>(); });
        made.classForAdditionalProperties = &GTLYouTubeChannelSectionLocalization::classInfo;
        return made;
    }();
    return info;
}

const GTLClassInfo& GTLYouTubeChannelSectionSnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelSectionSnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelSectionSnippet>(); });
        made.declaredProperties = {"channelId", "defaultLanguage", "localized", "position", "style", "title", "type"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeChannelSectionSnippet::channelId() const { return stringProperty("channelId"); }
void GTLYouTubeChannelSectionSnippet::setChannelId(std::optional<std::string> value) {
    setStringProperty("channelId", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSectionSnippet::defaultLanguage() const {
    return stringProperty("defaultLanguage");
}
void GTLYouTubeChannelSectionSnippet::setDefaultLanguage(std::optional<std::string> value) {
    setStringProperty("defaultLanguage", std::move(value));
}
std::shared_ptr<GTLYouTubeChannelSectionLocalization> GTLYouTubeChannelSectionSnippet::localized() {
    return typedObjectProperty<GTLYouTubeChannelSectionLocalization>("localized");
}
void GTLYouTubeChannelSectionSnippet::setLocalized(const std::shared_ptr<GTLYouTubeChannelSectionLocalization>& value) {
    setTypedObjectProperty("localized", value);
}
std::optional<Value> GTLYouTubeChannelSectionSnippet::position() const { return numberProperty("position"); }
void GTLYouTubeChannelSectionSnippet::setPosition(std::optional<Value> value) {
    setNumberProperty("position", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSectionSnippet::style() const { return stringProperty("style"); }
void GTLYouTubeChannelSectionSnippet::setStyle(std::optional<std::string> value) {
    setStringProperty("style", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSectionSnippet::title() const { return stringProperty("title"); }
void GTLYouTubeChannelSectionSnippet::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSectionSnippet::type() const { return stringProperty("type"); }
void GTLYouTubeChannelSectionSnippet::setType(std::optional<std::string> value) {
    setStringProperty("type", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelSettings::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelSettings", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelSettings>(); });
        made.declaredProperties = {"country",
                                   "defaultLanguage",
                                   "defaultTab",
                                   "descriptionProperty",
                                   "featuredChannelsTitle",
                                   "featuredChannelsUrls",
                                   "keywords",
                                   "moderateComments",
                                   "profileColor",
                                   "showBrowseView",
                                   "showRelatedChannels",
                                   "title",
                                   "trackingAnalyticsAccountId",
                                   "unsubscribedTrailer"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeChannelSettings::country() const { return stringProperty("country"); }
void GTLYouTubeChannelSettings::setCountry(std::optional<std::string> value) {
    setStringProperty("country", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSettings::defaultLanguage() const {
    return stringProperty("defaultLanguage");
}
void GTLYouTubeChannelSettings::setDefaultLanguage(std::optional<std::string> value) {
    setStringProperty("defaultLanguage", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSettings::defaultTab() const { return stringProperty("defaultTab"); }
void GTLYouTubeChannelSettings::setDefaultTab(std::optional<std::string> value) {
    setStringProperty("defaultTab", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSettings::descriptionProperty() const {
    return stringProperty("description");
}
void GTLYouTubeChannelSettings::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSettings::featuredChannelsTitle() const {
    return stringProperty("featuredChannelsTitle");
}
void GTLYouTubeChannelSettings::setFeaturedChannelsTitle(std::optional<std::string> value) {
    setStringProperty("featuredChannelsTitle", std::move(value));
}
std::optional<std::vector<std::string>> GTLYouTubeChannelSettings::featuredChannelsUrls() const {
    return stringArrayProperty("featuredChannelsUrls");
}
void GTLYouTubeChannelSettings::setFeaturedChannelsUrls(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("featuredChannelsUrls", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSettings::keywords() const { return stringProperty("keywords"); }
void GTLYouTubeChannelSettings::setKeywords(std::optional<std::string> value) {
    setStringProperty("keywords", std::move(value));
}
std::optional<Value> GTLYouTubeChannelSettings::moderateComments() const { return numberProperty("moderateComments"); }
void GTLYouTubeChannelSettings::setModerateComments(std::optional<Value> value) {
    setNumberProperty("moderateComments", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSettings::profileColor() const { return stringProperty("profileColor"); }
void GTLYouTubeChannelSettings::setProfileColor(std::optional<std::string> value) {
    setStringProperty("profileColor", std::move(value));
}
std::optional<Value> GTLYouTubeChannelSettings::showBrowseView() const { return numberProperty("showBrowseView"); }
void GTLYouTubeChannelSettings::setShowBrowseView(std::optional<Value> value) {
    setNumberProperty("showBrowseView", std::move(value));
}
std::optional<Value> GTLYouTubeChannelSettings::showRelatedChannels() const {
    return numberProperty("showRelatedChannels");
}
void GTLYouTubeChannelSettings::setShowRelatedChannels(std::optional<Value> value) {
    setNumberProperty("showRelatedChannels", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSettings::title() const { return stringProperty("title"); }
void GTLYouTubeChannelSettings::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSettings::trackingAnalyticsAccountId() const {
    return stringProperty("trackingAnalyticsAccountId");
}
void GTLYouTubeChannelSettings::setTrackingAnalyticsAccountId(std::optional<std::string> value) {
    setStringProperty("trackingAnalyticsAccountId", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSettings::unsubscribedTrailer() const {
    return stringProperty("unsubscribedTrailer");
}
void GTLYouTubeChannelSettings::setUnsubscribedTrailer(std::optional<std::string> value) {
    setStringProperty("unsubscribedTrailer", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelSnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelSnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelSnippet>(); });
        made.declaredProperties = {"country",   "customUrl",   "defaultLanguage", "descriptionProperty",
                                   "localized", "publishedAt", "thumbnails",      "title"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeChannelSnippet::country() const { return stringProperty("country"); }
void GTLYouTubeChannelSnippet::setCountry(std::optional<std::string> value) {
    setStringProperty("country", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSnippet::customUrl() const { return stringProperty("customUrl"); }
void GTLYouTubeChannelSnippet::setCustomUrl(std::optional<std::string> value) {
    setStringProperty("customUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSnippet::defaultLanguage() const {
    return stringProperty("defaultLanguage");
}
void GTLYouTubeChannelSnippet::setDefaultLanguage(std::optional<std::string> value) {
    setStringProperty("defaultLanguage", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelSnippet::descriptionProperty() const {
    return stringProperty("description");
}
void GTLYouTubeChannelSnippet::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
std::shared_ptr<GTLYouTubeChannelLocalization> GTLYouTubeChannelSnippet::localized() {
    return typedObjectProperty<GTLYouTubeChannelLocalization>("localized");
}
void GTLYouTubeChannelSnippet::setLocalized(const std::shared_ptr<GTLYouTubeChannelLocalization>& value) {
    setTypedObjectProperty("localized", value);
}
GTLDateTimePtr GTLYouTubeChannelSnippet::publishedAt() { return dateTimeProperty("publishedAt"); }
void GTLYouTubeChannelSnippet::setPublishedAt(GTLDateTimePtr value) {
    setDateTimeProperty("publishedAt", std::move(value));
}
std::shared_ptr<GTLYouTubeThumbnailDetails> GTLYouTubeChannelSnippet::thumbnails() {
    return typedObjectProperty<GTLYouTubeThumbnailDetails>("thumbnails");
}
void GTLYouTubeChannelSnippet::setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value) {
    setTypedObjectProperty("thumbnails", value);
}
std::optional<std::string> GTLYouTubeChannelSnippet::title() const { return stringProperty("title"); }
void GTLYouTubeChannelSnippet::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelStatistics::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelStatistics", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelStatistics>(); });
        made.declaredProperties = {"commentCount", "hiddenSubscriberCount", "subscriberCount", "videoCount",
                                   "viewCount"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeChannelStatistics::commentCount() const { return numberProperty("commentCount"); }
void GTLYouTubeChannelStatistics::setCommentCount(std::optional<Value> value) {
    setNumberProperty("commentCount", std::move(value));
}
std::optional<Value> GTLYouTubeChannelStatistics::hiddenSubscriberCount() const {
    return numberProperty("hiddenSubscriberCount");
}
void GTLYouTubeChannelStatistics::setHiddenSubscriberCount(std::optional<Value> value) {
    setNumberProperty("hiddenSubscriberCount", std::move(value));
}
std::optional<Value> GTLYouTubeChannelStatistics::subscriberCount() const { return numberProperty("subscriberCount"); }
void GTLYouTubeChannelStatistics::setSubscriberCount(std::optional<Value> value) {
    setNumberProperty("subscriberCount", std::move(value));
}
std::optional<Value> GTLYouTubeChannelStatistics::videoCount() const { return numberProperty("videoCount"); }
void GTLYouTubeChannelStatistics::setVideoCount(std::optional<Value> value) {
    setNumberProperty("videoCount", std::move(value));
}
std::optional<Value> GTLYouTubeChannelStatistics::viewCount() const { return numberProperty("viewCount"); }
void GTLYouTubeChannelStatistics::setViewCount(std::optional<Value> value) {
    setNumberProperty("viewCount", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelStatus::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelStatus", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelStatus>(); });
        made.declaredProperties = {"isLinked", "longUploadsStatus", "privacyStatus"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeChannelStatus::isLinked() const { return numberProperty("isLinked"); }
void GTLYouTubeChannelStatus::setIsLinked(std::optional<Value> value) {
    setNumberProperty("isLinked", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelStatus::longUploadsStatus() const {
    return stringProperty("longUploadsStatus");
}
void GTLYouTubeChannelStatus::setLongUploadsStatus(std::optional<std::string> value) {
    setStringProperty("longUploadsStatus", std::move(value));
}
std::optional<std::string> GTLYouTubeChannelStatus::privacyStatus() const { return stringProperty("privacyStatus"); }
void GTLYouTubeChannelStatus::setPrivacyStatus(std::optional<std::string> value) {
    setStringProperty("privacyStatus", std::move(value));
}

const GTLClassInfo& GTLYouTubeChannelTopicDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeChannelTopicDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeChannelTopicDetails>(); });
        made.declaredProperties = {"topicIds"};
        return made;
    }();
    return info;
}

std::optional<std::vector<std::string>> GTLYouTubeChannelTopicDetails::topicIds() const {
    return stringArrayProperty("topicIds");
}
void GTLYouTubeChannelTopicDetails::setTopicIds(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("topicIds", std::move(value));
}

}  // namespace google
