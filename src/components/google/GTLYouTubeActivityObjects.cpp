#include "components/google/GTLYouTubeActivityObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

const GTLClassInfo& GTLYouTubeActivity::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivity", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivity>(); });
        made.declaredProperties = {"contentDetails", "ETag", "identifier", "kind", "snippet"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeActivityContentDetails> GTLYouTubeActivity::contentDetails() {
    return typedObjectProperty<GTLYouTubeActivityContentDetails>("contentDetails");
}
void GTLYouTubeActivity::setContentDetails(const std::shared_ptr<GTLYouTubeActivityContentDetails>& value) {
    setTypedObjectProperty("contentDetails", value);
}
std::optional<std::string> GTLYouTubeActivity::ETag() const { return stringProperty("etag"); }
void GTLYouTubeActivity::setETag(std::optional<std::string> value) { setStringProperty("etag", std::move(value)); }
std::optional<std::string> GTLYouTubeActivity::identifier() const { return stringProperty("id"); }
void GTLYouTubeActivity::setIdentifier(std::optional<std::string> value) { setStringProperty("id", std::move(value)); }
std::optional<std::string> GTLYouTubeActivity::kind() const { return stringProperty("kind"); }
void GTLYouTubeActivity::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::shared_ptr<GTLYouTubeActivitySnippet> GTLYouTubeActivity::snippet() {
    return typedObjectProperty<GTLYouTubeActivitySnippet>("snippet");
}
void GTLYouTubeActivity::setSnippet(const std::shared_ptr<GTLYouTubeActivitySnippet>& value) {
    setTypedObjectProperty("snippet", value);
}

const GTLClassInfo& GTLYouTubeActivityContentDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivityContentDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivityContentDetails>(); });
        made.declaredProperties = {"bulletin",     "channelItem",    "comment", "favorite",     "like",  "playlistItem",
                                   "promotedItem", "recommendation", "social",  "subscription", "upload"};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeActivityContentDetailsBulletin> GTLYouTubeActivityContentDetails::bulletin() {
    return typedObjectProperty<GTLYouTubeActivityContentDetailsBulletin>("bulletin");
}
void GTLYouTubeActivityContentDetails::setBulletin(
    const std::shared_ptr<GTLYouTubeActivityContentDetailsBulletin>& value) {
    setTypedObjectProperty("bulletin", value);
}
std::shared_ptr<GTLYouTubeActivityContentDetailsChannelItem> GTLYouTubeActivityContentDetails::channelItem() {
    return typedObjectProperty<GTLYouTubeActivityContentDetailsChannelItem>("channelItem");
}
void GTLYouTubeActivityContentDetails::setChannelItem(
    const std::shared_ptr<GTLYouTubeActivityContentDetailsChannelItem>& value) {
    setTypedObjectProperty("channelItem", value);
}
std::shared_ptr<GTLYouTubeActivityContentDetailsComment> GTLYouTubeActivityContentDetails::comment() {
    return typedObjectProperty<GTLYouTubeActivityContentDetailsComment>("comment");
}
void GTLYouTubeActivityContentDetails::setComment(
    const std::shared_ptr<GTLYouTubeActivityContentDetailsComment>& value) {
    setTypedObjectProperty("comment", value);
}
std::shared_ptr<GTLYouTubeActivityContentDetailsFavorite> GTLYouTubeActivityContentDetails::favorite() {
    return typedObjectProperty<GTLYouTubeActivityContentDetailsFavorite>("favorite");
}
void GTLYouTubeActivityContentDetails::setFavorite(
    const std::shared_ptr<GTLYouTubeActivityContentDetailsFavorite>& value) {
    setTypedObjectProperty("favorite", value);
}
std::shared_ptr<GTLYouTubeActivityContentDetailsLike> GTLYouTubeActivityContentDetails::like() {
    return typedObjectProperty<GTLYouTubeActivityContentDetailsLike>("like");
}
void GTLYouTubeActivityContentDetails::setLike(const std::shared_ptr<GTLYouTubeActivityContentDetailsLike>& value) {
    setTypedObjectProperty("like", value);
}
std::shared_ptr<GTLYouTubeActivityContentDetailsPlaylistItem> GTLYouTubeActivityContentDetails::playlistItem() {
    return typedObjectProperty<GTLYouTubeActivityContentDetailsPlaylistItem>("playlistItem");
}
void GTLYouTubeActivityContentDetails::setPlaylistItem(
    const std::shared_ptr<GTLYouTubeActivityContentDetailsPlaylistItem>& value) {
    setTypedObjectProperty("playlistItem", value);
}
std::shared_ptr<GTLYouTubeActivityContentDetailsPromotedItem> GTLYouTubeActivityContentDetails::promotedItem() {
    return typedObjectProperty<GTLYouTubeActivityContentDetailsPromotedItem>("promotedItem");
}
void GTLYouTubeActivityContentDetails::setPromotedItem(
    const std::shared_ptr<GTLYouTubeActivityContentDetailsPromotedItem>& value) {
    setTypedObjectProperty("promotedItem", value);
}
std::shared_ptr<GTLYouTubeActivityContentDetailsRecommendation> GTLYouTubeActivityContentDetails::recommendation() {
    return typedObjectProperty<GTLYouTubeActivityContentDetailsRecommendation>("recommendation");
}
void GTLYouTubeActivityContentDetails::setRecommendation(
    const std::shared_ptr<GTLYouTubeActivityContentDetailsRecommendation>& value) {
    setTypedObjectProperty("recommendation", value);
}
std::shared_ptr<GTLYouTubeActivityContentDetailsSocial> GTLYouTubeActivityContentDetails::social() {
    return typedObjectProperty<GTLYouTubeActivityContentDetailsSocial>("social");
}
void GTLYouTubeActivityContentDetails::setSocial(const std::shared_ptr<GTLYouTubeActivityContentDetailsSocial>& value) {
    setTypedObjectProperty("social", value);
}
std::shared_ptr<GTLYouTubeActivityContentDetailsSubscription> GTLYouTubeActivityContentDetails::subscription() {
    return typedObjectProperty<GTLYouTubeActivityContentDetailsSubscription>("subscription");
}
void GTLYouTubeActivityContentDetails::setSubscription(
    const std::shared_ptr<GTLYouTubeActivityContentDetailsSubscription>& value) {
    setTypedObjectProperty("subscription", value);
}
std::shared_ptr<GTLYouTubeActivityContentDetailsUpload> GTLYouTubeActivityContentDetails::upload() {
    return typedObjectProperty<GTLYouTubeActivityContentDetailsUpload>("upload");
}
void GTLYouTubeActivityContentDetails::setUpload(const std::shared_ptr<GTLYouTubeActivityContentDetailsUpload>& value) {
    setTypedObjectProperty("upload", value);
}

