#pragma once

// Live broadcasts and the streams that feed them.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLYouTubeBaseObjects.h"

namespace google {

class GTLYouTubeCdnSettings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeCdnSettings)

public:
    GTL_STRING_PROPERTY(format, Format, "format")
    GTL_OBJECT_PROPERTY(GTLYouTubeIngestionInfo, ingestionInfo, IngestionInfo, "ingestionInfo")
    GTL_STRING_PROPERTY(ingestionType, IngestionType, "ingestionType")
};

class GTLYouTubeIngestionInfo : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeIngestionInfo)

public:
    GTL_STRING_PROPERTY(backupIngestionAddress, BackupIngestionAddress, "backupIngestionAddress")
    GTL_STRING_PROPERTY(ingestionAddress, IngestionAddress, "ingestionAddress")
    GTL_STRING_PROPERTY(streamName, StreamName, "streamName")
};

class GTLYouTubeLiveBroadcast : public GTLYouTubeResource {
    GTL_OBJECT_CLASS(GTLYouTubeLiveBroadcast)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeLiveBroadcastContentDetails, contentDetails, ContentDetails, "contentDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeLiveBroadcastSnippet, snippet, Snippet, "snippet")
    GTL_OBJECT_PROPERTY(GTLYouTubeLiveBroadcastStatus, status, Status, "status")
};

class GTLYouTubeLiveBroadcastContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveBroadcastContentDetails)

public:
    GTL_STRING_PROPERTY(boundStreamId, BoundStreamId, "boundStreamId")
    GTL_NUMBER_PROPERTY(enableClosedCaptions, EnableClosedCaptions, "enableClosedCaptions")
    GTL_NUMBER_PROPERTY(enableContentEncryption, EnableContentEncryption, "enableContentEncryption")
    GTL_NUMBER_PROPERTY(enableDvr, EnableDvr, "enableDvr")
    GTL_NUMBER_PROPERTY(enableEmbed, EnableEmbed, "enableEmbed")
    GTL_OBJECT_PROPERTY(GTLYouTubeMonitorStreamInfo, monitorStream, MonitorStream, "monitorStream")
    GTL_NUMBER_PROPERTY(recordFromStart, RecordFromStart, "recordFromStart")
    GTL_NUMBER_PROPERTY(startWithSlate, StartWithSlate, "startWithSlate")
};

class GTLYouTubeLiveBroadcastListResponse : public GTLYouTubeListResponse {
    GTL_OBJECT_CLASS(GTLYouTubeLiveBroadcastListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeLiveBroadcast, items, Items, "items")
};

class GTLYouTubeLiveBroadcastSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveBroadcastSnippet)

public:
    GTL_DATE_TIME_PROPERTY(actualEndTime, ActualEndTime, "actualEndTime")
    GTL_DATE_TIME_PROPERTY(actualStartTime, ActualStartTime, "actualStartTime")
    GTL_STRING_PROPERTY(channelId, ChannelId, "channelId")
    GTL_STRING_PROPERTY(descriptionProperty, DescriptionProperty, "description")
    GTL_DATE_TIME_PROPERTY(publishedAt, PublishedAt, "publishedAt")
    GTL_DATE_TIME_PROPERTY(scheduledEndTime, ScheduledEndTime, "scheduledEndTime")
    GTL_DATE_TIME_PROPERTY(scheduledStartTime, ScheduledStartTime, "scheduledStartTime")
    GTL_OBJECT_PROPERTY(GTLYouTubeThumbnailDetails, thumbnails, Thumbnails, "thumbnails")
    GTL_STRING_PROPERTY(title, Title, "title")
};

class GTLYouTubeLiveBroadcastStatus : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveBroadcastStatus)

public:
    GTL_STRING_PROPERTY(lifeCycleStatus, LifeCycleStatus, "lifeCycleStatus")
    GTL_STRING_PROPERTY(liveBroadcastPriority, LiveBroadcastPriority, "liveBroadcastPriority")
    GTL_STRING_PROPERTY(privacyStatus, PrivacyStatus, "privacyStatus")
    GTL_STRING_PROPERTY(recordingStatus, RecordingStatus, "recordingStatus")
};

class GTLYouTubeLiveStream : public GTLYouTubeResource {
    GTL_OBJECT_CLASS(GTLYouTubeLiveStream)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeCdnSettings, cdn, Cdn, "cdn")
    GTL_OBJECT_PROPERTY(GTLYouTubeLiveStreamContentDetails, contentDetails, ContentDetails, "contentDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeLiveStreamSnippet, snippet, Snippet, "snippet")
    GTL_OBJECT_PROPERTY(GTLYouTubeLiveStreamStatus, status, Status, "status")
};

class GTLYouTubeLiveStreamContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveStreamContentDetails)

public:
    GTL_STRING_PROPERTY(closedCaptionsIngestionUrl, ClosedCaptionsIngestionUrl, "closedCaptionsIngestionUrl")
    GTL_NUMBER_PROPERTY(isReusable, IsReusable, "isReusable")
};

class GTLYouTubeLiveStreamListResponse : public GTLYouTubeListResponse {
    GTL_OBJECT_CLASS(GTLYouTubeLiveStreamListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeLiveStream, items, Items, "items")
};

class GTLYouTubeLiveStreamSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveStreamSnippet)

public:
    GTL_STRING_PROPERTY(channelId, ChannelId, "channelId")
    GTL_STRING_PROPERTY(descriptionProperty, DescriptionProperty, "description")
    GTL_DATE_TIME_PROPERTY(publishedAt, PublishedAt, "publishedAt")
    GTL_STRING_PROPERTY(title, Title, "title")
};

class GTLYouTubeLiveStreamStatus : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveStreamStatus)

public:
    GTL_STRING_PROPERTY(streamStatus, StreamStatus, "streamStatus")
};

class GTLYouTubeMonitorStreamInfo : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeMonitorStreamInfo)

public:
    GTL_NUMBER_PROPERTY(broadcastStreamDelayMs, BroadcastStreamDelayMs, "broadcastStreamDelayMs")
    GTL_STRING_PROPERTY(embedHtml, EmbedHtml, "embedHtml")
    GTL_NUMBER_PROPERTY(enableMonitorStream, EnableMonitorStream, "enableMonitorStream")
};

}  // namespace google
