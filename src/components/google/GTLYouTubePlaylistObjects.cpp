#include "components/google/GTLYouTubePlaylistObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

const GTLClassInfo& GTLYouTubePlaylist::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePlaylist", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePlaylist>(); });
        made.declaredProperties = {"contentDetails", "ETag",   "identifier", "kind",
                                   "localizations",  "player", "snippet",    "status"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubePlaylistContentDetails> GTLYouTubePlaylist::contentDetails() {
    return typedObjectProperty<GTLYouTubePlaylistContentDetails>("contentDetails");
}
void GTLYouTubePlaylist::setContentDetails(const std::shared_ptr<GTLYouTubePlaylistContentDetails>& value) {
    setTypedObjectProperty("contentDetails", value);
}
std::optional<std::string> GTLYouTubePlaylist::ETag() const { return stringProperty("etag"); }
void GTLYouTubePlaylist::setETag(std::optional<std::string> value) { setStringProperty("etag", std::move(value)); }
std::optional<std::string> GTLYouTubePlaylist::identifier() const { return stringProperty("id"); }
void GTLYouTubePlaylist::setIdentifier(std::optional<std::string> value) { setStringProperty("id", std::move(value)); }
std::optional<std::string> GTLYouTubePlaylist::kind() const { return stringProperty("kind"); }
void GTLYouTubePlaylist::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::shared_ptr<GTLYouTubePlaylistLocalizations> GTLYouTubePlaylist::localizations() {
    return typedObjectProperty<GTLYouTubePlaylistLocalizations>("localizations");
}
void GTLYouTubePlaylist::setLocalizations(const std::shared_ptr<GTLYouTubePlaylistLocalizations>& value) {
    setTypedObjectProperty("localizations", value);
}
std::shared_ptr<GTLYouTubePlaylistPlayer> GTLYouTubePlaylist::player() {
    return typedObjectProperty<GTLYouTubePlaylistPlayer>("player");
}
void GTLYouTubePlaylist::setPlayer(const std::shared_ptr<GTLYouTubePlaylistPlayer>& value) {
    setTypedObjectProperty("player", value);
}
std::shared_ptr<GTLYouTubePlaylistSnippet> GTLYouTubePlaylist::snippet() {
    return typedObjectProperty<GTLYouTubePlaylistSnippet>("snippet");
}
void GTLYouTubePlaylist::setSnippet(const std::shared_ptr<GTLYouTubePlaylistSnippet>& value) {
    setTypedObjectProperty("snippet", value);
}
std::shared_ptr<GTLYouTubePlaylistStatus> GTLYouTubePlaylist::status() {
    return typedObjectProperty<GTLYouTubePlaylistStatus>("status");
}
void GTLYouTubePlaylist::setStatus(const std::shared_ptr<GTLYouTubePlaylistStatus>& value) {
    setTypedObjectProperty("status", value);
}

const GTLClassInfo& GTLYouTubePlaylistContentDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePlaylistContentDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePlaylistContentDetails>(); });
        made.declaredProperties = {"itemCount"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubePlaylistContentDetails::itemCount() const { return numberProperty("itemCount"); }
void GTLYouTubePlaylistContentDetails::setItemCount(std::optional<Value> value) {
    setNumberProperty("itemCount", std::move(value));
}

const GTLClassInfo& GTLYouTubePlaylistItem::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePlaylistItem", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePlaylistItem>(); });
        made.declaredProperties = {"contentDetails", "ETag", "identifier", "kind", "snippet", "status"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubePlaylistItemContentDetails> GTLYouTubePlaylistItem::contentDetails() {
    return typedObjectProperty<GTLYouTubePlaylistItemContentDetails>("contentDetails");
}
void GTLYouTubePlaylistItem::setContentDetails(const std::shared_ptr<GTLYouTubePlaylistItemContentDetails>& value) {
    setTypedObjectProperty("contentDetails", value);
}
std::optional<std::string> GTLYouTubePlaylistItem::ETag() const { return stringProperty("etag"); }
void GTLYouTubePlaylistItem::setETag(std::optional<std::string> value) { setStringProperty("etag", std::move(value)); }
std::optional<std::string> GTLYouTubePlaylistItem::identifier() const { return stringProperty("id"); }
void GTLYouTubePlaylistItem::setIdentifier(std::optional<std::string> value) {
    setStringProperty("id", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistItem::kind() const { return stringProperty("kind"); }
void GTLYouTubePlaylistItem::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::shared_ptr<GTLYouTubePlaylistItemSnippet> GTLYouTubePlaylistItem::snippet() {
    return typedObjectProperty<GTLYouTubePlaylistItemSnippet>("snippet");
}
void GTLYouTubePlaylistItem::setSnippet(const std::shared_ptr<GTLYouTubePlaylistItemSnippet>& value) {
    setTypedObjectProperty("snippet", value);
}
std::shared_ptr<GTLYouTubePlaylistItemStatus> GTLYouTubePlaylistItem::status() {
    return typedObjectProperty<GTLYouTubePlaylistItemStatus>("status");
}
void GTLYouTubePlaylistItem::setStatus(const std::shared_ptr<GTLYouTubePlaylistItemStatus>& value) {
    setTypedObjectProperty("status", value);
}

const GTLClassInfo& GTLYouTubePlaylistItemContentDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePlaylistItemContentDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePlaylistItemContentDetails>(); });
        made.declaredProperties = {"endAt", "note", "startAt", "videoId"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubePlaylistItemContentDetails::endAt() const { return stringProperty("endAt"); }
void GTLYouTubePlaylistItemContentDetails::setEndAt(std::optional<std::string> value) {
    setStringProperty("endAt", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistItemContentDetails::note() const { return stringProperty("note"); }
void GTLYouTubePlaylistItemContentDetails::setNote(std::optional<std::string> value) {
    setStringProperty("note", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistItemContentDetails::startAt() const { return stringProperty("startAt"); }
void GTLYouTubePlaylistItemContentDetails::setStartAt(std::optional<std::string> value) {
    setStringProperty("startAt", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistItemContentDetails::videoId() const { return stringProperty("videoId"); }
void GTLYouTubePlaylistItemContentDetails::setVideoId(std::optional<std::string> value) {
    setStringProperty("videoId", std::move(value));
}

const GTLClassInfo& GTLYouTubePlaylistItemListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePlaylistItemListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePlaylistItemListResponse>(); });
        made.declaredProperties = {"ETag",     "eventId",       "items",           "kind",     "nextPageToken",
                                   "pageInfo", "prevPageToken", "tokenPagination", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubePlaylistItem::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubePlaylistItemListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubePlaylistItemListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistItemListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubePlaylistItemListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubePlaylistItem>>> GTLYouTubePlaylistItemListResponse::items() {
    return typedArrayProperty<GTLYouTubePlaylistItem>("items");
}
void GTLYouTubePlaylistItemListResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubePlaylistItem>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubePlaylistItemListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubePlaylistItemListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistItemListResponse::nextPageToken() const {
    return stringProperty("nextPageToken");
}
void GTLYouTubePlaylistItemListResponse::setNextPageToken(std::optional<std::string> value) {
    setStringProperty("nextPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubePageInfo> GTLYouTubePlaylistItemListResponse::pageInfo() {
    return typedObjectProperty<GTLYouTubePageInfo>("pageInfo");
}
void GTLYouTubePlaylistItemListResponse::setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value) {
    setTypedObjectProperty("pageInfo", value);
}
std::optional<std::string> GTLYouTubePlaylistItemListResponse::prevPageToken() const {
    return stringProperty("prevPageToken");
}
void GTLYouTubePlaylistItemListResponse::setPrevPageToken(std::optional<std::string> value) {
    setStringProperty("prevPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubeTokenPagination> GTLYouTubePlaylistItemListResponse::tokenPagination() {
    return typedObjectProperty<GTLYouTubeTokenPagination>("tokenPagination");
}
void GTLYouTubePlaylistItemListResponse::setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value) {
    setTypedObjectProperty("tokenPagination", value);
}
std::optional<std::string> GTLYouTubePlaylistItemListResponse::visitorId() const { return stringProperty("visitorId"); }
void GTLYouTubePlaylistItemListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubePlaylistItemSnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePlaylistItemSnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePlaylistItemSnippet>(); });
        made.declaredProperties = {"channelId",   "channelTitle", "descriptionProperty", "playlistId", "position",
                                   "publishedAt", "resourceId",   "thumbnails",          "title"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubePlaylistItemSnippet::channelId() const { return stringProperty("channelId"); }
void GTLYouTubePlaylistItemSnippet::setChannelId(std::optional<std::string> value) {
    setStringProperty("channelId", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistItemSnippet::channelTitle() const {
    return stringProperty("channelTitle");
}
void GTLYouTubePlaylistItemSnippet::setChannelTitle(std::optional<std::string> value) {
    setStringProperty("channelTitle", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistItemSnippet::descriptionProperty() const {
    return stringProperty("description");
}
void GTLYouTubePlaylistItemSnippet::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistItemSnippet::playlistId() const { return stringProperty("playlistId"); }
void GTLYouTubePlaylistItemSnippet::setPlaylistId(std::optional<std::string> value) {
    setStringProperty("playlistId", std::move(value));
}
std::optional<Value> GTLYouTubePlaylistItemSnippet::position() const { return numberProperty("position"); }
void GTLYouTubePlaylistItemSnippet::setPosition(std::optional<Value> value) {
    setNumberProperty("position", std::move(value));
}
GTLDateTimePtr GTLYouTubePlaylistItemSnippet::publishedAt() { return dateTimeProperty("publishedAt"); }
void GTLYouTubePlaylistItemSnippet::setPublishedAt(GTLDateTimePtr value) {
    setDateTimeProperty("publishedAt", std::move(value));
}
std::shared_ptr<GTLYouTubeResourceId> GTLYouTubePlaylistItemSnippet::resourceId() {
    return typedObjectProperty<GTLYouTubeResourceId>("resourceId");
}
void GTLYouTubePlaylistItemSnippet::setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value) {
    setTypedObjectProperty("resourceId", value);
}
std::shared_ptr<GTLYouTubeThumbnailDetails> GTLYouTubePlaylistItemSnippet::thumbnails() {
    return typedObjectProperty<GTLYouTubeThumbnailDetails>("thumbnails");
}
void GTLYouTubePlaylistItemSnippet::setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value) {
    setTypedObjectProperty("thumbnails", value);
}
std::optional<std::string> GTLYouTubePlaylistItemSnippet::title() const { return stringProperty("title"); }
void GTLYouTubePlaylistItemSnippet::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubePlaylistItemStatus::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePlaylistItemStatus", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePlaylistItemStatus>(); });
        made.declaredProperties = {"privacyStatus"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubePlaylistItemStatus::privacyStatus() const {
    return stringProperty("privacyStatus");
}
void GTLYouTubePlaylistItemStatus::setPrivacyStatus(std::optional<std::string> value) {
    setStringProperty("privacyStatus", std::move(value));
}

const GTLClassInfo& GTLYouTubePlaylistListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePlaylistListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePlaylistListResponse>(); });
        made.declaredProperties = {"ETag",     "eventId",       "items",           "kind",     "nextPageToken",
                                   "pageInfo", "prevPageToken", "tokenPagination", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubePlaylist::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubePlaylistListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubePlaylistListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubePlaylistListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubePlaylist>>> GTLYouTubePlaylistListResponse::items() {
    return typedArrayProperty<GTLYouTubePlaylist>("items");
}
void GTLYouTubePlaylistListResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubePlaylist>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubePlaylistListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubePlaylistListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistListResponse::nextPageToken() const {
    return stringProperty("nextPageToken");
}
void GTLYouTubePlaylistListResponse::setNextPageToken(std::optional<std::string> value) {
    setStringProperty("nextPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubePageInfo> GTLYouTubePlaylistListResponse::pageInfo() {
    return typedObjectProperty<GTLYouTubePageInfo>("pageInfo");
}
void GTLYouTubePlaylistListResponse::setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value) {
    setTypedObjectProperty("pageInfo", value);
}
std::optional<std::string> GTLYouTubePlaylistListResponse::prevPageToken() const {
    return stringProperty("prevPageToken");
}
void GTLYouTubePlaylistListResponse::setPrevPageToken(std::optional<std::string> value) {
    setStringProperty("prevPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubeTokenPagination> GTLYouTubePlaylistListResponse::tokenPagination() {
    return typedObjectProperty<GTLYouTubeTokenPagination>("tokenPagination");
}
void GTLYouTubePlaylistListResponse::setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value) {
    setTypedObjectProperty("tokenPagination", value);
}
std::optional<std::string> GTLYouTubePlaylistListResponse::visitorId() const { return stringProperty("visitorId"); }
void GTLYouTubePlaylistListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubePlaylistLocalization::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePlaylistLocalization", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePlaylistLocalization>(); });
        made.declaredProperties = {"descriptionProperty", "title"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubePlaylistLocalization::descriptionProperty() const {
    return stringProperty("description");
}
void GTLYouTubePlaylistLocalization::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistLocalization::title() const { return stringProperty("title"); }
void GTLYouTubePlaylistLocalization::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubePlaylistLocalizations::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePlaylistLocalizations", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePlaylistLocalizations>(); });
        made.classForAdditionalProperties = &GTLYouTubePlaylistLocalization::classInfo;
        return made;
    }();
    return info;
}

const GTLClassInfo& GTLYouTubePlaylistPlayer::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePlaylistPlayer", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePlaylistPlayer>(); });
        made.declaredProperties = {"embedHtml"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubePlaylistPlayer::embedHtml() const { return stringProperty("embedHtml"); }
void GTLYouTubePlaylistPlayer::setEmbedHtml(std::optional<std::string> value) {
    setStringProperty("embedHtml", std::move(value));
}

const GTLClassInfo& GTLYouTubePlaylistSnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePlaylistSnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePlaylistSnippet>(); });
        made.declaredProperties = {
            "channelId",  "channelTitle", "defaultLanguage", "descriptionProperty", "localized", "publishedAt", "tags",
            "thumbnails", "title"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubePlaylistSnippet::channelId() const { return stringProperty("channelId"); }
void GTLYouTubePlaylistSnippet::setChannelId(std::optional<std::string> value) {
    setStringProperty("channelId", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistSnippet::channelTitle() const { return stringProperty("channelTitle"); }
void GTLYouTubePlaylistSnippet::setChannelTitle(std::optional<std::string> value) {
    setStringProperty("channelTitle", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistSnippet::defaultLanguage() const {
    return stringProperty("defaultLanguage");
}
void GTLYouTubePlaylistSnippet::setDefaultLanguage(std::optional<std::string> value) {
    setStringProperty("defaultLanguage", std::move(value));
}
std::optional<std::string> GTLYouTubePlaylistSnippet::descriptionProperty() const {
    return stringProperty("description");
}
void GTLYouTubePlaylistSnippet::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
std::shared_ptr<GTLYouTubePlaylistLocalization> GTLYouTubePlaylistSnippet::localized() {
    return typedObjectProperty<GTLYouTubePlaylistLocalization>("localized");
}
void GTLYouTubePlaylistSnippet::setLocalized(const std::shared_ptr<GTLYouTubePlaylistLocalization>& value) {
    setTypedObjectProperty("localized", value);
}
GTLDateTimePtr GTLYouTubePlaylistSnippet::publishedAt() { return dateTimeProperty("publishedAt"); }
void GTLYouTubePlaylistSnippet::setPublishedAt(GTLDateTimePtr value) {
    setDateTimeProperty("publishedAt", std::move(value));
}
std::optional<std::vector<std::string>> GTLYouTubePlaylistSnippet::tags() const { return stringArrayProperty("tags"); }
void GTLYouTubePlaylistSnippet::setTags(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("tags", std::move(value));
}
std::shared_ptr<GTLYouTubeThumbnailDetails> GTLYouTubePlaylistSnippet::thumbnails() {
    return typedObjectProperty<GTLYouTubeThumbnailDetails>("thumbnails");
}
void GTLYouTubePlaylistSnippet::setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value) {
    setTypedObjectProperty("thumbnails", value);
}
std::optional<std::string> GTLYouTubePlaylistSnippet::title() const { return stringProperty("title"); }
void GTLYouTubePlaylistSnippet::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubePlaylistStatus::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubePlaylistStatus", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubePlaylistStatus>(); });
        made.declaredProperties = {"privacyStatus"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubePlaylistStatus::privacyStatus() const { return stringProperty("privacyStatus"); }
void GTLYouTubePlaylistStatus::setPrivacyStatus(std::optional<std::string> value) {
    setStringProperty("privacyStatus", std::move(value));
}

}  // namespace google