const GTLClassInfo& GTLYouTubeActivityContentDetailsBulletin::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivityContentDetailsBulletin", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivityContentDetailsBulletin>(); });
        made.declaredProperties = {"resourceId"};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeResourceId> GTLYouTubeActivityContentDetailsBulletin::resourceId() {
    return typedObjectProperty<GTLYouTubeResourceId>("resourceId");
}
void GTLYouTubeActivityContentDetailsBulletin::setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value) {
    setTypedObjectProperty("resourceId", value);
}

const GTLClassInfo& GTLYouTubeActivityContentDetailsChannelItem::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivityContentDetailsChannelItem", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivityContentDetailsChannelItem>(); });
        made.declaredProperties = {"resourceId"};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeResourceId> GTLYouTubeActivityContentDetailsChannelItem::resourceId() {
    return typedObjectProperty<GTLYouTubeResourceId>("resourceId");
}
void GTLYouTubeActivityContentDetailsChannelItem::setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value) {
    setTypedObjectProperty("resourceId", value);
}

const GTLClassInfo& GTLYouTubeActivityContentDetailsComment::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivityContentDetailsComment", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivityContentDetailsComment>(); });
        made.declaredProperties = {"resourceId"};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeResourceId> GTLYouTubeActivityContentDetailsComment::resourceId() {
    return typedObjectProperty<GTLYouTubeResourceId>("resourceId");
}
void GTLYouTubeActivityContentDetailsComment::setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value) {
    setTypedObjectProperty("resourceId", value);
}

const GTLClassInfo& GTLYouTubeActivityContentDetailsFavorite::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivityContentDetailsFavorite", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivityContentDetailsFavorite>(); });
        made.declaredProperties = {"resourceId"};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeResourceId> GTLYouTubeActivityContentDetailsFavorite::resourceId() {
    return typedObjectProperty<GTLYouTubeResourceId>("resourceId");
}
void GTLYouTubeActivityContentDetailsFavorite::setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value) {
    setTypedObjectProperty("resourceId", value);
}

