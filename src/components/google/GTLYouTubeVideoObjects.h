#pragma once

// Videos and their categories: the upload's video with its snippet and status, and the category list.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLYouTubeBaseObjects.h"

namespace google {

class GTLYouTubeVideo : public GTLYouTubeResource {
    GTL_OBJECT_CLASS(GTLYouTubeVideo)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoAgeGating, ageGating, AgeGating, "ageGating")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoContentDetails, contentDetails, ContentDetails, "contentDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoConversionPings, conversionPings, ConversionPings, "conversionPings")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoFileDetails, fileDetails, FileDetails, "fileDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoLiveStreamingDetails, liveStreamingDetails, LiveStreamingDetails,
                        "liveStreamingDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoLocalizations, localizations, Localizations, "localizations")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoMonetizationDetails, monetizationDetails, MonetizationDetails,
                        "monetizationDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoPlayer, player, Player, "player")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoProcessingDetails, processingDetails, ProcessingDetails, "processingDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoProjectDetails, projectDetails, ProjectDetails, "projectDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoRecordingDetails, recordingDetails, RecordingDetails, "recordingDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoSnippet, snippet, Snippet, "snippet")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoStatistics, statistics, Statistics, "statistics")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoStatus, status, Status, "status")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoSuggestions, suggestions, Suggestions, "suggestions")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoTopicDetails, topicDetails, TopicDetails, "topicDetails")
};

class GTLYouTubeVideoAgeGating : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoAgeGating)

public:
    GTL_NUMBER_PROPERTY(alcoholContent, AlcoholContent, "alcoholContent")
    GTL_NUMBER_PROPERTY(restricted, Restricted, "restricted")
    GTL_STRING_PROPERTY(videoGameRating, VideoGameRating, "videoGameRating")
};

class GTLYouTubeVideoCategory : public GTLYouTubeResource {
    GTL_OBJECT_CLASS(GTLYouTubeVideoCategory)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoCategorySnippet, snippet, Snippet, "snippet")
};

class GTLYouTubeVideoCategoryListResponse : public GTLYouTubeListResponse {
    GTL_OBJECT_CLASS(GTLYouTubeVideoCategoryListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeVideoCategory, items, Items, "items")
};

class GTLYouTubeVideoCategorySnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoCategorySnippet)

public:
    GTL_NUMBER_PROPERTY(assignable, Assignable, "assignable")
    GTL_STRING_PROPERTY(channelId, ChannelId, "channelId")
    GTL_STRING_PROPERTY(title, Title, "title")
};

class GTLYouTubeVideoContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoContentDetails)

public:
    GTL_STRING_PROPERTY(caption, Caption, "caption")
    GTL_OBJECT_PROPERTY(GTLYouTubeContentRating, contentRating, ContentRating, "contentRating")
    GTL_OBJECT_PROPERTY(GTLYouTubeAccessPolicy, countryRestriction, CountryRestriction, "countryRestriction")
    GTL_STRING_PROPERTY(definition, Definition, "definition")
    GTL_STRING_PROPERTY(dimension, Dimension, "dimension")
    GTL_STRING_PROPERTY(duration, Duration, "duration")
    GTL_NUMBER_PROPERTY(licensedContent, LicensedContent, "licensedContent")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoContentDetailsRegionRestriction, regionRestriction, RegionRestriction,
                        "regionRestriction")
};

class GTLYouTubeVideoContentDetailsRegionRestriction : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoContentDetailsRegionRestriction)

public:
    GTL_STRING_ARRAY_PROPERTY(allowed, Allowed, "allowed")
    GTL_STRING_ARRAY_PROPERTY(blocked, Blocked, "blocked")
};

class GTLYouTubeVideoConversionPing : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoConversionPing)

public:
    GTL_STRING_PROPERTY(context, Context, "context")
    GTL_STRING_PROPERTY(conversionUrl, ConversionUrl, "conversionUrl")
};

class GTLYouTubeVideoConversionPings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoConversionPings)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeVideoConversionPing, pings, Pings, "pings")
};

class GTLYouTubeVideoFileDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoFileDetails)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeVideoFileDetailsAudioStream, audioStreams, AudioStreams, "audioStreams")
    GTL_NUMBER_PROPERTY(bitrateBps, BitrateBps, "bitrateBps")
    GTL_STRING_PROPERTY(container, Container, "container")
    GTL_STRING_PROPERTY(creationTime, CreationTime, "creationTime")
    GTL_NUMBER_PROPERTY(durationMs, DurationMs, "durationMs")
    GTL_STRING_PROPERTY(fileName, FileName, "fileName")
    GTL_NUMBER_PROPERTY(fileSize, FileSize, "fileSize")
    GTL_STRING_PROPERTY(fileType, FileType, "fileType")
    GTL_OBJECT_PROPERTY(GTLYouTubeGeoPoint, recordingLocation, RecordingLocation, "recordingLocation")
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeVideoFileDetailsVideoStream, videoStreams, VideoStreams, "videoStreams")
};

