#include "components/google/GTLYouTubeLiveObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeCdnSettings, GTLObject,
                         made.declaredProperties = {"format", "ingestionInfo", "ingestionType"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeIngestionInfo, GTLObject,
                         made.declaredProperties = {"backupIngestionAddress", "ingestionAddress", "streamName"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeLiveBroadcast, GTLYouTubeResource,
                         made.declaredProperties = {"contentDetails", "snippet", "status"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeLiveBroadcastContentDetails, GTLObject,
                         made.declaredProperties = {"boundStreamId", "enableClosedCaptions", "enableContentEncryption",
                                                    "enableDvr", "enableEmbed", "monitorStream", "recordFromStart",
                                                    "startWithSlate"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeLiveBroadcastListResponse, GTLYouTubeListResponse,
                         made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeLiveBroadcast::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeLiveBroadcastSnippet, GTLObject,
                         made.declaredProperties = {"actualEndTime", "actualStartTime", "channelId",
                                                    "descriptionProperty", "publishedAt", "scheduledEndTime",
                                                    "scheduledStartTime", "thumbnails", "title"};
                         made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeLiveBroadcastStatus, GTLObject,
                         made.declaredProperties = {"lifeCycleStatus", "liveBroadcastPriority", "privacyStatus",
                                                    "recordingStatus"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeLiveStream, GTLYouTubeResource,
                         made.declaredProperties = {"cdn", "contentDetails", "snippet", "status"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeLiveStreamContentDetails, GTLObject,
                         made.declaredProperties = {"closedCaptionsIngestionUrl", "isReusable"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeLiveStreamListResponse, GTLYouTubeListResponse, made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeLiveStream::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeLiveStreamSnippet, GTLObject,
                         made.declaredProperties = {"channelId", "descriptionProperty", "publishedAt", "title"};
                         made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeLiveStreamStatus, GTLObject, made.declaredProperties = {"streamStatus"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeMonitorStreamInfo, GTLObject,
                         made.declaredProperties = {"broadcastStreamDelayMs", "embedHtml", "enableMonitorStream"};)

}  // namespace google
