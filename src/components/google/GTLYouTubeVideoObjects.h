#pragma once

// Videos and their categories: the upload's video with its snippet and status, and the category list.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLYouTubeForward.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace google {

class GTLYouTubeVideo : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideo)

public:
    std::shared_ptr<GTLYouTubeVideoAgeGating> ageGating();
    void setAgeGating(const std::shared_ptr<GTLYouTubeVideoAgeGating>& value);
    std::shared_ptr<GTLYouTubeVideoContentDetails> contentDetails();
    void setContentDetails(const std::shared_ptr<GTLYouTubeVideoContentDetails>& value);
    std::shared_ptr<GTLYouTubeVideoConversionPings> conversionPings();
    void setConversionPings(const std::shared_ptr<GTLYouTubeVideoConversionPings>& value);
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeVideoFileDetails> fileDetails();
    void setFileDetails(const std::shared_ptr<GTLYouTubeVideoFileDetails>& value);
    std::optional<std::string> identifier() const;
    void setIdentifier(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeVideoLiveStreamingDetails> liveStreamingDetails();
    void setLiveStreamingDetails(const std::shared_ptr<GTLYouTubeVideoLiveStreamingDetails>& value);
    std::shared_ptr<GTLYouTubeVideoLocalizations> localizations();
    void setLocalizations(const std::shared_ptr<GTLYouTubeVideoLocalizations>& value);
    std::shared_ptr<GTLYouTubeVideoMonetizationDetails> monetizationDetails();
    void setMonetizationDetails(const std::shared_ptr<GTLYouTubeVideoMonetizationDetails>& value);
    std::shared_ptr<GTLYouTubeVideoPlayer> player();
    void setPlayer(const std::shared_ptr<GTLYouTubeVideoPlayer>& value);
    std::shared_ptr<GTLYouTubeVideoProcessingDetails> processingDetails();
    void setProcessingDetails(const std::shared_ptr<GTLYouTubeVideoProcessingDetails>& value);
    std::shared_ptr<GTLYouTubeVideoProjectDetails> projectDetails();
    void setProjectDetails(const std::shared_ptr<GTLYouTubeVideoProjectDetails>& value);
    std::shared_ptr<GTLYouTubeVideoRecordingDetails> recordingDetails();
    void setRecordingDetails(const std::shared_ptr<GTLYouTubeVideoRecordingDetails>& value);
    std::shared_ptr<GTLYouTubeVideoSnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubeVideoSnippet>& value);
    std::shared_ptr<GTLYouTubeVideoStatistics> statistics();
    void setStatistics(const std::shared_ptr<GTLYouTubeVideoStatistics>& value);
    std::shared_ptr<GTLYouTubeVideoStatus> status();
    void setStatus(const std::shared_ptr<GTLYouTubeVideoStatus>& value);
    std::shared_ptr<GTLYouTubeVideoSuggestions> suggestions();
    void setSuggestions(const std::shared_ptr<GTLYouTubeVideoSuggestions>& value);
    std::shared_ptr<GTLYouTubeVideoTopicDetails> topicDetails();
    void setTopicDetails(const std::shared_ptr<GTLYouTubeVideoTopicDetails>& value);
};

class GTLYouTubeVideoAgeGating : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoAgeGating)

public:
    std::optional<Value> alcoholContent() const;
    void setAlcoholContent(std::optional<Value> value);
    std::optional<Value> restricted() const;
    void setRestricted(std::optional<Value> value);
    std::optional<std::string> videoGameRating() const;
    void setVideoGameRating(std::optional<std::string> value);
};

class GTLYouTubeVideoCategory : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoCategory)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> identifier() const;
    void setIdentifier(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeVideoCategorySnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubeVideoCategorySnippet>& value);
};

class GTLYouTubeVideoCategoryListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoCategoryListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoCategory>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoCategory>>>& value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::optional<std::string> nextPageToken() const;
    void setNextPageToken(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubePageInfo> pageInfo();
    void setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value);
    std::optional<std::string> prevPageToken() const;
    void setPrevPageToken(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeTokenPagination> tokenPagination();
    void setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value);
    std::optional<std::string> visitorId() const;
    void setVisitorId(std::optional<std::string> value);
};

class GTLYouTubeVideoCategorySnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoCategorySnippet)

