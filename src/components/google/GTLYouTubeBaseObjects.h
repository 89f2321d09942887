#pragma once

// What the YouTube model classes have in common: the resource's tag, id and
// kind; a response's tag, kind and ids, with the paging fields of a list; the
// snippet fields most resources share. Each is written once here and
// inherited, so every class keeps its accessor names and JSON keys.

#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLYouTubeForward.h"

// Defines a YouTube class's description (see GTL_DEFINE_CLASS); asking for it
// registers the model's kinds first.
#define GTL_DEFINE_YOUTUBE_CLASS(Name, Super, ...) \
    GTL_DEFINE_CLASS_AFTER(::google::GTLYouTubeLoadKinds(), Name, Super, __VA_ARGS__)

namespace google {

class GTLYouTubeResource : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeResource)

public:
    GTL_STRING_PROPERTY(ETag, ETag, "etag")
    GTL_STRING_PROPERTY(identifier, Identifier, "id")
    GTL_STRING_PROPERTY(kind, Kind, "kind")
};

class GTLYouTubeResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeResponse)

public:
    GTL_STRING_PROPERTY(ETag, ETag, "etag")
    GTL_STRING_PROPERTY(eventId, EventId, "eventId")
    GTL_STRING_PROPERTY(kind, Kind, "kind")
    GTL_STRING_PROPERTY(visitorId, VisitorId, "visitorId")
};

// A response that is one page of a longer list.
class GTLYouTubeListResponse : public GTLYouTubeResponse {
    GTL_OBJECT_CLASS(GTLYouTubeListResponse)

public:
    GTL_STRING_PROPERTY(nextPageToken, NextPageToken, "nextPageToken")
    GTL_OBJECT_PROPERTY(GTLYouTubePageInfo, pageInfo, PageInfo, "pageInfo")
    GTL_STRING_PROPERTY(prevPageToken, PrevPageToken, "prevPageToken")
    GTL_OBJECT_PROPERTY(GTLYouTubeTokenPagination, tokenPagination, TokenPagination, "tokenPagination")
};

// Who published what, when, and its pictures.
class GTLYouTubeSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeSnippet)

public:
    GTL_STRING_PROPERTY(channelId, ChannelId, "channelId")
    GTL_STRING_PROPERTY(channelTitle, ChannelTitle, "channelTitle")
    GTL_STRING_PROPERTY(descriptionProperty, DescriptionProperty, "description")
    GTL_DATE_TIME_PROPERTY(publishedAt, PublishedAt, "publishedAt")
    GTL_OBJECT_PROPERTY(GTLYouTubeThumbnailDetails, thumbnails, Thumbnails, "thumbnails")
    GTL_STRING_PROPERTY(title, Title, "title")
};

}  // namespace google