class GTLYouTubeVideoFileDetailsAudioStream : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoFileDetailsAudioStream)

public:
    GTL_NUMBER_PROPERTY(bitrateBps, BitrateBps, "bitrateBps")
    GTL_NUMBER_PROPERTY(channelCount, ChannelCount, "channelCount")
    GTL_STRING_PROPERTY(codec, Codec, "codec")
    GTL_STRING_PROPERTY(vendor, Vendor, "vendor")
};

class GTLYouTubeVideoFileDetailsVideoStream : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoFileDetailsVideoStream)

public:
    GTL_NUMBER_PROPERTY(aspectRatio, AspectRatio, "aspectRatio")
    GTL_NUMBER_PROPERTY(bitrateBps, BitrateBps, "bitrateBps")
    GTL_STRING_PROPERTY(codec, Codec, "codec")
    GTL_NUMBER_PROPERTY(frameRateFps, FrameRateFps, "frameRateFps")
    GTL_NUMBER_PROPERTY(heightPixels, HeightPixels, "heightPixels")
    GTL_STRING_PROPERTY(rotation, Rotation, "rotation")
    GTL_STRING_PROPERTY(vendor, Vendor, "vendor")
    GTL_NUMBER_PROPERTY(widthPixels, WidthPixels, "widthPixels")
};

class GTLYouTubeVideoGetRatingResponse : public GTLYouTubeResponse {
    GTL_OBJECT_CLASS(GTLYouTubeVideoGetRatingResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeVideoRating, items, Items, "items")
};

class GTLYouTubeVideoListResponse : public GTLYouTubeListResponse {
    GTL_OBJECT_CLASS(GTLYouTubeVideoListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeVideo, items, Items, "items")
};

class GTLYouTubeVideoLiveStreamingDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoLiveStreamingDetails)

public:
    GTL_DATE_TIME_PROPERTY(actualEndTime, ActualEndTime, "actualEndTime")
    GTL_DATE_TIME_PROPERTY(actualStartTime, ActualStartTime, "actualStartTime")
    GTL_NUMBER_PROPERTY(concurrentViewers, ConcurrentViewers, "concurrentViewers")
    GTL_DATE_TIME_PROPERTY(scheduledEndTime, ScheduledEndTime, "scheduledEndTime")
    GTL_DATE_TIME_PROPERTY(scheduledStartTime, ScheduledStartTime, "scheduledStartTime")
};

class GTLYouTubeVideoLocalization : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoLocalization)

public:
    GTL_STRING_PROPERTY(descriptionProperty, DescriptionProperty, "description")
    GTL_STRING_PROPERTY(title, Title, "title")
};

class GTLYouTubeVideoLocalizations : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoLocalizations)
};

class GTLYouTubeVideoMonetizationDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoMonetizationDetails)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeAccessPolicy, access, Access, "access")
};

class GTLYouTubeVideoPlayer : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoPlayer)

public:
    GTL_STRING_PROPERTY(embedHtml, EmbedHtml, "embedHtml")
};

class GTLYouTubeVideoProcessingDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoProcessingDetails)

public:
    GTL_STRING_PROPERTY(editorSuggestionsAvailability, EditorSuggestionsAvailability, "editorSuggestionsAvailability")
    GTL_STRING_PROPERTY(fileDetailsAvailability, FileDetailsAvailability, "fileDetailsAvailability")
    GTL_STRING_PROPERTY(processingFailureReason, ProcessingFailureReason, "processingFailureReason")
    GTL_STRING_PROPERTY(processingIssuesAvailability, ProcessingIssuesAvailability, "processingIssuesAvailability")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoProcessingDetailsProcessingProgress, processingProgress, ProcessingProgress,
                        "processingProgress")
    GTL_STRING_PROPERTY(processingStatus, ProcessingStatus, "processingStatus")
    GTL_STRING_PROPERTY(tagSuggestionsAvailability, TagSuggestionsAvailability, "tagSuggestionsAvailability")
    GTL_STRING_PROPERTY(thumbnailsAvailability, ThumbnailsAvailability, "thumbnailsAvailability")
};