const GTLClassInfo& GTLYouTubeActivityContentDetailsLike::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivityContentDetailsLike", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivityContentDetailsLike>(); });
        made.declaredProperties = {"resourceId"};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeResourceId> GTLYouTubeActivityContentDetailsLike::resourceId() {
    return typedObjectProperty<GTLYouTubeResourceId>("resourceId");
}
void GTLYouTubeActivityContentDetailsLike::setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value) {
    setTypedObjectProperty("resourceId", value);
}

const GTLClassInfo& GTLYouTubeActivityContentDetailsPlaylistItem::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivityContentDetailsPlaylistItem", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivityContentDetailsPlaylistItem>(); });
        made.declaredProperties = {"playlistId", "playlistItemId", "resourceId"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeActivityContentDetailsPlaylistItem::playlistId() const {
    return stringProperty("playlistId");
}
void GTLYouTubeActivityContentDetailsPlaylistItem::setPlaylistId(std::optional<std::string> value) {
    setStringProperty("playlistId", std::move(value));
}
std::optional<std::string> GTLYouTubeActivityContentDetailsPlaylistItem::playlistItemId() const {
    return stringProperty("playlistItemId");
}
void GTLYouTubeActivityContentDetailsPlaylistItem::setPlaylistItemId(std::optional<std::string> value) {
    setStringProperty("playlistItemId", std::move(value));
}
std::shared_ptr<GTLYouTubeResourceId> GTLYouTubeActivityContentDetailsPlaylistItem::resourceId() {
    return typedObjectProperty<GTLYouTubeResourceId>("resourceId");
}
void GTLYouTubeActivityContentDetailsPlaylistItem::setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value) {
    setTypedObjectProperty("resourceId", value);
}