public:
    std::optional<Value> assignable() const;
    void setAssignable(std::optional<Value> value);
    std::optional<std::string> channelId() const;
    void setChannelId(std::optional<std::string> value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubeVideoContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoContentDetails)

public:
    std::optional<std::string> caption() const;
    void setCaption(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeContentRating> contentRating();
    void setContentRating(const std::shared_ptr<GTLYouTubeContentRating>& value);
    std::shared_ptr<GTLYouTubeAccessPolicy> countryRestriction();
    void setCountryRestriction(const std::shared_ptr<GTLYouTubeAccessPolicy>& value);
    std::optional<std::string> definition() const;
    void setDefinition(std::optional<std::string> value);
    std::optional<std::string> dimension() const;
    void setDimension(std::optional<std::string> value);
    std::optional<std::string> duration() const;
    void setDuration(std::optional<std::string> value);
    std::optional<Value> licensedContent() const;
    void setLicensedContent(std::optional<Value> value);
    std::shared_ptr<GTLYouTubeVideoContentDetailsRegionRestriction> regionRestriction();
    void setRegionRestriction(const std::shared_ptr<GTLYouTubeVideoContentDetailsRegionRestriction>& value);
};

class GTLYouTubeVideoContentDetailsRegionRestriction : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoContentDetailsRegionRestriction)

public:
    std::optional<std::vector<std::string>> allowed() const;
    void setAllowed(std::optional<std::vector<std::string>> value);
    std::optional<std::vector<std::string>> blocked() const;
    void setBlocked(std::optional<std::vector<std::string>> value);
};

class GTLYouTubeVideoConversionPing : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoConversionPing)

public:
    std::optional<std::string> context() const;
    void setContext(std::optional<std::string> value);
    std::optional<std::string> conversionUrl() const;
    void setConversionUrl(std::optional<std::string> value);
};

class GTLYouTubeVideoConversionPings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoConversionPings)

public:
    std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoConversionPing>>> pings();
    void setPings(const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoConversionPing>>>& value);
};

class GTLYouTubeVideoFileDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoFileDetails)

public:
    std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoFileDetailsAudioStream>>> audioStreams();
    void setAudioStreams(
        const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoFileDetailsAudioStream>>>& value);
    std::optional<Value> bitrateBps() const;
    void setBitrateBps(std::optional<Value> value);
    std::optional<std::string> container() const;
    void setContainer(std::optional<std::string> value);
    std::optional<std::string> creationTime() const;
    void setCreationTime(std::optional<std::string> value);
    std::optional<Value> durationMs() const;
    void setDurationMs(std::optional<Value> value);
    std::optional<std::string> fileName() const;
    void setFileName(std::optional<std::string> value);
    std::optional<Value> fileSize() const;
    void setFileSize(std::optional<Value> value);
    std::optional<std::string> fileType() const;
    void setFileType(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeGeoPoint> recordingLocation();
    void setRecordingLocation(const std::shared_ptr<GTLYouTubeGeoPoint>& value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoFileDetailsVideoStream>>> videoStreams();
    void setVideoStreams(
        const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoFileDetailsVideoStream>>>& value);
};

class GTLYouTubeVideoFileDetailsAudioStream : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoFileDetailsAudioStream)

public:
    std::optional<Value> bitrateBps() const;
    void setBitrateBps(std::optional<Value> value);
    std::optional<Value> channelCount() const;
    void setChannelCount(std::optional<Value> value);
    std::optional<std::string> codec() const;
    void setCodec(std::optional<std::string> value);
    std::optional<std::string> vendor() const;
    void setVendor(std::optional<std::string> value);
};

class GTLYouTubeVideoFileDetailsVideoStream : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoFileDetailsVideoStream)

public:
    std::optional<Value> aspectRatio() const;
    void setAspectRatio(std::optional<Value> value);
    std::optional<Value> bitrateBps() const;
    void setBitrateBps(std::optional<Value> value);
    std::optional<std::string> codec() const;
    void setCodec(std::optional<std::string> value);
    std::optional<Value> frameRateFps() const;
    void setFrameRateFps(std::optional<Value> value);
    std::optional<Value> heightPixels() const;
    void setHeightPixels(std::optional<Value> value);
    std::optional<std::string> rotation() const;
    void setRotation(std::optional<std::string> value);
    std::optional<std::string> vendor() const;
    void setVendor(std::optional<std::string> value);
    std::optional<Value> widthPixels() const;
    void setWidthPixels(std::optional<Value> value);
};

class GTLYouTubeVideoGetRatingResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoGetRatingResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoRating>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoRating>>>& value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::optional<std::string> visitorId() const;
    void setVisitorId(std::optional<std::string> value);
};

class GTLYouTubeVideoListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeVideo>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideo>>>& value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::optional<std::string> nextPageToken() const;
    void setNextPageToken(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubePageInfo> pageInfo();
    void setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value);
    std::optional<std::string> prevPageToken() const;
    void setPrevPageToken(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeTokenPagination> tokenPagination();
    void setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value);
    std::optional<std::string> visitorId() const;
    void setVisitorId(std::optional<std::string> value);
};

class GTLYouTubeVideoLiveStreamingDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoLiveStreamingDetails)

public:
    GTLDateTimePtr actualEndTime();
    void setActualEndTime(GTLDateTimePtr value);
    GTLDateTimePtr actualStartTime();
    void setActualStartTime(GTLDateTimePtr value);
    std::optional<Value> concurrentViewers() const;
    void setConcurrentViewers(std::optional<Value> value);
    GTLDateTimePtr scheduledEndTime();
    void setScheduledEndTime(GTLDateTimePtr value);
    GTLDateTimePtr scheduledStartTime();
    void setScheduledStartTime(GTLDateTimePtr value);
};

class GTLYouTubeVideoLocalization : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoLocalization)

public:
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubeVideoLocalizations : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoLocalizations)
};

class GTLYouTubeVideoMonetizationDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoMonetizationDetails)

public:
    std::shared_ptr<GTLYouTubeAccessPolicy> access();
    void setAccess(const std::shared_ptr<GTLYouTubeAccessPolicy>& value);
};

class GTLYouTubeVideoPlayer : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoPlayer)

public:
    std::optional<std::string> embedHtml() const;
    void setEmbedHtml(std::optional<std::string> value);
};

class GTLYouTubeVideoProcessingDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoProcessingDetails)

public:
    std::optional<std::string> editorSuggestionsAvailability() const;
    void setEditorSuggestionsAvailability(std::optional<std::string> value);
    std::optional<std::string> fileDetailsAvailability() const;
    void setFileDetailsAvailability(std::optional<std::string> value);
    std::optional<std::string> processingFailureReason() const;
    void setProcessingFailureReason(std::optional<std::string> value);
    std::optional<std::string> processingIssuesAvailability() const;
    void setProcessingIssuesAvailability(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeVideoProcessingDetailsProcessingProgress> processingProgress();
    void setProcessingProgress(const std::shared_ptr<GTLYouTubeVideoProcessingDetailsProcessingProgress>& value);
    std::optional<std::string> processingStatus() const;
    void setProcessingStatus(std::optional<std::string> value);
    std::optional<std::string> tagSuggestionsAvailability() const;
    void setTagSuggestionsAvailability(std::optional<std::string> value);
    std::optional<std::string> thumbnailsAvailability() const;
    void setThumbnailsAvailability(std::optional<std::string> value);
};

class GTLYouTubeVideoProcessingDetailsProcessingProgress : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoProcessingDetailsProcessingProgress)

public:
    std::optional<Value> partsProcessed() const;
    void setPartsProcessed(std::optional<Value> value);
    std::optional<Value> partsTotal() const;
    void setPartsTotal(std::optional<Value> value);
    std::optional<Value> timeLeftMs() const;
    void setTimeLeftMs(std::optional<Value> value);
};

class GTLYouTubeVideoProjectDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoProjectDetails)

public:
    std::optional<std::vector<std::string>> tags() const;
    void setTags(std::optional<std::vector<std::string>> value);
};

class GTLYouTubeVideoRating : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoRating)

public:
    std::optional<std::string> rating() const;
    void setRating(std::optional<std::string> value);
    std::optional<std::string> videoId() const;
    void setVideoId(std::optional<std::string> value);
};

class GTLYouTubeVideoRecordingDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoRecordingDetails)

