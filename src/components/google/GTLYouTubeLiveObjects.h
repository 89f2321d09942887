#pragma once

// Live broadcasts and the streams that feed them.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLYouTubeForward.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace google {

class GTLYouTubeCdnSettings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeCdnSettings)

public:
    std::optional<std::string> format() const;
    void setFormat(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeIngestionInfo> ingestionInfo();
    void setIngestionInfo(const std::shared_ptr<GTLYouTubeIngestionInfo>& value);
    std::optional<std::string> ingestionType() const;
    void setIngestionType(std::optional<std::string> value);
};

class GTLYouTubeIngestionInfo : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeIngestionInfo)

public:
    std::optional<std::string> backupIngestionAddress() const;
    void setBackupIngestionAddress(std::optional<std::string> value);
    std::optional<std::string> ingestionAddress() const;
    void setIngestionAddress(std::optional<std::string> value);
    std::optional<std::string> streamName() const;
    void setStreamName(std::optional<std::string> value);
};

class GTLYouTubeLiveBroadcast : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveBroadcast)

public:
    std::shared_ptr<GTLYouTubeLiveBroadcastContentDetails> contentDetails();
    void setContentDetails(const std::shared_ptr<GTLYouTubeLiveBroadcastContentDetails>& value);
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> identifier() const;
    void setIdentifier(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeLiveBroadcastSnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubeLiveBroadcastSnippet>& value);
    std::shared_ptr<GTLYouTubeLiveBroadcastStatus> status();
    void setStatus(const std::shared_ptr<GTLYouTubeLiveBroadcastStatus>& value);
};

class GTLYouTubeLiveBroadcastContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveBroadcastContentDetails)

public:
    std::optional<std::string> boundStreamId() const;
    void setBoundStreamId(std::optional<std::string> value);
    std::optional<Value> enableClosedCaptions() const;
    void setEnableClosedCaptions(std::optional<Value> value);
    std::optional<Value> enableContentEncryption() const;
    void setEnableContentEncryption(std::optional<Value> value);
    std::optional<Value> enableDvr() const;
    void setEnableDvr(std::optional<Value> value);
    std::optional<Value> enableEmbed() const;
    void setEnableEmbed(std::optional<Value> value);
    std::shared_ptr<GTLYouTubeMonitorStreamInfo> monitorStream();
    void setMonitorStream(const std::shared_ptr<GTLYouTubeMonitorStreamInfo>& value);
    std::optional<Value> recordFromStart() const;
    void setRecordFromStart(std::optional<Value> value);
    std::optional<Value> startWithSlate() const;
    void setStartWithSlate(std::optional<Value> value);
};

class GTLYouTubeLiveBroadcastListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveBroadcastListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeLiveBroadcast>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeLiveBroadcast>>>& value);
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

class GTLYouTubeLiveBroadcastSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveBroadcastSnippet)

public:
    GTLDateTimePtr actualEndTime();
    void setActualEndTime(GTLDateTimePtr value);
    GTLDateTimePtr actualStartTime();
    void setActualStartTime(GTLDateTimePtr value);
    std::optional<std::string> channelId() const;
    void setChannelId(std::optional<std::string> value);
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    GTLDateTimePtr publishedAt();
    void setPublishedAt(GTLDateTimePtr value);
    GTLDateTimePtr scheduledEndTime();
    void setScheduledEndTime(GTLDateTimePtr value);
    GTLDateTimePtr scheduledStartTime();
    void setScheduledStartTime(GTLDateTimePtr value);
    std::shared_ptr<GTLYouTubeThumbnailDetails> thumbnails();
    void setThumbnails(const std::shared_ptr<GTLYouTubeThumbnailDetails>& value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubeLiveBroadcastStatus : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveBroadcastStatus)

public:
    std::optional<std::string> lifeCycleStatus() const;
    void setLifeCycleStatus(std::optional<std::string> value);
    std::optional<std::string> liveBroadcastPriority() const;
    void setLiveBroadcastPriority(std::optional<std::string> value);
    std::optional<std::string> privacyStatus() const;
    void setPrivacyStatus(std::optional<std::string> value);
    std::optional<std::string> recordingStatus() const;
    void setRecordingStatus(std::optional<std::string> value);
};

class GTLYouTubeLiveStream : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveStream)

public:
    std::shared_ptr<GTLYouTubeCdnSettings> cdn();
    void setCdn(const std::shared_ptr<GTLYouTubeCdnSettings>& value);
    std::shared_ptr<GTLYouTubeLiveStreamContentDetails> contentDetails();
    void setContentDetails(const std::shared_ptr<GTLYouTubeLiveStreamContentDetails>& value);
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> identifier() const;
    void setIdentifier(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeLiveStreamSnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubeLiveStreamSnippet>& value);
    std::shared_ptr<GTLYouTubeLiveStreamStatus> status();
    void setStatus(const std::shared_ptr<GTLYouTubeLiveStreamStatus>& value);
};

class GTLYouTubeLiveStreamContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveStreamContentDetails)

public:
    std::optional<std::string> closedCaptionsIngestionUrl() const;
    void setClosedCaptionsIngestionUrl(std::optional<std::string> value);
    std::optional<Value> isReusable() const;
    void setIsReusable(std::optional<Value> value);
};

class GTLYouTubeLiveStreamListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveStreamListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeLiveStream>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeLiveStream>>>& value);
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

class GTLYouTubeLiveStreamSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveStreamSnippet)

public:
    std::optional<std::string> channelId() const;
    void setChannelId(std::optional<std::string> value);
    std::optional<std::string> descriptionProperty() const;
    void setDescriptionProperty(std::optional<std::string> value);
    GTLDateTimePtr publishedAt();
    void setPublishedAt(GTLDateTimePtr value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubeLiveStreamStatus : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLiveStreamStatus)

public:
    std::optional<std::string> streamStatus() const;
    void setStreamStatus(std::optional<std::string> value);
};

class GTLYouTubeMonitorStreamInfo : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeMonitorStreamInfo)

public:
    std::optional<Value> broadcastStreamDelayMs() const;
    void setBroadcastStreamDelayMs(std::optional<Value> value);
    std::optional<std::string> embedHtml() const;
    void setEmbedHtml(std::optional<std::string> value);
    std::optional<Value> enableMonitorStream() const;
    void setEnableMonitorStream(std::optional<Value> value);
};

}  // namespace google
