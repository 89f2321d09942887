#include "components/google/GTLYouTubeSearchObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

const GTLClassInfo& GTLYouTubeSearchListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeSearchListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeSearchListResponse>(); });
        made.declaredProperties = {"ETag",     "eventId",       "items",           "kind",     "nextPageToken",
                                   "pageInfo", "prevPageToken", "tokenPagination", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeSearchResult::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeSearchListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeSearchListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeSearchListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeSearchListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeSearchResult>>> GTLYouTubeSearchListResponse::items() {
    return typedArrayProperty<GTLYouTubeSearchResult>("items");
}
void GTLYouTubeSearchListResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeSearchResult>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeSearchListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeSearchListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeSearchListResponse::nextPageToken() const {
    return stringProperty("nextPageToken");
}
void GTLYouTubeSearchListResponse::setNextPageToken(std::optional<std::string> value) {
    setStringProperty("nextPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubePageInfo> GTLYouTubeSearchListResponse::pageInfo() {
    return typedObjectProperty<GTLYouTubePageInfo>("pageInfo");
}
void GTLYouTubeSearchListResponse::setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value) {
    setTypedObjectProperty("pageInfo", value);
}
std::optional<std::string> GTLYouTubeSearchListResponse::prevPageToken() const {
    return stringProperty("prevPageToken");
}
void GTLYouTubeSearchListResponse::setPrevPageToken(std::optional<std::string> value) {
    setStringProperty("prevPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubeTokenPagination> GTLYouTubeSearchListResponse::tokenPagination() {
    return typedObjectProperty<GTLYouTubeTokenPagination>("tokenPagination");
}
void GTLYouTubeSearchListResponse::setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value) {
    setTypedObjectProperty("tokenPagination", value);
}
std::optional<std::string> GTLYouTubeSearchListResponse::visitorId() const { return stringProperty("visitorId"); }
void GTLYouTubeSearchListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubeSearchResult::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeSearchResult", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeSearchResult>(); });
        made.declaredProperties = {"ETag", "identifier", "kind", "snippet"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeSearchResult::ETag() const { return stringProperty("etag"); }
void GTLYouTubeSearchResult::setETag(std::optional<std::string> value) { setStringProperty("etag", std::move(value)); }
std::shared_ptr<GTLYouTubeResourceId> GTLYouTubeSearchResult::identifier() {
    return typedObjectProperty<GTLYouTubeResourceId>("id");
}
void GTLYouTubeSearchResult::setIdentifier(const std::shared_ptr<GTLYouTubeResourceId>& value) {
    setTypedObjectProperty("id", value);
}
std::optional<std::string> GTLYouTubeSearchResult::kind() const { return stringProperty("kind"); }
void GTLYouTubeSearchResult::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::shared_ptr<GTLYouTubeSearchResultSnippet> GTLYouTubeSearchResult::snippet() {
    return typedObjectProperty<GTLYouTubeSearchResultSnippet>("snippet");
}
void GTLYouTubeSearchResult::setSnippet(const std::shared_ptr<GTLYouTubeSearchResultSnippet>& value) {
    setTypedObjectProperty("snippet", value);
}

const GTLClassInfo& GTLYouTubeSearchResultSnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeSearchResultSnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeSearchResultSnippet>(); });
        made.declaredProperties = {
            "channelId",  "channelTitle", "descriptionProperty", "liveBroadcastContent", "publishedAt",
            "thumbnails", "title"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeSearchResultSnippet::channelId() const { return stringProperty("channelId"); }
void GTLYouTubeSearchResultSnippet::setChannelId(std::optional<std::string> value) {
    setStringProperty("channelId", std::move(value));
}
std::optional<std::string> GTLYouTubeSearchResultSnippet::channelTitle() const {
    return stringProperty("channelTitle");
}
void GTLYouTubeSearchResultSnippet::setChannelTitle(std::optional<std::string> value) {
    setStringProperty("channelTitle", std::move(value));
}
std::optional<std::string> GTLYouTubeSearchResultSnippet::descriptionProperty() const {
    return stringProperty("description");
}
void GTLYouTubeSearchResultSnippet::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
std::optional<std::string> GTLYouTubeSearchResultSnippet::liveBroadcastContent() const {
    return stringProperty("liveBroadcastContent");
}
void GTLYouTubeSearchResultSnippet::setLiveBroadcastContent(std::optional<std::string> value) {
    setStringProperty("liveBroadcastContent", std::move(value));
}
GTLDateTimePtr GTLYouTubeSearchResultSnippet::publishedAt() { return dateTimeProperty("publishedAt"); }
void GTLYouTubeSearchResultSnippet::setPublishedAt(GTLDateTimePtr value) {
    setDateTimeProperty("publishedAt", std::move(value));
}
std::shared_ptr<GTLYouTubeThumbnailDetails> GTLYouTubeSearchResultSnippet::thumbnails() {
    return typedObjectProperty<GTLYouTubeThumbnailDetails>("thumbnails");
}
void GTLYouTubeSearchResultSnippet::setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value) {
    setTypedObjectProperty("thumbnails", value);
}
std::optional<std::string> GTLYouTubeSearchResultSnippet::title() const { return stringProperty("title"); }
void GTLYouTubeSearchResultSnippet::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubeSubscription::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeSubscription", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeSubscription>(); });
        made.declaredProperties = {"contentDetails", "ETag", "identifier", "kind", "snippet", "subscriberSnippet"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeSubscriptionContentDetails> GTLYouTubeSubscription::contentDetails() {
    return typedObjectProperty<GTLYouTubeSubscriptionContentDetails>("contentDetails");
}
void GTLYouTubeSubscription::setContentDetails(const std::shared_ptr<GTLYouTubeSubscriptionContentDetails>& value) {
    setTypedObjectProperty("contentDetails", value);
}
std::optional<std::string> GTLYouTubeSubscription::ETag() const { return stringProperty("etag"); }
void GTLYouTubeSubscription::setETag(std::optional<std::string> value) { setStringProperty("etag", std::move(value)); }
std::optional<std::string> GTLYouTubeSubscription::identifier() const { return stringProperty("id"); }
void GTLYouTubeSubscription::setIdentifier(std::optional<std::string> value) {
    setStringProperty("id", std::move(value));
}
std::optional<std::string> GTLYouTubeSubscription::kind() const { return stringProperty("kind"); }
void GTLYouTubeSubscription::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::shared_ptr<GTLYouTubeSubscriptionSnippet> GTLYouTubeSubscription::snippet() {
    return typedObjectProperty<GTLYouTubeSubscriptionSnippet>("snippet");
}
void GTLYouTubeSubscription::setSnippet(const std::shared_ptr<GTLYouTubeSubscriptionSnippet>& value) {
    setTypedObjectProperty("snippet", value);
}
std::shared_ptr<GTLYouTubeSubscriptionSubscriberSnippet> GTLYouTubeSubscription::subscriberSnippet() {
    return typedObjectProperty<GTLYouTubeSubscriptionSubscriberSnippet>("subscriberSnippet");
}
void GTLYouTubeSubscription::setSubscriberSnippet(
    const std::shared_ptr<GTLYouTubeSubscriptionSubscriberSnippet>& value) {
    setTypedObjectProperty("subscriberSnippet", value);
}

const GTLClassInfo& GTLYouTubeSubscriptionContentDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeSubscriptionContentDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeSubscriptionContentDetails>(); });
        made.declaredProperties = {"activityType", "newItemCount", "totalItemCount"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeSubscriptionContentDetails::activityType() const {
    return stringProperty("activityType");
}
void GTLYouTubeSubscriptionContentDetails::setActivityType(std::optional<std::string> value) {
    setStringProperty("activityType", std::move(value));
}
std::optional<Value> GTLYouTubeSubscriptionContentDetails::newItemCount() const {
    return numberProperty("newItemCount");
}
void GTLYouTubeSubscriptionContentDetails::setNewItemCount(std::optional<Value> value) {
    setNumberProperty("newItemCount", std::move(value));
}
std::optional<Value> GTLYouTubeSubscriptionContentDetails::totalItemCount() const {
    return numberProperty("totalItemCount");
}
void GTLYouTubeSubscriptionContentDetails::setTotalItemCount(std::optional<Value> value) {
    setNumberProperty("totalItemCount", std::move(value));
}

const GTLClassInfo& GTLYouTubeSubscriptionListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeSubscriptionListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeSubscriptionListResponse>(); });
        made.declaredProperties = {"ETag",     "eventId",       "items",           "kind",     "nextPageToken",
                                   "pageInfo", "prevPageToken", "tokenPagination", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeSubscription::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeSubscriptionListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeSubscriptionListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeSubscriptionListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeSubscriptionListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeSubscription>>> GTLYouTubeSubscriptionListResponse::items() {
    return typedArrayProperty<GTLYouTubeSubscription>("items");
}
void GTLYouTubeSubscriptionListResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeSubscription>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeSubscriptionListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeSubscriptionListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeSubscriptionListResponse::nextPageToken() const {
    return stringProperty("nextPageToken");
}
void GTLYouTubeSubscriptionListResponse::setNextPageToken(std::optional<std::string> value) {
    setStringProperty("nextPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubePageInfo> GTLYouTubeSubscriptionListResponse::pageInfo() {
    return typedObjectProperty<GTLYouTubePageInfo>("pageInfo");
}
void GTLYouTubeSubscriptionListResponse::setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value) {
    setTypedObjectProperty("pageInfo", value);
}
std::optional<std::string> GTLYouTubeSubscriptionListResponse::prevPageToken() const {
    return stringProperty("prevPageToken");
}
void GTLYouTubeSubscriptionListResponse::setPrevPageToken(std::optional<std::string> value) {
    setStringProperty("prevPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubeTokenPagination> GTLYouTubeSubscriptionListResponse::tokenPagination() {
    return typedObjectProperty<GTLYouTubeTokenPagination>("tokenPagination");
}
void GTLYouTubeSubscriptionListResponse::setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value) {
    setTypedObjectProperty("tokenPagination", value);
}
std::optional<std::string> GTLYouTubeSubscriptionListResponse::visitorId() const { return stringProperty("visitorId"); }
void GTLYouTubeSubscriptionListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubeSubscriptionSnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeSubscriptionSnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeSubscriptionSnippet>(); });
        made.declaredProperties = {"channelId",  "channelTitle", "descriptionProperty", "publishedAt", "resourceId",
                                   "thumbnails", "title"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeSubscriptionSnippet::channelId() const { return stringProperty("channelId"); }
void GTLYouTubeSubscriptionSnippet::setChannelId(std::optional<std::string> value) {
    setStringProperty("channelId", std::move(value));
}
std::optional<std::string> GTLYouTubeSubscriptionSnippet::channelTitle() const {
    return stringProperty("channelTitle");
}
void GTLYouTubeSubscriptionSnippet::setChannelTitle(std::optional<std::string> value) {
    setStringProperty("channelTitle", std::move(value));
}
std::optional<std::string> GTLYouTubeSubscriptionSnippet::descriptionProperty() const {
    return stringProperty("description");
}
void GTLYouTubeSubscriptionSnippet::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
GTLDateTimePtr GTLYouTubeSubscriptionSnippet::publishedAt() { return dateTimeProperty("publishedAt"); }
void GTLYouTubeSubscriptionSnippet::setPublishedAt(GTLDateTimePtr value) {
    setDateTimeProperty("publishedAt", std::move(value));
}
std::shared_ptr<GTLYouTubeResourceId> GTLYouTubeSubscriptionSnippet::resourceId() {
    return typedObjectProperty<GTLYouTubeResourceId>("resourceId");
}
void GTLYouTubeSubscriptionSnippet::setResourceId(const std::shared_ptr<GTLYouTubeResourceId>& value) {
    setTypedObjectProperty("resourceId", value);
}
std::shared_ptr<GTLYouTubeThumbnailDetails> GTLYouTubeSubscriptionSnippet::thumbnails() {
    return typedObjectProperty<GTLYouTubeThumbnailDetails>("thumbnails");
}
void GTLYouTubeSubscriptionSnippet::setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value) {
    setTypedObjectProperty("thumbnails", value);
}
std::optional<std::string> GTLYouTubeSubscriptionSnippet::title() const { return stringProperty("title"); }
void GTLYouTubeSubscriptionSnippet::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubeSubscriptionSubscriberSnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeSubscriptionSubscriberSnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeSubscriptionSubscriberSnippet>(); });
        made.declaredProperties = {"channelId", "descriptionProperty", "thumbnails", "title"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeSubscriptionSubscriberSnippet::channelId() const {
    return stringProperty("channelId");
}
void GTLYouTubeSubscriptionSubscriberSnippet::setChannelId(std::optional<std::string> value) {
    setStringProperty("channelId", std::move(value));
}
std::optional<std::string> GTLYouTubeSubscriptionSubscriberSnippet::descriptionProperty() const {
    return stringProperty("description");
}
void GTLYouTubeSubscriptionSubscriberSnippet::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
std::shared_ptr<GTLYouTubeThumbnailDetails> GTLYouTubeSubscriptionSubscriberSnippet::thumbnails() {
    return typedObjectProperty<GTLYouTubeThumbnailDetails>("thumbnails");
}
void GTLYouTubeSubscriptionSubscriberSnippet::setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value) {
    setTypedObjectProperty("thumbnails", value);
}
std::optional<std::string> GTLYouTubeSubscriptionSubscriberSnippet::title() const { return stringProperty("title"); }
void GTLYouTubeSubscriptionSubscriberSnippet::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

}  // namespace google
