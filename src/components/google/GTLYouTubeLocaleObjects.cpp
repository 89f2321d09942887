#include "components/google/GTLYouTubeLocaleObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

const GTLClassInfo& GTLYouTubeGuideCategory::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeGuideCategory", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeGuideCategory>(); });
        made.declaredProperties = {"ETag", "identifier", "kind", "snippet"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeGuideCategory::ETag() const { return stringProperty("etag"); }
void GTLYouTubeGuideCategory::setETag(std::optional<std::string> value) { setStringProperty("etag", std::move(value)); }
std::optional<std::string> GTLYouTubeGuideCategory::identifier() const { return stringProperty("id"); }
void GTLYouTubeGuideCategory::setIdentifier(std::optional<std::string> value) {
    setStringProperty("id", std::move(value));
}
std::optional<std::string> GTLYouTubeGuideCategory::kind() const { return stringProperty("kind"); }
void GTLYouTubeGuideCategory::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::shared_ptr<GTLYouTubeGuideCategorySnippet> GTLYouTubeGuideCategory::snippet() {
    return typedObjectProperty<GTLYouTubeGuideCategorySnippet>("snippet");
}
void GTLYouTubeGuideCategory::setSnippet(const std::shared_ptr<GTLYouTubeGuideCategorySnippet>& value) {
    setTypedObjectProperty("snippet", value);
}

const GTLClassInfo& GTLYouTubeGuideCategoryListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeGuideCategoryListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeGuideCategoryListResponse>(); });
        made.declaredProperties = {"ETag",     "eventId",       "items",           "kind",     "nextPageToken",
                                   "pageInfo", "prevPageToken", "tokenPagination", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeGuideCategory::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeGuideCategoryListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeGuideCategoryListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeGuideCategoryListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeGuideCategoryListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeGuideCategory>>> GTLYouTubeGuideCategoryListResponse::items() {
    return typedArrayProperty<GTLYouTubeGuideCategory>("items");
}
void GTLYouTubeGuideCategoryListResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeGuideCategory>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeGuideCategoryListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeGuideCategoryListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeGuideCategoryListResponse::nextPageToken() const {
    return stringProperty("nextPageToken");
}
void GTLYouTubeGuideCategoryListResponse::setNextPageToken(std::optional<std::string> value) {
    setStringProperty("nextPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubePageInfo> GTLYouTubeGuideCategoryListResponse::pageInfo() {
    return typedObjectProperty<GTLYouTubePageInfo>("pageInfo");
}
void GTLYouTubeGuideCategoryListResponse::setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value) {
    setTypedObjectProperty("pageInfo", value);
}
std::optional<std::string> GTLYouTubeGuideCategoryListResponse::prevPageToken() const {
    return stringProperty("prevPageToken");
}
void GTLYouTubeGuideCategoryListResponse::setPrevPageToken(std::optional<std::string> value) {
    setStringProperty("prevPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubeTokenPagination> GTLYouTubeGuideCategoryListResponse::tokenPagination() {
    return typedObjectProperty<GTLYouTubeTokenPagination>("tokenPagination");
}
void GTLYouTubeGuideCategoryListResponse::setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value) {
    setTypedObjectProperty("tokenPagination", value);
}
std::optional<std::string> GTLYouTubeGuideCategoryListResponse::visitorId() const {
    return stringProperty("visitorId");
}
void GTLYouTubeGuideCategoryListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubeGuideCategorySnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeGuideCategorySnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeGuideCategorySnippet>(); });
        made.declaredProperties = {"channelId", "title"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeGuideCategorySnippet::channelId() const { return stringProperty("channelId"); }
void GTLYouTubeGuideCategorySnippet::setChannelId(std::optional<std::string> value) {
    setStringProperty("channelId", std::move(value));
}
std::optional<std::string> GTLYouTubeGuideCategorySnippet::title() const { return stringProperty("title"); }
void GTLYouTubeGuideCategorySnippet::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubeI18nLanguage::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeI18nLanguage", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeI18nLanguage>(); });
        made.declaredProperties = {"ETag", "identifier", "kind", "snippet"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeI18nLanguage::ETag() const { return stringProperty("etag"); }
void GTLYouTubeI18nLanguage::setETag(std::optional<std::string> value) { setStringProperty("etag", std::move(value)); }
std::optional<std::string> GTLYouTubeI18nLanguage::identifier() const { return stringProperty("id"); }
void GTLYouTubeI18nLanguage::setIdentifier(std::optional<std::string> value) {
    setStringProperty("id", std::move(value));
}
std::optional<std::string> GTLYouTubeI18nLanguage::kind() const { return stringProperty("kind"); }
void GTLYouTubeI18nLanguage::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::shared_ptr<GTLYouTubeI18nLanguageSnippet> GTLYouTubeI18nLanguage::snippet() {
    return typedObjectProperty<GTLYouTubeI18nLanguageSnippet>("snippet");
}
void GTLYouTubeI18nLanguage::setSnippet(const std::shared_ptr<GTLYouTubeI18nLanguageSnippet>& value) {
    setTypedObjectProperty("snippet", value);
}

const GTLClassInfo& GTLYouTubeI18nLanguageListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeI18nLanguageListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeI18nLanguageListResponse>(); });
        made.declaredProperties = {"ETag", "eventId", "items", "kind", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeI18nLanguage::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeI18nLanguageListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeI18nLanguageListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeI18nLanguageListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeI18nLanguageListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeI18nLanguage>>> GTLYouTubeI18nLanguageListResponse::items() {
    return typedArrayProperty<GTLYouTubeI18nLanguage>("items");
}
void GTLYouTubeI18nLanguageListResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeI18nLanguage>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeI18nLanguageListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeI18nLanguageListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeI18nLanguageListResponse::visitorId() const { return stringProperty("visitorId"); }
void GTLYouTubeI18nLanguageListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubeI18nLanguageSnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeI18nLanguageSnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeI18nLanguageSnippet>(); });
        made.declaredProperties = {"hl", "name"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeI18nLanguageSnippet::hl() const { return stringProperty("hl"); }
void GTLYouTubeI18nLanguageSnippet::setHl(std::optional<std::string> value) {
    setStringProperty("hl", std::move(value));
}
std::optional<std::string> GTLYouTubeI18nLanguageSnippet::name() const { return stringProperty("name"); }
void GTLYouTubeI18nLanguageSnippet::setName(std::optional<std::string> value) {
    setStringProperty("name", std::move(value));
}

const GTLClassInfo& GTLYouTubeI18nRegion::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeI18nRegion", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeI18nRegion>(); });
        made.declaredProperties = {"ETag", "identifier", "kind", "snippet"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeI18nRegion::ETag() const { return stringProperty("etag"); }
void GTLYouTubeI18nRegion::setETag(std::optional<std::string> value) { setStringProperty("etag", std::move(value)); }
std::optional<std::string> GTLYouTubeI18nRegion::identifier() const { return stringProperty("id"); }
void GTLYouTubeI18nRegion::setIdentifier(std::optional<std::string> value) {
    setStringProperty("id", std::move(value));
}
std::optional<std::string> GTLYouTubeI18nRegion::kind() const { return stringProperty("kind"); }
void GTLYouTubeI18nRegion::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::shared_ptr<GTLYouTubeI18nRegionSnippet> GTLYouTubeI18nRegion::snippet() {
    return typedObjectProperty<GTLYouTubeI18nRegionSnippet>("snippet");
}
void GTLYouTubeI18nRegion::setSnippet(const std::shared_ptr<GTLYouTubeI18nRegionSnippet>& value) {
    setTypedObjectProperty("snippet", value);
}

const GTLClassInfo& GTLYouTubeI18nRegionListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeI18nRegionListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeI18nRegionListResponse>(); });
        made.declaredProperties = {"ETag", "eventId", "items", "kind", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeI18nRegion::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeI18nRegionListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeI18nRegionListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeI18nRegionListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeI18nRegionListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeI18nRegion>>> GTLYouTubeI18nRegionListResponse::items() {
    return typedArrayProperty<GTLYouTubeI18nRegion>("items");
}
void GTLYouTubeI18nRegionListResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeI18nRegion>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeI18nRegionListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeI18nRegionListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeI18nRegionListResponse::visitorId() const { return stringProperty("visitorId"); }
void GTLYouTubeI18nRegionListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubeI18nRegionSnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeI18nRegionSnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeI18nRegionSnippet>(); });
        made.declaredProperties = {"gl", "name"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeI18nRegionSnippet::gl() const { return stringProperty("gl"); }
void GTLYouTubeI18nRegionSnippet::setGl(std::optional<std::string> value) { setStringProperty("gl", std::move(value)); }
std::optional<std::string> GTLYouTubeI18nRegionSnippet::name() const { return stringProperty("name"); }
void GTLYouTubeI18nRegionSnippet::setName(std::optional<std::string> value) {
    setStringProperty("name", std::move(value));
}

const GTLClassInfo& GTLYouTubeLanguageTag::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeLanguageTag", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeLanguageTag>(); });
        made.declaredProperties = {"value"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeLanguageTag::value() const { return stringProperty("value"); }
void GTLYouTubeLanguageTag::setValue(std::optional<std::string> value) { setStringProperty("value", std::move(value)); }

}  // namespace google