const GTLClassInfo& GTLYouTubeActivityContentDetailsPromotedItem::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivityContentDetailsPromotedItem", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivityContentDetailsPromotedItem>(); });
        made.declaredProperties = {
            "adTag",           "clickTrackingUrl", "creativeViewUrl", "ctaType",       "customCtaButtonText",
            "descriptionText", "destinationUrl",   "forecastingUrl",  "impressionUrl", "videoId"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeActivityContentDetailsPromotedItem::adTag() const {
    return stringProperty("adTag");
}
void GTLYouTubeActivityContentDetailsPromotedItem::setAdTag(std::optional<std::string> value) {
    setStringProperty("adTag", std::move(value));
}
std::optional<std::string> GTLYouTubeActivityContentDetailsPromotedItem::clickTrackingUrl() const {
    return stringProperty("clickTrackingUrl");
}
void GTLYouTubeActivityContentDetailsPromotedItem::setClickTrackingUrl(std::optional<std::string> value) {
    setStringProperty("clickTrackingUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeActivityContentDetailsPromotedItem::creativeViewUrl() const {
    return stringProperty("creativeViewUrl");
}
void GTLYouTubeActivityContentDetailsPromotedItem::setCreativeViewUrl(std::optional<std::string> value) {
    setStringProperty("creativeViewUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeActivityContentDetailsPromotedItem::ctaType() const {
    return stringProperty("ctaType");
}
void GTLYouTubeActivityContentDetailsPromotedItem::setCtaType(std::optional<std::string> value) {
    setStringProperty("ctaType", std::move(value));
}
std::optional<std::string> GTLYouTubeActivityContentDetailsPromotedItem::customCtaButtonText() const {
    return stringProperty("customCtaButtonText");
}
void GTLYouTubeActivityContentDetailsPromotedItem::setCustomCtaButtonText(std::optional<std::string> value) {
    setStringProperty("customCtaButtonText", std::move(value));
}
std::optional<std::string> GTLYouTubeActivityContentDetailsPromotedItem::descriptionText() const {
    return stringProperty("descriptionText");
}
void GTLYouTubeActivityContentDetailsPromotedItem::setDescriptionText(std::optional<std::string> value) {
    setStringProperty("descriptionText", std::move(value));
}
std::optional<std::string> GTLYouTubeActivityContentDetailsPromotedItem::destinationUrl() const {
    return stringProperty("destinationUrl");
}
void GTLYouTubeActivityContentDetailsPromotedItem::setDestinationUrl(std::optional<std::string> value) {
    setStringProperty("destinationUrl", std::move(value));
}
std::optional<std::vector<std::string>> GTLYouTubeActivityContentDetailsPromotedItem::forecastingUrl() const {
    return stringArrayProperty("forecastingUrl");
}
void GTLYouTubeActivityContentDetailsPromotedItem::setForecastingUrl(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("forecastingUrl", std::move(value));
}
std::optional<std::vector<std::string>> GTLYouTubeActivityContentDetailsPromotedItem::impressionUrl() const {
    return stringArrayProperty("impressionUrl");
}
void GTLYouTubeActivityContentDetailsPromotedItem::setImpressionUrl(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("impressionUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeActivityContentDetailsPromotedItem::videoId() const {
    return stringProperty("videoId");
}
void GTLYouTubeActivityContentDetailsPromotedItem::setVideoId(std::optional<std::string> value) {
    setStringProperty("videoId", std::move(value));
}

const GTLClassInfo& GTLYouTubeActivityContentDetailsRecommendation::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivityContentDetailsRecommendation", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivityContentDetailsRecommendation>(); });
        made.declaredProperties = {"reason", "resourceId", "seedResourceId"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeActivityContentDetailsRecommendation::reason() const {
    return stringProperty("reason");
}
void GTLYouTubeActivityContentDetailsRecommendation::setReason(std::optional<std::string> value) {
    setStringProperty("reason", std::move(value));
}
std::shared_ptr<GTLYouTubeResourceId> GTLYouTubeActivityContentDetailsRecommendation::resourceId() {
    return typedObjectProperty<GTLYouTubeResourceId>("resourceId");
}
void GTLYouTubeActivityContentDetailsRecommendation::setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value) {
    setTypedObjectProperty("resourceId", value);
}
std::shared_ptr<GTLYouTubeResourceId> GTLYouTubeActivityContentDetailsRecommendation::seedResourceId() {
    return typedObjectProperty<GTLYouTubeResourceId>("seedResourceId");
}
void GTLYouTubeActivityContentDetailsRecommendation::setSeedResourceId(
    const std::shared_ptr<GTLYouTubeResourceId>& value) {
    setTypedObjectProperty("seedResourceId", value);
}

const GTLClassInfo& GTLYouTubeActivityContentDetailsSocial::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivityContentDetailsSocial", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivityContentDetailsSocial>(); });
        made.declaredProperties = {"author", "imageUrl", "referenceUrl", "resourceId", "type"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeActivityContentDetailsSocial::author() const { return stringProperty("author"); }
void GTLYouTubeActivityContentDetailsSocial::setAuthor(std::optional<std::string> value) {
    setStringProperty("author", std::move(value));
}
std::optional<std::string> GTLYouTubeActivityContentDetailsSocial::imageUrl() const {
    return stringProperty("imageUrl");
}
void GTLYouTubeActivityContentDetailsSocial::setImageUrl(std::optional<std::string> value) {
    setStringProperty("imageUrl", std::move(value));
}
std::optional<std::string> GTLYouTubeActivityContentDetailsSocial::referenceUrl() const {
    return stringProperty("referenceUrl");
}
void GTLYouTubeActivityContentDetailsSocial::setReferenceUrl(std::optional<std::string> value) {
    setStringProperty("referenceUrl", std::move(value));
}
std::shared_ptr<GTLYouTubeResourceId> GTLYouTubeActivityContentDetailsSocial::resourceId() {
    return typedObjectProperty<GTLYouTubeResourceId>("resourceId");
}
void GTLYouTubeActivityContentDetailsSocial::setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value) {
    setTypedObjectProperty("resourceId", value);
}
std::optional<std::string> GTLYouTubeActivityContentDetailsSocial::type() const { return stringProperty("type"); }
void GTLYouTubeActivityContentDetailsSocial::setType(std::optional<std::string> value) {
    setStringProperty("type", std::move(value));
}

const GTLClassInfo& GTLYouTubeActivityContentDetailsSubscription::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivityContentDetailsSubscription", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivityContentDetailsSubscription>(); });
        made.declaredProperties = {"resourceId"};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeResourceId> GTLYouTubeActivityContentDetailsSubscription::resourceId() {
    return typedObjectProperty<GTLYouTubeResourceId>("resourceId");
}
void GTLYouTubeActivityContentDetailsSubscription::setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value) {
    setTypedObjectProperty("resourceId", value);
}

const GTLClassInfo& GTLYouTubeActivityContentDetailsUpload::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivityContentDetailsUpload", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivityContentDetailsUpload>(); });
        made.declaredProperties = {"videoId"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeActivityContentDetailsUpload::videoId() const { return stringProperty("videoId"); }
void GTLYouTubeActivityContentDetailsUpload::setVideoId(std::optional<std::string> value) {
    setStringProperty("videoId", std::move(value));
}

const GTLClassInfo& GTLYouTubeActivityListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivityListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivityListResponse>(); });
        made.declaredProperties = {"ETag",     "eventId",       "items",           "kind",     "nextPageToken",
                                   "pageInfo", "prevPageToken", "tokenPagination", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeActivity::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeActivityListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeActivityListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeActivityListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeActivityListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeActivity>>> GTLYouTubeActivityListResponse::items() {
    return typedArrayProperty<GTLYouTubeActivity>("items");
}
void GTLYouTubeActivityListResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeActivity>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeActivityListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeActivityListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeActivityListResponse::nextPageToken() const {
    return stringProperty("nextPageToken");
}
void GTLYouTubeActivityListResponse::setNextPageToken(std::optional<std::string> value) {
    setStringProperty("nextPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubePageInfo> GTLYouTubeActivityListResponse::pageInfo() {
    return typedObjectProperty<GTLYouTubePageInfo>("pageInfo");
}
void GTLYouTubeActivityListResponse::setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value) {
    setTypedObjectProperty("pageInfo", value);
}
std::optional<std::string> GTLYouTubeActivityListResponse::prevPageToken() const {
    return stringProperty("prevPageToken");
}
void GTLYouTubeActivityListResponse::setPrevPageToken(std::optional<std::string> value) {
    setStringProperty("prevPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubeTokenPagination> GTLYouTubeActivityListResponse::tokenPagination() {
    return typedObjectProperty<GTLYouTubeTokenPagination>("tokenPagination");
}
void GTLYouTubeActivityListResponse::setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value) {
    setTypedObjectProperty("tokenPagination", value);
}
std::optional<std::string> GTLYouTubeActivityListResponse::visitorId() const { return stringProperty("visitorId"); }
void GTLYouTubeActivityListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubeActivitySnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeActivitySnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeActivitySnippet>(); });
        made.declaredProperties = {"channelId", "channelTitle", "descriptionProperty",
                                   "groupId",   "publishedAt",  "thumbnails",
                                   "title",     "type"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeActivitySnippet::channelId() const { return stringProperty("channelId"); }
void GTLYouTubeActivitySnippet::setChannelId(std::optional<std::string> value) {
    setStringProperty("channelId", std::move(value));
}
std::optional<std::string> GTLYouTubeActivitySnippet::channelTitle() const { return stringProperty("channelTitle"); }
void GTLYouTubeActivitySnippet::setChannelTitle(std::optional<std::string> value) {
    setStringProperty("channelTitle", std::move(value));
}
std::optional<std::string> GTLYouTubeActivitySnippet::descriptionProperty() const {
    return stringProperty("description");
}
void GTLYouTubeActivitySnippet::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
std::optional<std::string> GTLYouTubeActivitySnippet::groupId() const { return stringProperty("groupId"); }
void GTLYouTubeActivitySnippet::setGroupId(std::optional<std::string> value) {
    setStringProperty("groupId", std::move(value));
}
GTLDateTimePtr GTLYouTubeActivitySnippet::publishedAt() { return dateTimeProperty("publishedAt"); }
void GTLYouTubeActivitySnippet::setPublishedAt(GTLDateTimePtr value) {
    setDateTimeProperty("publishedAt", std::move(value));
}
std::shared_ptr<GTLYouTubeThumbnailDetails> GTLYouTubeActivitySnippet::thumbnails() {
    return typedObjectProperty<GTLYouTubeThumbnailDetails>("thumbnails");
}
void GTLYouTubeActivitySnippet::setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value) {
    setTypedObjectProperty("thumbnails", value);
}
std::optional<std::string> GTLYouTubeActivitySnippet::title() const { return stringProperty("title"); }
void GTLYouTubeActivitySnippet::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}
std::optional<std::string> GTLYouTubeActivitySnippet::type() const { return stringProperty("type"); }
void GTLYouTubeActivitySnippet::setType(std::optional<std::string> value) {
    setStringProperty("type", std::move(value));
}

}  // namespace google
