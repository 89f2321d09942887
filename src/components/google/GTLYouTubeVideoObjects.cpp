#include "components/google/GTLYouTubeVideoObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideo, GTLYouTubeResource,
                         made.declaredProperties = {"ageGating", "contentDetails", "conversionPings", "fileDetails",
                                                    "liveStreamingDetails", "localizations", "monetizationDetails",
                                                    "player", "processingDetails", "projectDetails", "recordingDetails",
                                                    "snippet", "statistics", "status", "suggestions", "topicDetails"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoAgeGating, GTLObject,
                         made.declaredProperties = {"alcoholContent", "restricted", "videoGameRating"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoCategory, GTLYouTubeResource, made.declaredProperties = {"snippet"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoCategoryListResponse, GTLYouTubeListResponse,
                         made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeVideoCategory::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoCategorySnippet, GTLObject,
                         made.declaredProperties = {"assignable", "channelId", "title"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoContentDetails, GTLObject,
                         made.declaredProperties = {"caption", "contentRating", "countryRestriction", "definition",
                                                    "dimension", "duration", "licensedContent", "regionRestriction"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoContentDetailsRegionRestriction, GTLObject,
                         made.declaredProperties = {"allowed", "blocked"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoConversionPing, GTLObject,
                         made.declaredProperties = {"context", "conversionUrl"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoConversionPings, GTLObject, made.declaredProperties = {"pings"};
                         made.arrayPropertyToClassMap = {{"pings", &GTLYouTubeVideoConversionPing::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoFileDetails, GTLObject,
                         made.declaredProperties = {"audioStreams", "bitrateBps", "container", "creationTime",
                                                    "durationMs", "fileName", "fileSize", "fileType",
                                                    "recordingLocation", "videoStreams"};
                         made.arrayPropertyToClassMap = {
                             {"audioStreams", &GTLYouTubeVideoFileDetailsAudioStream::classInfo},
                             {"videoStreams", &GTLYouTubeVideoFileDetailsVideoStream::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoFileDetailsAudioStream, GTLObject,
                         made.declaredProperties = {"bitrateBps", "channelCount", "codec", "vendor"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoFileDetailsVideoStream, GTLObject,
                         made.declaredProperties = {"aspectRatio", "bitrateBps", "codec", "frameRateFps",
                                                    "heightPixels", "rotation", "vendor", "widthPixels"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoGetRatingResponse, GTLYouTubeResponse, made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeVideoRating::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoListResponse, GTLYouTubeListResponse, made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeVideo::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoLiveStreamingDetails, GTLObject,
                         made.declaredProperties = {"actualEndTime", "actualStartTime", "concurrentViewers",
                                                    "scheduledEndTime", "scheduledStartTime"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoLocalization, GTLObject,
                         made.declaredProperties = {"descriptionProperty", "title"};
                         made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoLocalizations, GTLObject,
                         made.classForAdditionalProperties = &GTLYouTubeVideoLocalization::classInfo;)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoMonetizationDetails, GTLObject, made.declaredProperties = {"access"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoPlayer, GTLObject, made.declaredProperties = {"embedHtml"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoProcessingDetails, GTLObject,
                         made.declaredProperties = {"editorSuggestionsAvailability", "fileDetailsAvailability",
                                                    "processingFailureReason", "processingIssuesAvailability",
                                                    "processingProgress", "processingStatus",
                                                    "tagSuggestionsAvailability", "thumbnailsAvailability"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoProcessingDetailsProcessingProgress, GTLObject,
                         made.declaredProperties = {"partsProcessed", "partsTotal", "timeLeftMs"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoProjectDetails, GTLObject, made.declaredProperties = {"tags"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoRating, GTLObject, made.declaredProperties = {"rating", "videoId"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoRecordingDetails, GTLObject,
                         made.declaredProperties = {"location", "locationDescription", "recordingDate"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoSnippet, GTLYouTubeSnippet,
                         made.declaredProperties = {"categoryId", "defaultLanguage", "liveBroadcastContent",
                                                    "localized", "tags"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoStatistics, GTLObject,
                         made.declaredProperties = {"commentCount", "dislikeCount", "favoriteCount", "likeCount",
                                                    "viewCount"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoStatus, GTLObject,
                         made.declaredProperties = {"embeddable", "failureReason", "license", "privacyStatus",
                                                    "publicStatsViewable", "publishAt", "rejectionReason",
                                                    "uploadStatus"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoSuggestions, GTLObject,
                         made.declaredProperties = {"editorSuggestions", "processingErrors", "processingHints",
                                                    "processingWarnings", "tagSuggestions"};
                         made.arrayPropertyToClassMap = {
                             {"tagSuggestions", &GTLYouTubeVideoSuggestionsTagSuggestion::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoSuggestionsTagSuggestion, GTLObject,
                         made.declaredProperties = {"categoryRestricts", "tag"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeVideoTopicDetails, GTLObject,
                         made.declaredProperties = {"relevantTopicIds", "topicIds"};)

}  // namespace google