public:
    std::shared_ptr<GTLYouTubeGeoPoint> location();
    void setLocation(const std::shared_ptr<GTLYouTubeGeoPoint>& value);
    std::optional<std::string> locationDescription() const;
    void setLocationDescription(std::optional<std::string> value);
    GTLDateTimePtr recordingDate();
    void setRecordingDate(GTLDateTimePtr value);
};

class GTLYouTubeVideoSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoSnippet)

public:
    std::optional<std::string> categoryId() const;
    void setCategoryId(std::optional<std::string> value);
    std::optional<std::string> channelId() const;
    void setChannelId(std::optional<std::string> value);
    std::optional<std::string> channelTitle() const;
    void setChannelTitle(std::optional<std::string> value);
    std::optional<std::string> defaultLanguage() const;
    void setDefaultLanguage(std::optional<std::string> value);
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    std::optional<std::string> liveBroadcastContent() const;
    void setLiveBroadcastContent(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeVideoLocalization> localized();
    void setLocalized(const std::shared_ptr<GTLYouTubeVideoLocalization>& value);
    GTLDateTimePtr publishedAt();
    void setPublishedAt(GTLDateTimePtr value);
    std::optional<std::vector<std::string>> tags() const;
    void setTags(std::optional<std::vector<std::string>> value);
    std::shared_ptr<GTLYouTubeThumbnailDetails> thumbnails();
    void setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubeVideoStatistics : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoStatistics)

public:
    std::optional<Value> commentCount() const;
    void setCommentCount(std::optional<Value> value);
    std::optional<Value> dislikeCount() const;
    void setDislikeCount(std::optional<Value> value);
    std::optional<Value> favoriteCount() const;
    void setFavoriteCount(std::optional<Value> value);
    std::optional<Value> likeCount() const;
    void setLikeCount(std::optional<Value> value);
    std::optional<Value> viewCount() const;
    void setViewCount(std::optional<Value> value);
};

class GTLYouTubeVideoStatus : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoStatus)

public:
    std::optional<Value> embeddable() const;
    void setEmbeddable(std::optional<Value> value);
    std::optional<std::string> failureReason() const;
    void setFailureReason(std::optional<std::string> value);
    std::optional<std::string> license() const;
    void setLicense(std::optional<std::string> value);
    std::optional<std::string> privacyStatus() const;
    void setPrivacyStatus(std::optional<std::string> value);
    std::optional<Value> publicStatsViewable() const;
    void setPublicStatsViewable(std::optional<Value> value);
    GTLDateTimePtr publishAt();
    void setPublishAt(GTLDateTimePtr value);
    std::optional<std::string> rejectionReason() const;
    void setRejectionReason(std::optional<std::string> value);
    std::optional<std::string> uploadStatus() const;
    void setUploadStatus(std::optional<std::string> value);
};

class GTLYouTubeVideoSuggestions : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoSuggestions)

public:
    std::optional<std::vector<std::string>> editorSuggestions() const;
    void setEditorSuggestions(std::optional<std::vector<std::string>> value);
    std::optional<std::vector<std::string>> processingErrors() const;
    void setProcessingErrors(std::optional<std::vector<std::string>> value);
    std::optional<std::vector<std::string>> processingHints() const;
    void setProcessingHints(std::optional<std::vector<std::string>> value);
    std::optional<std::vector<std::string>> processingWarnings() const;
    void setProcessingWarnings(std::optional<std::vector<std::string>> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoSuggestionsTagSuggestion>>> tagSuggestions();
    void setTagSuggestions(
        const std::optional<std::vector<std::shared_ptr<GTLYouTubeVideoSuggestionsTagSuggestion>>>& value);
};

class GTLYouTubeVideoSuggestionsTagSuggestion : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoSuggestionsTagSuggestion)

public:
    std::optional<std::vector<std::string>> categoryRestricts() const;
    void setCategoryRestricts(std::optional<std::vector<std::string>> value);
    std::optional<std::string> tag() const;
    void setTag(std::optional<std::string> value);
};

class GTLYouTubeVideoTopicDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoTopicDetails)

public:
    std::optional<std::vector<std::string>> relevantTopicIds() const;
    void setRelevantTopicIds(std::optional<std::vector<std::string>> value);
    std::optional<std::vector<std::string>> topicIds() const;
    void setTopicIds(std::optional<std::vector<std::string>> value);
};

}  // namespace google