class GTLYouTubeVideoProcessingDetailsProcessingProgress : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoProcessingDetailsProcessingProgress)

public:
    GTL_NUMBER_PROPERTY(partsProcessed, PartsProcessed, "partsProcessed")
    GTL_NUMBER_PROPERTY(partsTotal, PartsTotal, "partsTotal")
    GTL_NUMBER_PROPERTY(timeLeftMs, TimeLeftMs, "timeLeftMs")
};

class GTLYouTubeVideoProjectDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoProjectDetails)

public:
    GTL_STRING_ARRAY_PROPERTY(tags, Tags, "tags")
};

class GTLYouTubeVideoRating : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoRating)

public:
    GTL_STRING_PROPERTY(rating, Rating, "rating")
    GTL_STRING_PROPERTY(videoId, VideoId, "videoId")
};

class GTLYouTubeVideoRecordingDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoRecordingDetails)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeGeoPoint, location, Location, "location")
    GTL_STRING_PROPERTY(locationDescription, LocationDescription, "locationDescription")
    GTL_DATE_TIME_PROPERTY(recordingDate, RecordingDate, "recordingDate")
};

class GTLYouTubeVideoSnippet : public GTLYouTubeSnippet {
    GTL_OBJECT_CLASS(GTLYouTubeVideoSnippet)

public:
    GTL_STRING_PROPERTY(categoryId, CategoryId, "categoryId")
    GTL_STRING_PROPERTY(defaultLanguage, DefaultLanguage, "defaultLanguage")
    GTL_STRING_PROPERTY(liveBroadcastContent, LiveBroadcastContent, "liveBroadcastContent")
    GTL_OBJECT_PROPERTY(GTLYouTubeVideoLocalization, localized, Localized, "localized")
    GTL_STRING_ARRAY_PROPERTY(tags, Tags, "tags")
};

class GTLYouTubeVideoStatistics : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoStatistics)

public:
    GTL_NUMBER_PROPERTY(commentCount, CommentCount, "commentCount")
    GTL_NUMBER_PROPERTY(dislikeCount, DislikeCount, "dislikeCount")
    GTL_NUMBER_PROPERTY(favoriteCount, FavoriteCount, "favoriteCount")
    GTL_NUMBER_PROPERTY(likeCount, LikeCount, "likeCount")
    GTL_NUMBER_PROPERTY(viewCount, ViewCount, "viewCount")
};

class GTLYouTubeVideoStatus : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoStatus)

public:
    GTL_NUMBER_PROPERTY(embeddable, Embeddable, "embeddable")
    GTL_STRING_PROPERTY(failureReason, FailureReason, "failureReason")
    GTL_STRING_PROPERTY(license, License, "license")
    GTL_STRING_PROPERTY(privacyStatus, PrivacyStatus, "privacyStatus")
    GTL_NUMBER_PROPERTY(publicStatsViewable, PublicStatsViewable, "publicStatsViewable")
    GTL_DATE_TIME_PROPERTY(publishAt, PublishAt, "publishAt")
    GTL_STRING_PROPERTY(rejectionReason, RejectionReason, "rejectionReason")
    GTL_STRING_PROPERTY(uploadStatus, UploadStatus, "uploadStatus")
};

class GTLYouTubeVideoSuggestions : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoSuggestions)

public:
    GTL_STRING_ARRAY_PROPERTY(editorSuggestions, EditorSuggestions, "editorSuggestions")
    GTL_STRING_ARRAY_PROPERTY(processingErrors, ProcessingErrors, "processingErrors")
    GTL_STRING_ARRAY_PROPERTY(processingHints, ProcessingHints, "processingHints")
    GTL_STRING_ARRAY_PROPERTY(processingWarnings, ProcessingWarnings, "processingWarnings")
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeVideoSuggestionsTagSuggestion, tagSuggestions, TagSuggestions, "tagSuggestions")
};

class GTLYouTubeVideoSuggestionsTagSuggestion : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoSuggestionsTagSuggestion)

public:
    GTL_STRING_ARRAY_PROPERTY(categoryRestricts, CategoryRestricts, "categoryRestricts")
    GTL_STRING_PROPERTY(tag, Tag, "tag")
};

class GTLYouTubeVideoTopicDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeVideoTopicDetails)

public:
    GTL_STRING_ARRAY_PROPERTY(relevantTopicIds, RelevantTopicIds, "relevantTopicIds")
    GTL_STRING_ARRAY_PROPERTY(topicIds, TopicIds, "topicIds")
};

}  // namespace google
