// The parts of a video resource from its live-streaming details to its topic
// details; the resource itself, its lists and categories are in
// GTLYouTubeVideoObjects.cpp.
#include "components/google/GTLYouTubeObjects.h"
#include "components/google/GTLYouTubeVideoObjects.h"

namespace google {

const GTLClassInfo& GTLYouTubeVideoLiveStreamingDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoLiveStreamingDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoLiveStreamingDetails>(); });
        made.declaredProperties = {"actualEndTime", "actualStartTime", "concurrentViewers", "scheduledEndTime",
                                   "scheduledStartTime"};
        return made;
    }();
    return info;
}

GTLDateTimePtr GTLYouTubeVideoLiveStreamingDetails::actualEndTime() { return dateTimeProperty("actualEndTime"); }
void GTLYouTubeVideoLiveStreamingDetails::setActualEndTime(GTLDateTimePtr value) {
    setDateTimeProperty("actualEndTime", std::move(value));
}
GTLDateTimePtr GTLYouTubeVideoLiveStreamingDetails::actualStartTime() { return dateTimeProperty("actualStartTime"); }
void GTLYouTubeVideoLiveStreamingDetails::setActualStartTime(GTLDateTimePtr value) {
    setDateTimeProperty("actualStartTime", std::move(value));
}
std::optional<Value> GTLYouTubeVideoLiveStreamingDetails::concurrentViewers() const {
    return numberProperty("concurrentViewers");
}
void GTLYouTubeVideoLiveStreamingDetails::setConcurrentViewers(std::optional<Value> value) {
    setNumberProperty("concurrentViewers", std::move(value));
}
GTLDateTimePtr GTLYouTubeVideoLiveStreamingDetails::scheduledEndTime() { return dateTimeProperty("scheduledEndTime"); }
void GTLYouTubeVideoLiveStreamingDetails::setScheduledEndTime(GTLDateTimePtr value) {
    setDateTimeProperty("scheduledEndTime", std::move(value));
}
GTLDateTimePtr GTLYouTubeVideoLiveStreamingDetails::scheduledStartTime() {
    return dateTimeProperty("scheduledStartTime");
}
void GTLYouTubeVideoLiveStreamingDetails::setScheduledStartTime(GTLDateTimePtr value) {
    setDateTimeProperty("scheduledStartTime", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoLocalization::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoLocalization", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoLocalization>(); });
        made.declaredProperties = {"descriptionProperty", "title"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeVideoLocalization::descriptionProperty() const {
    return stringProperty("description");
}
void GTLYouTubeVideoLocalization::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoLocalization::title() const { return stringProperty("title"); }
void GTLYouTubeVideoLocalization::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoLocalizations::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoLocalizations", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoLocalizations>(); });
        made.classForAdditionalProperties = &GTLYouTubeVideoLocalization::classInfo;
        return made;
    }();
    return info;
}

const GTLClassInfo& GTLYouTubeVideoMonetizationDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoMonetizationDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoMonetizationDetails>(); });
        made.declaredProperties = {"access"};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeAccessPolicy> GTLYouTubeVideoMonetizationDetails::access() {
    return typedObjectProperty<GTLYouTubeAccessPolicy>("access");
}
void GTLYouTubeVideoMonetizationDetails::setAccess(const std::shared_ptr<GTLYouTubeAccessPolicy>& value) {
    setTypedObjectProperty("access", value);
}

