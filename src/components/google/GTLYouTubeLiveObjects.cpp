#include "components/google/GTLYouTubeLiveObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

const GTLClassInfo& GTLYouTubeCdnSettings::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeCdnSettings", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeCdnSettings>(); });
        made.declaredProperties = {"format", "ingestionInfo", "ingestionType"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeCdnSettings::format() const { return stringProperty("format"); }
void GTLYouTubeCdnSettings::setFormat(std::optional<std::string> value) {
    setStringProperty("format", std::move(value));
}
std::shared_ptr<GTLYouTubeIngestionInfo> GTLYouTubeCdnSettings::ingestionInfo() {
    return typedObjectProperty<GTLYouTubeIngestionInfo>("ingestionInfo");
}
void GTLYouTubeCdnSettings::setIngestionInfo(const std::shared_ptr<GTLYouTubeIngestionInfo>& value) {
    setTypedObjectProperty("ingestionInfo", value);
}
std::optional<std::string> GTLYouTubeCdnSettings::ingestionType() const { return stringProperty("ingestionType"); }
void GTLYouTubeCdnSettings::setIngestionType(std::optional<std::string> value) {
    setStringProperty("ingestionType", std::move(value));
}

const GTLClassInfo& GTLYouTubeIngestionInfo::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeIngestionInfo", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeIngestionInfo>(); });
        made.declaredProperties = {"backupIngestionAddress", "ingestionAddress", "streamName"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeIngestionInfo::backupIngestionAddress() const {
    return stringProperty("backupIngestionAddress");
}
void GTLYouTubeIngestionInfo::setBackupIngestionAddress(std::optional<std::string> value) {
    setStringProperty("backupIngestionAddress", std::move(value));
}
std::optional<std::string> GTLYouTubeIngestionInfo::ingestionAddress() const {
    return stringProperty("ingestionAddress");
}
void GTLYouTubeIngestionInfo::setIngestionAddress(std::optional<std::string> value) {
    setStringProperty("ingestionAddress", std::move(value));
}
std::optional<std::string> GTLYouTubeIngestionInfo::streamName() const { return stringProperty("streamName"); }
void GTLYouTubeIngestionInfo::setStreamName(std::optional<std::string> value) {
    setStringProperty("streamName", std::move(value));
}

const GTLClassInfo& GTLYouTubeLiveBroadcast::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeLiveBroadcast", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeLiveBroadcast>(); });
        made.declaredProperties = {"contentDetails", "ETag", "identifier", "kind", "snippet", "status"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeLiveBroadcastContentDetails> GTLYouTubeLiveBroadcast::contentDetails() {
    return typedObjectProperty<GTLYouTubeLiveBroadcastContentDetails>("contentDetails");
}
void GTLYouTubeLiveBroadcast::setContentDetails(const std::shared_ptr<GTLYouTubeLiveBroadcastContentDetails>& value) {
    setTypedObjectProperty("contentDetails", value);
}
std::optional<std::string> GTLYouTubeLiveBroadcast::ETag() const { return stringProperty("etag"); }
void GTLYouTubeLiveBroadcast::setETag(std::optional<std::string> value) { setStringProperty("etag", std::move(value)); }
std::optional<std::string> GTLYouTubeLiveBroadcast::identifier() const { return stringProperty("id"); }
void GTLYouTubeLiveBroadcast::setIdentifier(std::optional<std::string> value) {
    setStringProperty("id", std::move(value));
}
std::optional<std::string> GTLYouTubeLiveBroadcast::kind() const { return stringProperty("kind"); }
void GTLYouTubeLiveBroadcast::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::shared_ptr<GTLYouTubeLiveBroadcastSnippet> GTLYouTubeLiveBroadcast::snippet() {
    return typedObjectProperty<GTLYouTubeLiveBroadcastSnippet>("snippet");
}
void GTLYouTubeLiveBroadcast::setSnippet(const std::shared_ptr<GTLYouTubeLiveBroadcastSnippet>& value) {
    setTypedObjectProperty("snippet", value);
}
std::shared_ptr<GTLYouTubeLiveBroadcastStatus> GTLYouTubeLiveBroadcast::status() {
    return typedObjectProperty<GTLYouTubeLiveBroadcastStatus>("status");
}
void GTLYouTubeLiveBroadcast::setStatus(const std::shared_ptr<GTLYouTubeLiveBroadcastStatus>& value) {
    setTypedObjectProperty("status", value);
}

const GTLClassInfo& GTLYouTubeLiveBroadcastContentDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeLiveBroadcastContentDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeLiveBroadcastContentDetails>(); });
        made.declaredProperties = {"boundStreamId",   "enableClosedCaptions", "enableContentEncryption",
                                   "enableDvr",       "enableEmbed",          "monitorStream",
                                   "recordFromStart", "startWithSlate"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeLiveBroadcastContentDetails::boundStreamId() const {
    return stringProperty("boundStreamId");
}
void GTLYouTubeLiveBroadcastContentDetails::setBoundStreamId(std::optional<std::string> value) {
    setStringProperty("boundStreamId", std::move(value));
}
std::optional<Value> GTLYouTubeLiveBroadcastContentDetails::enableClosedCaptions() const {
    return numberProperty("enableClosedCaptions");
}
void GTLYouTubeLiveBroadcastContentDetails::setEnableClosedCaptions(std::optional<Value> value) {
    setNumberProperty("enableClosedCaptions", std::move(value));
}
std::optional<Value> GTLYouTubeLiveBroadcastContentDetails::enableContentEncryption() const {
    return numberProperty("enableContentEncryption");
}
void GTLYouTubeLiveBroadcastContentDetails::setEnableContentEncryption(std::optional<Value> value) {
    setNumberProperty("enableContentEncryption", std::move(value));
}
std::optional<Value> GTLYouTubeLiveBroadcastContentDetails::enableDvr() const { return numberProperty("enableDvr"); }
void GTLYouTubeLiveBroadcastContentDetails::setEnableDvr(std::optional<Value> value) {
    setNumberProperty("enableDvr", std::move(value));
}
std::optional<Value> GTLYouTubeLiveBroadcastContentDetails::enableEmbed() const {
    return numberProperty("enableEmbed");
}
void GTLYouTubeLiveBroadcastContentDetails::setEnableEmbed(std::optional<Value> value) {
    setNumberProperty("enableEmbed", std::move(value));
}
std::shared_ptr<GTLYouTubeMonitorStreamInfo> GTLYouTubeLiveBroadcastContentDetails::monitorStream() {
    return typedObjectProperty<GTLYouTubeMonitorStreamInfo>("monitorStream");
}
void GTLYouTubeLiveBroadcastContentDetails::setMonitorStream(
    const std::shared_ptr<GTLYouTubeMonitorStreamInfo>& value) {
    setTypedObjectProperty("monitorStream", value);
}
std::optional<Value> GTLYouTubeLiveBroadcastContentDetails::recordFromStart() const {
    return numberProperty("recordFromStart");
}
void GTLYouTubeLiveBroadcastContentDetails::setRecordFromStart(std::optional<Value> value) {
    setNumberProperty("recordFromStart", std::move(value));
}
std::optional<Value> GTLYouTubeLiveBroadcastContentDetails::startWithSlate() const {
    return numberProperty("startWithSlate");
}
void GTLYouTubeLiveBroadcastContentDetails::setStartWithSlate(std::optional<Value> value) {
    setNumberProperty("startWithSlate", std::move(value));
}

const GTLClassInfo& GTLYouTubeLiveBroadcastListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeLiveBroadcastListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeLiveBroadcastListResponse>(); });
        made.declaredProperties = {"ETag",     "eventId",       "items",           "kind",     "nextPageToken",
                                   "pageInfo", "prevPageToken", "tokenPagination", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeLiveBroadcast::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeLiveBroadcastListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeLiveBroadcastListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeLiveBroadcastListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeLiveBroadcastListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeLiveBroadcast>>> GTLYouTubeLiveBroadcastListResponse::items() {
    return typedArrayProperty<GTLYouTubeLiveBroadcast>("items");
}
void GTLYouTubeLiveBroadcastListResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeLiveBroadcast>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeLiveBroadcastListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeLiveBroadcastListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeLiveBroadcastListResponse::nextPageToken() const {
    return stringProperty("nextPageToken");
}
void GTLYouTubeLiveBroadcastListResponse::setNextPageToken(std::optional<std::string> value) {
    setStringProperty("nextPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubePageInfo> GTLYouTubeLiveBroadcastListResponse::pageInfo() {
    return typedObjectProperty<GTLYouTubePageInfo>("pageInfo");
}
void GTLYouTubeLiveBroadcastListResponse::setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value) {
    setTypedObjectProperty("pageInfo", value);
}
std::optional<std::string> GTLYouTubeLiveBroadcastListResponse::prevPageToken() const {
    return stringProperty("prevPageToken");
}
void GTLYouTubeLiveBroadcastListResponse::setPrevPageToken(std::optional<std::string> value) {
    setStringProperty("prevPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubeTokenPagination> GTLYouTubeLiveBroadcastListResponse::tokenPagination() {
    return typedObjectProperty<GTLYouTubeTokenPagination>("tokenPagination");
}
void GTLYouTubeLiveBroadcastListResponse::setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value) {
    setTypedObjectProperty("tokenPagination", value);
}
std::optional<std::string> GTLYouTubeLiveBroadcastListResponse::visitorId() const {
    return stringProperty("visitorId");
}
void GTLYouTubeLiveBroadcastListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubeLiveBroadcastSnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeLiveBroadcastSnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeLiveBroadcastSnippet>(); });
        made.declaredProperties = {"actualEndTime",       "actualStartTime", "channelId",
                                   "descriptionProperty", "publishedAt",     "scheduledEndTime",
                                   "scheduledStartTime",  "thumbnails",      "title"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

GTLDateTimePtr GTLYouTubeLiveBroadcastSnippet::actualEndTime() { return dateTimeProperty("actualEndTime"); }
void GTLYouTubeLiveBroadcastSnippet::setActualEndTime(GTLDateTimePtr value) {
    setDateTimeProperty("actualEndTime", std::move(value));
}
GTLDateTimePtr GTLYouTubeLiveBroadcastSnippet::actualStartTime() { return dateTimeProperty("actualStartTime"); }
void GTLYouTubeLiveBroadcastSnippet::setActualStartTime(GTLDateTimePtr value) {
    setDateTimeProperty("actualStartTime", std::move(value));
}
std::optional<std::string> GTLYouTubeLiveBroadcastSnippet::channelId() const { return stringProperty("channelId"); }
void GTLYouTubeLiveBroadcastSnippet::setChannelId(std::optional<std::string> value) {
    setStringProperty("channelId", std::move(value));
}
std::optional<std::string> GTLYouTubeLiveBroadcastSnippet::descriptionProperty() const {
    return stringProperty("description");
}
void GTLYouTubeLiveBroadcastSnippet::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
GTLDateTimePtr GTLYouTubeLiveBroadcastSnippet::publishedAt() { return dateTimeProperty("publishedAt"); }
void GTLYouTubeLiveBroadcastSnippet::setPublishedAt(GTLDateTimePtr value) {
    setDateTimeProperty("publishedAt", std::move(value));
}
GTLDateTimePtr GTLYouTubeLiveBroadcastSnippet::scheduledEndTime() { return dateTimeProperty("scheduledEndTime"); }
void GTLYouTubeLiveBroadcastSnippet::setScheduledEndTime(GTLDateTimePtr value) {
    setDateTimeProperty("scheduledEndTime", std::move(value));
}
GTLDateTimePtr GTLYouTubeLiveBroadcastSnippet::scheduledStartTime() { return dateTimeProperty("scheduledStartTime"); }
void GTLYouTubeLiveBroadcastSnippet::setScheduledStartTime(GTLDateTimePtr value) {
    setDateTimeProperty("scheduledStartTime", std::move(value));
}
std::shared_ptr<GTLYouTubeThumbnailDetails> GTLYouTubeLiveBroadcastSnippet::thumbnails() {
    return typedObjectProperty<GTLYouTubeThumbnailDetails>("thumbnails");
}
void GTLYouTubeLiveBroadcastSnippet::setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value) {
    setTypedObjectProperty("thumbnails", value);
}
std::optional<std::string> GTLYouTubeLiveBroadcastSnippet::title() const { return stringProperty("title"); }
void GTLYouTubeLiveBroadcastSnippet::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubeLiveBroadcastStatus::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeLiveBroadcastStatus", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeLiveBroadcastStatus>(); });
        made.declaredProperties = {"lifeCycleStatus", "liveBroadcastPriority", "privacyStatus", "recordingStatus"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeLiveBroadcastStatus::lifeCycleStatus() const {
    return stringProperty("lifeCycleStatus");
}
void GTLYouTubeLiveBroadcastStatus::setLifeCycleStatus(std::optional<std::string> value) {
    setStringProperty("lifeCycleStatus", std::move(value));
}
std::optional<std::string> GTLYouTubeLiveBroadcastStatus::liveBroadcastPriority() const {
    return stringProperty("liveBroadcastPriority");
}
void GTLYouTubeLiveBroadcastStatus::setLiveBroadcastPriority(std::optional<std::string> value) {
    setStringProperty("liveBroadcastPriority", std::move(value));
}
std::optional<std::string> GTLYouTubeLiveBroadcastStatus::privacyStatus() const {
    return stringProperty("privacyStatus");
}
void GTLYouTubeLiveBroadcastStatus::setPrivacyStatus(std::optional<std::string> value) {
    setStringProperty("privacyStatus", std::move(value));
}
std::optional<std::string> GTLYouTubeLiveBroadcastStatus::recordingStatus() const {
    return stringProperty("recordingStatus");
}
void GTLYouTubeLiveBroadcastStatus::setRecordingStatus(std::optional<std::string> value) {
    setStringProperty("recordingStatus", std::move(value));
}

const GTLClassInfo& GTLYouTubeLiveStream::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeLiveStream", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeLiveStream>(); });
        made.declaredProperties = {"cdn", "contentDetails", "ETag", "identifier", "kind", "snippet", "status"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeCdnSettings> GTLYouTubeLiveStream::cdn() {
    return typedObjectProperty<GTLYouTubeCdnSettings>("cdn");
}
void GTLYouTubeLiveStream::setCdn(const std::shared_ptr<GTLYouTubeCdnSettings>& value) {
    setTypedObjectProperty("cdn", value);
}
std::shared_ptr<GTLYouTubeLiveStreamContentDetails> GTLYouTubeLiveStream::contentDetails() {
    return typedObjectProperty<GTLYouTubeLiveStreamContentDetails>("contentDetails");
}
void GTLYouTubeLiveStream::setContentDetails(const std::shared_ptr<GTLYouTubeLiveStreamContentDetails>& value) {
    setTypedObjectProperty("contentDetails", value);
}
std::optional<std::string> GTLYouTubeLiveStream::ETag() const { return stringProperty("etag"); }
void GTLYouTubeLiveStream::setETag(std::optional<std::string> value) { setStringProperty("etag", std::move(value)); }
std::optional<std::string> GTLYouTubeLiveStream::identifier() const { return stringProperty("id"); }
void GTLYouTubeLiveStream::setIdentifier(std::optional<std::string> value) {
    setStringProperty("id", std::move(value));
}
std::optional<std::string> GTLYouTubeLiveStream::kind() const { return stringProperty("kind"); }
void GTLYouTubeLiveStream::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::shared_ptr<GTLYouTubeLiveStreamSnippet> GTLYouTubeLiveStream::snippet() {
    return typedObjectProperty<GTLYouTubeLiveStreamSnippet>("snippet");
}
void GTLYouTubeLiveStream::setSnippet(const std::shared_ptr<GTLYouTubeLiveStreamSnippet>& value) {
    setTypedObjectProperty("snippet", value);
}
std::shared_ptr<GTLYouTubeLiveStreamStatus> GTLYouTubeLiveStream::status() {
    return typedObjectProperty<GTLYouTubeLiveStreamStatus>("status");
}
void GTLYouTubeLiveStream::setStatus(const std::shared_ptr<GTLYouTubeLiveStreamStatus>& value) {
    setTypedObjectProperty("status", value);
}

const GTLClassInfo& GTLYouTubeLiveStreamContentDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeLiveStreamContentDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeLiveStreamContentDetails>(); });
        made.declaredProperties = {"closedCaptionsIngestionUrl", "isReusable"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeLiveStreamContentDetails::closedCaptionsIngestionUrl() const {
    return stringProperty("closedCaptionsIngestionUrl");
}
void GTLYouTubeLiveStreamContentDetails::setClosedCaptionsIngestionUrl(std::optional<std::string> value) {
    setStringProperty("closedCaptionsIngestionUrl", std::move(value));
}
std::optional<Value> GTLYouTubeLiveStreamContentDetails::isReusable() const { return numberProperty("isReusable"); }
void GTLYouTubeLiveStreamContentDetails::setIsReusable(std::optional<Value> value) {
    setNumberProperty("isReusable", std::move(value));
}

const GTLClassInfo& GTLYouTubeLiveStreamListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeLiveStreamListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeLiveStreamListResponse>(); });
        made.declaredProperties = {"ETag",     "eventId",       "items",           "kind",     "nextPageToken",
                                   "pageInfo", "prevPageToken", "tokenPagination", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeLiveStream::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeLiveStreamListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeLiveStreamListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeLiveStreamListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeLiveStreamListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeLiveStream>>> GTLYouTubeLiveStreamListResponse::items() {
    return typedArrayProperty<GTLYouTubeLiveStream>("items");
}
void GTLYouTubeLiveStreamListResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeLiveStream>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeLiveStreamListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeLiveStreamListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeLiveStreamListResponse::nextPageToken() const {
    return stringProperty("nextPageToken");
}
void GTLYouTubeLiveStreamListResponse::setNextPageToken(std::optional<std::string> value) {
    setStringProperty("nextPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubePageInfo> GTLYouTubeLiveStreamListResponse::pageInfo() {
    return typedObjectProperty<GTLYouTubePageInfo>("pageInfo");
}
void GTLYouTubeLiveStreamListResponse::setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value) {
    setTypedObjectProperty("pageInfo", value);
}
std::optional<std::string> GTLYouTubeLiveStreamListResponse::prevPageToken() const {
    return stringProperty("prevPageToken");
}
void GTLYouTubeLiveStreamListResponse::setPrevPageToken(std::optional<std::string> value) {
    setStringProperty("prevPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubeTokenPagination> GTLYouTubeLiveStreamListResponse::tokenPagination() {
    return typedObjectProperty<GTLYouTubeTokenPagination>("tokenPagination");
}
void GTLYouTubeLiveStreamListResponse::setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value) {
    setTypedObjectProperty("tokenPagination", value);
}
std::optional<std::string> GTLYouTubeLiveStreamListResponse::visitorId() const { return stringProperty("visitorId"); }
void GTLYouTubeLiveStreamListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubeLiveStreamSnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeLiveStreamSnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeLiveStreamSnippet>(); });
        made.declaredProperties = {"channelId", "descriptionProperty", "publishedAt", "title"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeLiveStreamSnippet::channelId() const { return stringProperty("channelId"); }
void GTLYouTubeLiveStreamSnippet::setChannelId(std::optional<std::string> value) {
    setStringProperty("channelId", std::move(value));
}
std::optional<std::string> GTLYouTubeLiveStreamSnippet::descriptionProperty() const {
    return stringProperty("description");
}
void GTLYouTubeLiveStreamSnippet::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
GTLDateTimePtr GTLYouTubeLiveStreamSnippet::publishedAt() { return dateTimeProperty("publishedAt"); }
void GTLYouTubeLiveStreamSnippet::setPublishedAt(GTLDateTimePtr value) {
    setDateTimeProperty("publishedAt", std::move(value));
}
std::optional<std::string> GTLYouTubeLiveStreamSnippet::title() const { return stringProperty("title"); }
void GTLYouTubeLiveStreamSnippet::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubeLiveStreamStatus::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeLiveStreamStatus", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeLiveStreamStatus>(); });
        made.declaredProperties = {"streamStatus"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeLiveStreamStatus::streamStatus() const { return stringProperty("streamStatus"); }
void GTLYouTubeLiveStreamStatus::setStreamStatus(std::optional<std::string> value) {
    setStringProperty("streamStatus", std::move(value));
}

const GTLClassInfo& GTLYouTubeMonitorStreamInfo::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeMonitorStreamInfo", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeMonitorStreamInfo>(); });
        made.declaredProperties = {"broadcastStreamDelayMs", "embedHtml", "enableMonitorStream"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeMonitorStreamInfo::broadcastStreamDelayMs() const {
    return numberProperty("broadcastStreamDelayMs");
}
void GTLYouTubeMonitorStreamInfo::setBroadcastStreamDelayMs(std::optional<Value> value) {
    setNumberProperty("broadcastStreamDelayMs", std::move(value));
}
std::optional<std::string> GTLYouTubeMonitorStreamInfo::embedHtml() const { return stringProperty("embedHtml"); }
void GTLYouTubeMonitorStreamInfo::setEmbedHtml(std::optional<std::string> value) {
    setStringProperty("embedHtml", std::move(value));
}
std::optional<Value> GTLYouTubeMonitorStreamInfo::enableMonitorStream() const {
    return numberProperty("enableMonitorStream");
}
void GTLYouTubeMonitorStreamInfo::setEnableMonitorStream(std::optional<Value> value) {
    setNumberProperty("enableMonitorStream", std::move(value));
}

}  // namespace google
