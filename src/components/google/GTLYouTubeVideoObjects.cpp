#include "components/google/GTLYouTubeVideoObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

const GTLClassInfo& GTLYouTubeVideo::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideo", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideo>(); });
        made.declaredProperties = {"ageGating",
                                   "contentDetails",
                                   "conversionPings",
                                   "ETag",
                                   "fileDetails",
                                   "identifier",
                                   "kind",
                                   "liveStreamingDetails",
                                   "localizations",
                                   "monetizationDetails",
                                   "player",
                                   "processingDetails",
                                   "projectDetails",
                                   "recordingDetails",
                                   "snippet",
                                   "statistics",
                                   "status",
                                   "suggestions",
                                   "topicDetails"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeVideoAgeGating> GTLYouTubeVideo::ageGating() {
    return typedObjectProperty<GTLYouTubeVideoAgeGating>("ageGating");
}
void GTLYouTubeVideo::setAgeGating(const std::shared_ptr<GTLYouTubeVideoAgeGating>& value) {
    setTypedObjectProperty("ageGating", value);
}
std::shared_ptr<GTLYouTubeVideoContentDetails> GTLYouTubeVideo::contentDetails() {
    return typedObjectProperty<GTLYouTubeVideoContentDetails>("contentDetails");
}
void GTLYouTubeVideo::setContentDetails(const std::shared_ptr<GTLYouTubeVideoContentDetails>& value) {
    setTypedObjectProperty("contentDetails", value);
}
std::shared_ptr<GTLYouTubeVideoConversionPings> GTLYouTubeVideo::conversionPings() {
    return typedObjectProperty<GTLYouTubeVideoConversionPings>("conversionPings");
}
void GTLYouTubeVideo::setConversionPings(const std::shared_ptr<GTLYouTubeVideoConversionPings>& value) {
    setTypedObjectProperty("conversionPings", value);
}
std::optional<std::string> GTLYouTubeVideo::ETag() const { return stringProperty("etag"); }
void GTLYouTubeVideo::setETag(std::optional<std::string> value) { setStringProperty("etag", std::move(value)); }
std::shared_ptr<GTLYouTubeVideoFileDetails> GTLYouTubeVideo::fileDetails() {
    return typedObjectProperty<GTLYouTubeVideoFileDetails>("fileDetails");
}
void GTLYouTubeVideo::setFileDetails(const std::shared_ptr<GTLYouTubeVideoFileDetails>& value) {
    setTypedObjectProperty("fileDetails", value);
}
std::optional<std::string> GTLYouTubeVideo::identifier() const { return stringProperty("id"); }
void GTLYouTubeVideo::setIdentifier(std::optional<std::string> value) { setStringProperty("id", std::move(value)); }
std::optional<std::string> GTLYouTubeVideo::kind() const { return stringProperty("kind"); }
void GTLYouTubeVideo::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::shared_ptr<GTLYouTubeVideoLiveStreamingDetails> GTLYouTubeVideo::liveStreamingDetails() {
    return typedObjectProperty<GTLYouTubeVideoLiveStreamingDetails>("liveStreamingDetails");
}
void GTLYouTubeVideo::setLiveStreamingDetails(const std::shared_ptr<GTLYouTubeVideoLiveStreamingDetails>& value) {
    setTypedObjectProperty("liveStreamingDetails", value);
}
std::shared_ptr<GTLYouTubeVideoLocalizations> GTLYouTubeVideo::localizations() {
    return typedObjectProperty<GTLYouTubeVideoLocalizations>("localizations");
}
void GTLYouTubeVideo::setLocalizations(const std::shared_ptr<GTLYouTubeVideoLocalizations>& value) {
    setTypedObjectProperty("localizations", value);
}
std::shared_ptr<GTLYouTubeVideoMonetizationDetails> GTLYouTubeVideo::monetizationDetails() {
    return typedObjectProperty<GTLYouTubeVideoMonetizationDetails>("monetizationDetails");
}
void GTLYouTubeVideo::setMonetizationDetails(const std::shared_ptr<GTLYouTubeVideoMonetizationDetails>& value) {
    setTypedObjectProperty("monetizationDetails", value);
}
std::shared_ptr<GTLYouTubeVideoPlayer> GTLYouTubeVideo::player() {
    return typedObjectProperty<GTLYouTubeVideoPlayer>("player");
}
void GTLYouTubeVideo::setPlayer(const std::shared_ptr<GTLYouTubeVideoPlayer>& value) {
    setTypedObjectProperty("player", value);
}
std::shared_ptr<GTLYouTubeVideoProcessingDetails> GTLYouTubeVideo::processingDetails() {
    return typedObjectProperty<GTLYouTubeVideoProcessingDetails>("processingDetails");
}
void GTLYouTubeVideo::setProcessingDetails(const std::shared_ptr<GTLYouTubeVideoProcessingDetails>& value) {
    setTypedObjectProperty("processingDetails", value);
}
std::shared_ptr<GTLYouTubeVideoProjectDetails> GTLYouTubeVideo::projectDetails() {
    return typedObjectProperty<GTLYouTubeVideoProjectDetails>("projectDetails");
}
void GTLYouTubeVideo::setProjectDetails(const std::shared_ptr<GTLYouTubeVideoProjectDetails>& value) {
    setTypedObjectProperty("projectDetails", value);
}
std::shared_ptr<GTLYouTubeVideoRecordingDetails> GTLYouTubeVideo::recordingDetails() {
    return typedObjectProperty<GTLYouTubeVideoRecordingDetails>("recordingDetails");
}
void GTLYouTubeVideo::setRecordingDetails(const std::shared_ptr<GTLYouTubeVideoRecordingDetails>& value) {
    setTypedObjectProperty("recordingDetails", value);
}
std::shared_ptr<GTLYouTubeVideoSnippet> GTLYouTubeVideo::snippet() {
    return typedObjectProperty<GTLYouTubeVideoSnippet>("snippet");
}
void GTLYouTubeVideo::setSnippet(const std::shared_ptr<GTLYouTubeVideoSnippet>& value) {
    setTypedObjectProperty("snippet", value);
}
std::shared_ptr<GTLYouTubeVideoStatistics> GTLYouTubeVideo::statistics() {
    return typedObjectProperty<GTLYouTubeVideoStatistics>("statistics");
}
void GTLYouTubeVideo::setStatistics(const std::shared_ptr<GTLYouTubeVideoStatistics>& value) {
    setTypedObjectProperty("statistics", value);
}
std::shared_ptr<GTLYouTubeVideoStatus> GTLYouTubeVideo::status() {
    return typedObjectProperty<GTLYouTubeVideoStatus>("status");
}
void GTLYouTubeVideo::setStatus(const std::shared_ptr<GTLYouTubeVideoStatus>& value) {
    setTypedObjectProperty("status", value);
}
std::shared_ptr<GTLYouTubeVideoSuggestions> GTLYouTubeVideo::suggestions() {
    return typedObjectProperty<GTLYouTubeVideoSuggestions>("suggestions");
}
void GTLYouTubeVideo::setSuggestions(const std::shared_ptr<GTLYouTubeVideoSuggestions>& value) {
    setTypedObjectProperty("suggestions", value);
}
std::shared_ptr<GTLYouTubeVideoTopicDetails> GTLYouTubeVideo::topicDetails() {
    return typedObjectProperty<GTLYouTubeVideoTopicDetails>("topicDetails");
}
void GTLYouTubeVideo::setTopicDetails(const std::shared_ptr<GTLYouTubeVideoTopicDetails>& value) {
    setTypedObjectProperty("topicDetails", value);
}

const GTLClassInfo& GTLYouTubeVideoAgeGating::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoAgeGating", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoAgeGating>(); });
        made.declaredProperties = {"alcoholContent", "restricted", "videoGameRating"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeVideoAgeGating::alcoholContent() const { return numberProperty("alcoholContent"); }
void GTLYouTubeVideoAgeGating::setAlcoholContent(std::optional<Value> value) {
    setNumberProperty("alcoholContent", std::move(value));
}
std::optional<Value> GTLYouTubeVideoAgeGating::restricted() const { return numberProperty("restricted"); }
void GTLYouTubeVideoAgeGating::setRestricted(std::optional<Value> value) {
    setNumberProperty("restricted", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoAgeGating::videoGameRating() const {
    return stringProperty("videoGameRating");
}
void GTLYouTubeVideoAgeGating::setVideoGameRating(std::optional<std::string> value) {
    setStringProperty("videoGameRating", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoCategory::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoCategory", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoCategory>(); });
        made.declaredProperties = {"ETag", "identifier", "kind", "snippet"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}, {"identifier", "id"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeVideoCategory::ETag() const { return stringProperty("etag"); }
void GTLYouTubeVideoCategory::setETag(std::optional<std::string> value) { setStringProperty("etag", std::move(value)); }
std::optional<std::string> GTLYouTubeVideoCategory::identifier() const { return stringProperty("id"); }
void GTLYouTubeVideoCategory::setIdentifier(std::optional<std::string> value) {
    setStringProperty("id", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoCategory::kind() const { return stringProperty("kind"); }
void GTLYouTubeVideoCategory::setKind(std::optional<std::string> value) { setStringProperty("kind", std::move(value)); }
std::shared_ptr<GTLYouTubeVideoCategorySnippet> GTLYouTubeVideoCategory::snippet() {
    return typedObjectProperty<GTLYouTubeVideoCategorySnippet>("snippet");
}
void GTLYouTubeVideoCategory::setSnippet(const std::shared_ptr<GTLYouTubeVideoCategorySnippet>& value) {
    setTypedObjectProperty("snippet", value);
}

const GTLClassInfo& GTLYouTubeVideoCategoryListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoCategoryListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoCategoryListResponse>(); });
        made.declaredProperties = {"ETag",     "eventId",       "items",           "kind",     "nextPageToken",
                                   "pageInfo", "prevPageToken", "tokenPagination", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeVideoCategory::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeVideoCategoryListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeVideoCategoryListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoCategoryListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeVideoCategoryListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoCategory>>> GTLYouTubeVideoCategoryListResponse::items() {
    return typedArrayProperty<GTLYouTubeVideoCategory>("items");
}
void GTLYouTubeVideoCategoryListResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoCategory>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeVideoCategoryListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeVideoCategoryListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoCategoryListResponse::nextPageToken() const {
    return stringProperty("nextPageToken");
}
void GTLYouTubeVideoCategoryListResponse::setNextPageToken(std::optional<std::string> value) {
    setStringProperty("nextPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubePageInfo> GTLYouTubeVideoCategoryListResponse::pageInfo() {
    return typedObjectProperty<GTLYouTubePageInfo>("pageInfo");
}
void GTLYouTubeVideoCategoryListResponse::setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value) {
    setTypedObjectProperty("pageInfo", value);
}
std::optional<std::string> GTLYouTubeVideoCategoryListResponse::prevPageToken() const {
    return stringProperty("prevPageToken");
}
void GTLYouTubeVideoCategoryListResponse::setPrevPageToken(std::optional<std::string> value) {
    setStringProperty("prevPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubeTokenPagination> GTLYouTubeVideoCategoryListResponse::tokenPagination() {
    return typedObjectProperty<GTLYouTubeTokenPagination>("tokenPagination");
}
void GTLYouTubeVideoCategoryListResponse::setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value) {
    setTypedObjectProperty("tokenPagination", value);
}
std::optional<std::string> GTLYouTubeVideoCategoryListResponse::visitorId() const {
    return stringProperty("visitorId");
}
void GTLYouTubeVideoCategoryListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoCategorySnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoCategorySnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoCategorySnippet>(); });
        made.declaredProperties = {"assignable", "channelId", "title"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeVideoCategorySnippet::assignable() const { return numberProperty("assignable"); }
void GTLYouTubeVideoCategorySnippet::setAssignable(std::optional<Value> value) {
    setNumberProperty("assignable", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoCategorySnippet::channelId() const { return stringProperty("channelId"); }
void GTLYouTubeVideoCategorySnippet::setChannelId(std::optional<std::string> value) {
    setStringProperty("channelId", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoCategorySnippet::title() const { return stringProperty("title"); }
void GTLYouTubeVideoCategorySnippet::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoContentDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoContentDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoContentDetails>(); });
        made.declaredProperties = {"caption",   "contentRating", "countryRestriction", "definition",
                                   "dimension", "duration",      "licensedContent",    "regionRestriction"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeVideoContentDetails::caption() const { return stringProperty("caption"); }
void GTLYouTubeVideoContentDetails::setCaption(std::optional<std::string> value) {
    setStringProperty("caption", std::move(value));
}
std::shared_ptr<GTLYouTubeContentRating> GTLYouTubeVideoContentDetails::contentRating() {
    return typedObjectProperty<GTLYouTubeContentRating>("contentRating");
}
void GTLYouTubeVideoContentDetails::setContentRating(const std::shared_ptr<GTLYouTubeContentRating>& value) {
    setTypedObjectProperty("contentRating", value);
}
std::shared_ptr<GTLYouTubeAccessPolicy> GTLYouTubeVideoContentDetails::countryRestriction() {
    return typedObjectProperty<GTLYouTubeAccessPolicy>("countryRestriction");
}
void GTLYouTubeVideoContentDetails::setCountryRestriction(const std::shared_ptr<GTLYouTubeAccessPolicy>& value) {
    setTypedObjectProperty("countryRestriction", value);
}
std::optional<std::string> GTLYouTubeVideoContentDetails::definition() const { return stringProperty("definition"); }
void GTLYouTubeVideoContentDetails::setDefinition(std::optional<std::string> value) {
    setStringProperty("definition", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoContentDetails::dimension() const { return stringProperty("dimension"); }
void GTLYouTubeVideoContentDetails::setDimension(std::optional<std::string> value) {
    setStringProperty("dimension", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoContentDetails::duration() const { return stringProperty("duration"); }
void GTLYouTubeVideoContentDetails::setDuration(std::optional<std::string> value) {
    setStringProperty("duration", std::move(value));
}
std::optional<Value> GTLYouTubeVideoContentDetails::licensedContent() const {
    return numberProperty("licensedContent");
}
void GTLYouTubeVideoContentDetails::setLicensedContent(std::optional<Value> value) {
    setNumberProperty("licensedContent", std::move(value));
}
std::shared_ptr<GTLYouTubeVideoContentDetailsRegionRestriction> GTLYouTubeVideoContentDetails::regionRestriction() {
    return typedObjectProperty<GTLYouTubeVideoContentDetailsRegionRestriction>("regionRestriction");
}
void GTLYouTubeVideoContentDetails::setRegionRestriction(
    const std::shared_ptr<GTLYouTubeVideoContentDetailsRegionRestriction>& value) {
    setTypedObjectProperty("regionRestriction", value);
}

const GTLClassInfo& GTLYouTubeVideoContentDetailsRegionRestriction::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoContentDetailsRegionRestriction", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoContentDetailsRegionRestriction>(); });
        made.declaredProperties = {"allowed", "blocked"};
        return made;
    }();
    return info;
}

std::optional<std::vector<std::string>> GTLYouTubeVideoContentDetailsRegionRestriction::allowed() const {
    return stringArrayProperty("allowed");
}
void GTLYouTubeVideoContentDetailsRegionRestriction::setAllowed(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("allowed", std::move(value));
}
std::optional<std::vector<std::string>> GTLYouTubeVideoContentDetailsRegionRestriction::blocked() const {
    return stringArrayProperty("blocked");
}
void GTLYouTubeVideoContentDetailsRegionRestriction::setBlocked(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("blocked", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoConversionPing::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoConversionPing", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoConversionPing>(); });
        made.declaredProperties = {"context", "conversionUrl"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeVideoConversionPing::context() const { return stringProperty("context"); }
void GTLYouTubeVideoConversionPing::setContext(std::optional<std::string> value) {
    setStringProperty("context", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoConversionPing::conversionUrl() const {
    return stringProperty("conversionUrl");
}
void GTLYouTubeVideoConversionPing::setConversionUrl(std::optional<std::string> value) {
    setStringProperty("conversionUrl", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoConversionPings::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoConversionPings", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoConversionPings>(); });
        made.declaredProperties = {"pings"};
        made.arrayPropertyToClassMap = {{"pings", &GTLYouTubeVideoConversionPing::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoConversionPing>>> GTLYouTubeVideoConversionPings::pings() {
    return typedArrayProperty<GTLYouTubeVideoConversionPing>("pings");
}
void GTLYouTubeVideoConversionPings::setPings(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoConversionPing>>>& value) {
    setTypedArrayProperty("pings", value);
}

const GTLClassInfo& GTLYouTubeVideoFileDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoFileDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoFileDetails>(); });
        made.declaredProperties = {"audioStreams", "bitrateBps", "container", "creationTime",      "durationMs",
                                   "fileName",     "fileSize",   "fileType",  "recordingLocation", "videoStreams"};
        made.arrayPropertyToClassMap = {{"audioStreams", &GTLYouTubeVideoFileDetailsAudioStream::classInfo},
                                        {"videoStreams", &GTLYouTubeVideoFileDetailsVideoStream::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoFileDetailsAudioStream>>>
GTLYouTubeVideoFileDetails::audioStreams() {
    return typedArrayProperty<GTLYouTubeVideoFileDetailsAudioStream>("audioStreams");
}
void GTLYouTubeVideoFileDetails::setAudioStreams(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoFileDetailsAudioStream>>>& value) {
    setTypedArrayProperty("audioStreams", value);
}
std::optional<Value> GTLYouTubeVideoFileDetails::bitrateBps() const { return numberProperty("bitrateBps"); }
void GTLYouTubeVideoFileDetails::setBitrateBps(std::optional<Value> value) {
    setNumberProperty("bitrateBps", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoFileDetails::container() const { return stringProperty("container"); }
void GTLYouTubeVideoFileDetails::setContainer(std::optional<std::string> value) {
    setStringProperty("container", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoFileDetails::creationTime() const { return stringProperty("creationTime"); }
void GTLYouTubeVideoFileDetails::setCreationTime(std::optional<std::string> value) {
    setStringProperty("creationTime", std::move(value));
}
std::optional<Value> GTLYouTubeVideoFileDetails::durationMs() const { return numberProperty("durationMs"); }
void GTLYouTubeVideoFileDetails::setDurationMs(std::optional<Value> value) {
    setNumberProperty("durationMs", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoFileDetails::fileName() const { return stringProperty("fileName"); }
void GTLYouTubeVideoFileDetails::setFileName(std::optional<std::string> value) {
    setStringProperty("fileName", std::move(value));
}
std::optional<Value> GTLYouTubeVideoFileDetails::fileSize() const { return numberProperty("fileSize"); }
void GTLYouTubeVideoFileDetails::setFileSize(std::optional<Value> value) {
    setNumberProperty("fileSize", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoFileDetails::fileType() const { return stringProperty("fileType"); }
void GTLYouTubeVideoFileDetails::setFileType(std::optional<std::string> value) {
    setStringProperty("fileType", std::move(value));
}
std::shared_ptr<GTLYouTubeGeoPoint> GTLYouTubeVideoFileDetails::recordingLocation() {
    return typedObjectProperty<GTLYouTubeGeoPoint>("recordingLocation");
}
void GTLYouTubeVideoFileDetails::setRecordingLocation(const std::shared_ptr<GTLYouTubeGeoPoint>& value) {
    setTypedObjectProperty("recordingLocation", value);
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoFileDetailsVideoStream>>>
GTLYouTubeVideoFileDetails::videoStreams() {
    return typedArrayProperty<GTLYouTubeVideoFileDetailsVideoStream>("videoStreams");
}
void GTLYouTubeVideoFileDetails::setVideoStreams(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoFileDetailsVideoStream>>>& value) {
    setTypedArrayProperty("videoStreams", value);
}

const GTLClassInfo& GTLYouTubeVideoFileDetailsAudioStream::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoFileDetailsAudioStream", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoFileDetailsAudioStream>(); });
        made.declaredProperties = {"bitrateBps", "channelCount", "codec", "vendor"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeVideoFileDetailsAudioStream::bitrateBps() const { return numberProperty("bitrateBps"); }
void GTLYouTubeVideoFileDetailsAudioStream::setBitrateBps(std::optional<Value> value) {
    setNumberProperty("bitrateBps", std::move(value));
}
std::optional<Value> GTLYouTubeVideoFileDetailsAudioStream::channelCount() const {
    return numberProperty("channelCount");
}
void GTLYouTubeVideoFileDetailsAudioStream::setChannelCount(std::optional<Value> value) {
    setNumberProperty("channelCount", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoFileDetailsAudioStream::codec() const { return stringProperty("codec"); }
void GTLYouTubeVideoFileDetailsAudioStream::setCodec(std::optional<std::string> value) {
    setStringProperty("codec", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoFileDetailsAudioStream::vendor() const { return stringProperty("vendor"); }
void GTLYouTubeVideoFileDetailsAudioStream::setVendor(std::optional<std::string> value) {
    setStringProperty("vendor", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoFileDetailsVideoStream::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoFileDetailsVideoStream", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoFileDetailsVideoStream>(); });
        made.declaredProperties = {"aspectRatio",  "bitrateBps", "codec",  "frameRateFps",
                                   "heightPixels", "rotation",   "vendor", "widthPixels"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeVideoFileDetailsVideoStream::aspectRatio() const {
    return numberProperty("aspectRatio");
}
void GTLYouTubeVideoFileDetailsVideoStream::setAspectRatio(std::optional<Value> value) {
    setNumberProperty("aspectRatio", std::move(value));
}
std::optional<Value> GTLYouTubeVideoFileDetailsVideoStream::bitrateBps() const { return numberProperty("bitrateBps"); }
void GTLYouTubeVideoFileDetailsVideoStream::setBitrateBps(std::optional<Value> value) {
    setNumberProperty("bitrateBps", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoFileDetailsVideoStream::codec() const { return stringProperty("codec"); }
void GTLYouTubeVideoFileDetailsVideoStream::setCodec(std::optional<std::string> value) {
    setStringProperty("codec", std::move(value));
}
std::optional<Value> GTLYouTubeVideoFileDetailsVideoStream::frameRateFps() const {
    return numberProperty("frameRateFps");
}
void GTLYouTubeVideoFileDetailsVideoStream::setFrameRateFps(std::optional<Value> value) {
    setNumberProperty("frameRateFps", std::move(value));
}
std::optional<Value> GTLYouTubeVideoFileDetailsVideoStream::heightPixels() const {
    return numberProperty("heightPixels");
}
void GTLYouTubeVideoFileDetailsVideoStream::setHeightPixels(std::optional<Value> value) {
    setNumberProperty("heightPixels", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoFileDetailsVideoStream::rotation() const {
    return stringProperty("rotation");
}
void GTLYouTubeVideoFileDetailsVideoStream::setRotation(std::optional<std::string> value) {
    setStringProperty("rotation", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoFileDetailsVideoStream::vendor() const { return stringProperty("vendor"); }
void GTLYouTubeVideoFileDetailsVideoStream::setVendor(std::optional<std::string> value) {
    setStringProperty("vendor", std::move(value));
}
std::optional<Value> GTLYouTubeVideoFileDetailsVideoStream::widthPixels() const {
    return numberProperty("widthPixels");
}
void GTLYouTubeVideoFileDetailsVideoStream::setWidthPixels(std::optional<Value> value) {
    setNumberProperty("widthPixels", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoGetRatingResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoGetRatingResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoGetRatingResponse>(); });
        made.declaredProperties = {"ETag", "eventId", "items", "kind", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeVideoRating::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeVideoGetRatingResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeVideoGetRatingResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoGetRatingResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeVideoGetRatingResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoRating>>> GTLYouTubeVideoGetRatingResponse::items() {
    return typedArrayProperty<GTLYouTubeVideoRating>("items");
}
void GTLYouTubeVideoGetRatingResponse::setItems(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoRating>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeVideoGetRatingResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeVideoGetRatingResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoGetRatingResponse::visitorId() const { return stringProperty("visitorId"); }
void GTLYouTubeVideoGetRatingResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoListResponse::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoListResponse", &GTLCollectionObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoListResponse>(); });
        made.declaredProperties = {"ETag",     "eventId",       "items",           "kind",     "nextPageToken",
                                   "pageInfo", "prevPageToken", "tokenPagination", "visitorId"};
        made.propertyToJSONKeyMap = {{"ETag", "etag"}};
        made.arrayPropertyToClassMap = {{"items", &GTLYouTubeVideo::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeVideoListResponse::ETag() const { return stringProperty("etag"); }
void GTLYouTubeVideoListResponse::setETag(std::optional<std::string> value) {
    setStringProperty("etag", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoListResponse::eventId() const { return stringProperty("eventId"); }
void GTLYouTubeVideoListResponse::setEventId(std::optional<std::string> value) {
    setStringProperty("eventId", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeVideo>>> GTLYouTubeVideoListResponse::items() {
    return typedArrayProperty<GTLYouTubeVideo>("items");
}
void GTLYouTubeVideoListResponse::setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideo>>>& value) {
    setTypedArrayProperty("items", value);
}
std::optional<std::string> GTLYouTubeVideoListResponse::kind() const { return stringProperty("kind"); }
void GTLYouTubeVideoListResponse::setKind(std::optional<std::string> value) {
    setStringProperty("kind", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoListResponse::nextPageToken() const {
    return stringProperty("nextPageToken");
}
void GTLYouTubeVideoListResponse::setNextPageToken(std::optional<std::string> value) {
    setStringProperty("nextPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubePageInfo> GTLYouTubeVideoListResponse::pageInfo() {
    return typedObjectProperty<GTLYouTubePageInfo>("pageInfo");
}
void GTLYouTubeVideoListResponse::setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value) {
    setTypedObjectProperty("pageInfo", value);
}
std::optional<std::string> GTLYouTubeVideoListResponse::prevPageToken() const {
    return stringProperty("prevPageToken");
}
void GTLYouTubeVideoListResponse::setPrevPageToken(std::optional<std::string> value) {
    setStringProperty("prevPageToken", std::move(value));
}
std::shared_ptr<GTLYouTubeTokenPagination> GTLYouTubeVideoListResponse::tokenPagination() {
    return typedObjectProperty<GTLYouTubeTokenPagination>("tokenPagination");
}
void GTLYouTubeVideoListResponse::setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value) {
    setTypedObjectProperty("tokenPagination", value);
}
std::optional<std::string> GTLYouTubeVideoListResponse::visitorId() const { return stringProperty("visitorId"); }
void GTLYouTubeVideoListResponse::setVisitorId(std::optional<std::string> value) {
    setStringProperty("visitorId", std::move(value));
}

}  // namespace google