const GTLClassInfo& GTLYouTubeVideoPlayer::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoPlayer", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoPlayer>(); });
        made.declaredProperties = {"embedHtml"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeVideoPlayer::embedHtml() const { return stringProperty("embedHtml"); }
void GTLYouTubeVideoPlayer::setEmbedHtml(std::optional<std::string> value) {
    setStringProperty("embedHtml", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoProcessingDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoProcessingDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoProcessingDetails>(); });
        made.declaredProperties = {
            "editorSuggestionsAvailability", "fileDetailsAvailability", "processingFailureReason",
            "processingIssuesAvailability",  "processingProgress",      "processingStatus",
            "tagSuggestionsAvailability",    "thumbnailsAvailability"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeVideoProcessingDetails::editorSuggestionsAvailability() const {
    return stringProperty("editorSuggestionsAvailability");
}
void GTLYouTubeVideoProcessingDetails::setEditorSuggestionsAvailability(std::optional<std::string> value) {
    setStringProperty("editorSuggestionsAvailability", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoProcessingDetails::fileDetailsAvailability() const {
    return stringProperty("fileDetailsAvailability");
}
void GTLYouTubeVideoProcessingDetails::setFileDetailsAvailability(std::optional<std::string> value) {
    setStringProperty("fileDetailsAvailability", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoProcessingDetails::processingFailureReason() const {
    return stringProperty("processingFailureReason");
}
void GTLYouTubeVideoProcessingDetails::setProcessingFailureReason(std::optional<std::string> value) {
    setStringProperty("processingFailureReason", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoProcessingDetails::processingIssuesAvailability() const {
    return stringProperty("processingIssuesAvailability");
}
void GTLYouTubeVideoProcessingDetails::setProcessingIssuesAvailability(std::optional<std::string> value) {
    setStringProperty("processingIssuesAvailability", std::move(value));
}
std::shared_ptr<GTLYouTubeVideoProcessingDetailsProcessingProgress>
GTLYouTubeVideoProcessingDetails::processingProgress() {
    return typedObjectProperty<GTLYouTubeVideoProcessingDetailsProcessingProgress>("processingProgress");
}
void GTLYouTubeVideoProcessingDetails::setProcessingProgress(
    const std::shared_ptr<GTLYouTubeVideoProcessingDetailsProcessingProgress>& value) {
    setTypedObjectProperty("processingProgress", value);
}
std::optional<std::string> GTLYouTubeVideoProcessingDetails::processingStatus() const {
    return stringProperty("processingStatus");
}
void GTLYouTubeVideoProcessingDetails::setProcessingStatus(std::optional<std::string> value) {
    setStringProperty("processingStatus", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoProcessingDetails::tagSuggestionsAvailability() const {
    return stringProperty("tagSuggestionsAvailability");
}
void GTLYouTubeVideoProcessingDetails::setTagSuggestionsAvailability(std::optional<std::string> value) {
    setStringProperty("tagSuggestionsAvailability", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoProcessingDetails::thumbnailsAvailability() const {
    return stringProperty("thumbnailsAvailability");
}
void GTLYouTubeVideoProcessingDetails::setThumbnailsAvailability(std::optional<std::string> value) {
    setStringProperty("thumbnailsAvailability", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoProcessingDetailsProcessingProgress::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoProcessingDetailsProcessingProgress", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoProcessingDetailsProcessingProgress>(); });
        made.declaredProperties = {"partsProcessed", "partsTotal", "timeLeftMs"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeVideoProcessingDetailsProcessingProgress::partsProcessed() const {
    return numberProperty("partsProcessed");
}
void GTLYouTubeVideoProcessingDetailsProcessingProgress::setPartsProcessed(std::optional<Value> value) {
    setNumberProperty("partsProcessed", std::move(value));
}
std::optional<Value> GTLYouTubeVideoProcessingDetailsProcessingProgress::partsTotal() const {
    return numberProperty("partsTotal");
}
void GTLYouTubeVideoProcessingDetailsProcessingProgress::setPartsTotal(std::optional<Value> value) {
    setNumberProperty("partsTotal", std::move(value));
}
std::optional<Value> GTLYouTubeVideoProcessingDetailsProcessingProgress::timeLeftMs() const {
    return numberProperty("timeLeftMs");
}
void GTLYouTubeVideoProcessingDetailsProcessingProgress::setTimeLeftMs(std::optional<Value> value) {
    setNumberProperty("timeLeftMs", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoProjectDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoProjectDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoProjectDetails>(); });
        made.declaredProperties = {"tags"};
        return made;
    }();
    return info;
}

std::optional<std::vector<std::string>> GTLYouTubeVideoProjectDetails::tags() const {
    return stringArrayProperty("tags");
}
void GTLYouTubeVideoProjectDetails::setTags(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("tags", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoRating::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoRating", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoRating>(); });
        made.declaredProperties = {"rating", "videoId"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeVideoRating::rating() const { return stringProperty("rating"); }
void GTLYouTubeVideoRating::setRating(std::optional<std::string> value) {
    setStringProperty("rating", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoRating::videoId() const { return stringProperty("videoId"); }
void GTLYouTubeVideoRating::setVideoId(std::optional<std::string> value) {
    setStringProperty("videoId", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoRecordingDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoRecordingDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoRecordingDetails>(); });
        made.declaredProperties = {"location", "locationDescription", "recordingDate"};
        return made;
    }();
    return info;
}

std::shared_ptr<GTLYouTubeGeoPoint> GTLYouTubeVideoRecordingDetails::location() {
    return typedObjectProperty<GTLYouTubeGeoPoint>("location");
}
void GTLYouTubeVideoRecordingDetails::setLocation(const std::shared_ptr<GTLYouTubeGeoPoint>& value) {
    setTypedObjectProperty("location", value);
}
std::optional<std::string> GTLYouTubeVideoRecordingDetails::locationDescription() const {
    return stringProperty("locationDescription");
}
void GTLYouTubeVideoRecordingDetails::setLocationDescription(std::optional<std::string> value) {
    setStringProperty("locationDescription", std::move(value));
}
GTLDateTimePtr GTLYouTubeVideoRecordingDetails::recordingDate() { return dateTimeProperty("recordingDate"); }
void GTLYouTubeVideoRecordingDetails::setRecordingDate(GTLDateTimePtr value) {
    setDateTimeProperty("recordingDate", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoSnippet::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoSnippet", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoSnippet>(); });
        made.declaredProperties = {"categoryId",
                                   "channelId",
                                   "channelTitle",
                                   "defaultLanguage",
                                   "descriptionProperty",
                                   "liveBroadcastContent",
                                   "localized",
                                   "publishedAt",
                                   "tags",
                                   "thumbnails",
                                   "title"};
        made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeVideoSnippet::categoryId() const { return stringProperty("categoryId"); }
void GTLYouTubeVideoSnippet::setCategoryId(std::optional<std::string> value) {
    setStringProperty("categoryId", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoSnippet::channelId() const { return stringProperty("channelId"); }
void GTLYouTubeVideoSnippet::setChannelId(std::optional<std::string> value) {
    setStringProperty("channelId", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoSnippet::channelTitle() const { return stringProperty("channelTitle"); }
void GTLYouTubeVideoSnippet::setChannelTitle(std::optional<std::string> value) {
    setStringProperty("channelTitle", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoSnippet::defaultLanguage() const { return stringProperty("defaultLanguage"); }
void GTLYouTubeVideoSnippet::setDefaultLanguage(std::optional<std::string> value) {
    setStringProperty("defaultLanguage", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoSnippet::descriptionProperty() const { return stringProperty("description"); }
void GTLYouTubeVideoSnippet::setDescriptionProperty(std::optional<std::string> value) {
    setStringProperty("description", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoSnippet::liveBroadcastContent() const {
    return stringProperty("liveBroadcastContent");
}
void GTLYouTubeVideoSnippet::setLiveBroadcastContent(std::optional<std::string> value) {
    setStringProperty("liveBroadcastContent", std::move(value));
}
std::shared_ptr<GTLYouTubeVideoLocalization> GTLYouTubeVideoSnippet::localized() {
    return typedObjectProperty<GTLYouTubeVideoLocalization>("localized");
}
void GTLYouTubeVideoSnippet::setLocalized(const std::shared_ptr<GTLYouTubeVideoLocalization>& value) {
    setTypedObjectProperty("localized", value);
}
GTLDateTimePtr GTLYouTubeVideoSnippet::publishedAt() { return dateTimeProperty("publishedAt"); }
void GTLYouTubeVideoSnippet::setPublishedAt(GTLDateTimePtr value) {
    setDateTimeProperty("publishedAt", std::move(value));
}
std::optional<std::vector<std::string>> GTLYouTubeVideoSnippet::tags() const { return stringArrayProperty("tags"); }
void GTLYouTubeVideoSnippet::setTags(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("tags", std::move(value));
}
std::shared_ptr<GTLYouTubeThumbnailDetails> GTLYouTubeVideoSnippet::thumbnails() {
    return typedObjectProperty<GTLYouTubeThumbnailDetails>("thumbnails");
}
void GTLYouTubeVideoSnippet::setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value) {
    setTypedObjectProperty("thumbnails", value);
}
std::optional<std::string> GTLYouTubeVideoSnippet::title() const { return stringProperty("title"); }
void GTLYouTubeVideoSnippet::setTitle(std::optional<std::string> value) {
    setStringProperty("title", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoStatistics::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoStatistics", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoStatistics>(); });
        made.declaredProperties = {"commentCount", "dislikeCount", "favoriteCount", "likeCount", "viewCount"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeVideoStatistics::commentCount() const { return numberProperty("commentCount"); }
void GTLYouTubeVideoStatistics::setCommentCount(std::optional<Value> value) {
    setNumberProperty("commentCount", std::move(value));
}
std::optional<Value> GTLYouTubeVideoStatistics::dislikeCount() const { return numberProperty("dislikeCount"); }
void GTLYouTubeVideoStatistics::setDislikeCount(std::optional<Value> value) {
    setNumberProperty("dislikeCount", std::move(value));
}
std::optional<Value> GTLYouTubeVideoStatistics::favoriteCount() const { return numberProperty("favoriteCount"); }
void GTLYouTubeVideoStatistics::setFavoriteCount(std::optional<Value> value) {
    setNumberProperty("favoriteCount", std::move(value));
}
std::optional<Value> GTLYouTubeVideoStatistics::likeCount() const { return numberProperty("likeCount"); }
void GTLYouTubeVideoStatistics::setLikeCount(std::optional<Value> value) {
    setNumberProperty("likeCount", std::move(value));
}
std::optional<Value> GTLYouTubeVideoStatistics::viewCount() const { return numberProperty("viewCount"); }
void GTLYouTubeVideoStatistics::setViewCount(std::optional<Value> value) {
    setNumberProperty("viewCount", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoStatus::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoStatus", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoStatus>(); });
        made.declaredProperties = {"embeddable",          "failureReason", "license",         "privacyStatus",
                                   "publicStatsViewable", "publishAt",     "rejectionReason", "uploadStatus"};
        return made;
    }();
    return info;
}

std::optional<Value> GTLYouTubeVideoStatus::embeddable() const { return numberProperty("embeddable"); }
void GTLYouTubeVideoStatus::setEmbeddable(std::optional<Value> value) {
    setNumberProperty("embeddable", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoStatus::failureReason() const { return stringProperty("failureReason"); }
void GTLYouTubeVideoStatus::setFailureReason(std::optional<std::string> value) {
    setStringProperty("failureReason", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoStatus::license() const { return stringProperty("license"); }
void GTLYouTubeVideoStatus::setLicense(std::optional<std::string> value) {
    setStringProperty("license", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoStatus::privacyStatus() const { return stringProperty("privacyStatus"); }
void GTLYouTubeVideoStatus::setPrivacyStatus(std::optional<std::string> value) {
    setStringProperty("privacyStatus", std::move(value));
}
std::optional<Value> GTLYouTubeVideoStatus::publicStatsViewable() const {
    return numberProperty("publicStatsViewable");
}
void GTLYouTubeVideoStatus::setPublicStatsViewable(std::optional<Value> value) {
    setNumberProperty("publicStatsViewable", std::move(value));
}
GTLDateTimePtr GTLYouTubeVideoStatus::publishAt() { return dateTimeProperty("publishAt"); }
void GTLYouTubeVideoStatus::setPublishAt(GTLDateTimePtr value) { setDateTimeProperty("publishAt", std::move(value)); }
std::optional<std::string> GTLYouTubeVideoStatus::rejectionReason() const { return stringProperty("rejectionReason"); }
void GTLYouTubeVideoStatus::setRejectionReason(std::optional<std::string> value) {
    setStringProperty("rejectionReason", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoStatus::uploadStatus() const { return stringProperty("uploadStatus"); }
void GTLYouTubeVideoStatus::setUploadStatus(std::optional<std::string> value) {
    setStringProperty("uploadStatus", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoSuggestions::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoSuggestions", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoSuggestions>(); });
        made.declaredProperties = {"editorSuggestions", "processingErrors", "processingHints", "processingWarnings",
                                   "tagSuggestions"};
        made.arrayPropertyToClassMap = {{"tagSuggestions", &GTLYouTubeVideoSuggestionsTagSuggestion::classInfo}};
        return made;
    }();
    return info;
}

std::optional<std::vector<std::string>> GTLYouTubeVideoSuggestions::editorSuggestions() const {
    return stringArrayProperty("editorSuggestions");
}
void GTLYouTubeVideoSuggestions::setEditorSuggestions(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("editorSuggestions", std::move(value));
}
std::optional<std::vector<std::string>> GTLYouTubeVideoSuggestions::processingErrors() const {
    return stringArrayProperty("processingErrors");
}
void GTLYouTubeVideoSuggestions::setProcessingErrors(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("processingErrors", std::move(value));
}
std::optional<std::vector<std::string>> GTLYouTubeVideoSuggestions::processingHints() const {
    return stringArrayProperty("processingHints");
}
void GTLYouTubeVideoSuggestions::setProcessingHints(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("processingHints", std::move(value));
}
std::optional<std::vector<std::string>> GTLYouTubeVideoSuggestions::processingWarnings() const {
    return stringArrayProperty("processingWarnings");
}
void GTLYouTubeVideoSuggestions::setProcessingWarnings(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("processingWarnings", std::move(value));
}
std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoSuggestionsTagSuggestion>>>
GTLYouTubeVideoSuggestions::tagSuggestions() {
    return typedArrayProperty<GTLYouTubeVideoSuggestionsTagSuggestion>("tagSuggestions");
}
void GTLYouTubeVideoSuggestions::setTagSuggestions(
    const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoSuggestionsTagSuggestion>>>& value) {
    setTypedArrayProperty("tagSuggestions", value);
}

const GTLClassInfo& GTLYouTubeVideoSuggestionsTagSuggestion::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoSuggestionsTagSuggestion", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoSuggestionsTagSuggestion>(); });
        made.declaredProperties = {"categoryRestricts", "tag"};
        return made;
    }();
    return info;
}

std::optional<std::vector<std::string>> GTLYouTubeVideoSuggestionsTagSuggestion::categoryRestricts() const {
    return stringArrayProperty("categoryRestricts");
}
void GTLYouTubeVideoSuggestionsTagSuggestion::setCategoryRestricts(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("categoryRestricts", std::move(value));
}
std::optional<std::string> GTLYouTubeVideoSuggestionsTagSuggestion::tag() const { return stringProperty("tag"); }
void GTLYouTubeVideoSuggestionsTagSuggestion::setTag(std::optional<std::string> value) {
    setStringProperty("tag", std::move(value));
}

const GTLClassInfo& GTLYouTubeVideoTopicDetails::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeVideoTopicDetails", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeVideoTopicDetails>(); });
        made.declaredProperties = {"relevantTopicIds", "topicIds"};
        return made;
    }();
    return info;
}

std::optional<std::vector<std::string>> GTLYouTubeVideoTopicDetails::relevantTopicIds() const {
    return stringArrayProperty("relevantTopicIds");
}
void GTLYouTubeVideoTopicDetails::setRelevantTopicIds(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("relevantTopicIds", std::move(value));
}
std::optional<std::vector<std::string>> GTLYouTubeVideoTopicDetails::topicIds() const {
    return stringArrayProperty("topicIds");
}
void GTLYouTubeVideoTopicDetails::setTopicIds(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("topicIds", std::move(value));
}

}  // namespace google
