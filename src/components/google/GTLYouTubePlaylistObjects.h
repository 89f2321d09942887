#pragma once

// Playlists and their items.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLYouTubeBaseObjects.h"

namespace google {

class GTLYouTubePlaylist : public GTLYouTubeResource {
    GTL_OBJECT_CLASS(GTLYouTubePlaylist)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubePlaylistContentDetails, contentDetails, ContentDetails, "contentDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubePlaylistLocalizations, localizations, Localizations, "localizations")
    GTL_OBJECT_PROPERTY(GTLYouTubePlaylistPlayer, player, Player, "player")
    GTL_OBJECT_PROPERTY(GTLYouTubePlaylistSnippet, snippet, Snippet, "snippet")
    GTL_OBJECT_PROPERTY(GTLYouTubePlaylistStatus, status, Status, "status")
};

class GTLYouTubePlaylistContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistContentDetails)

public:
    GTL_NUMBER_PROPERTY(itemCount, ItemCount, "itemCount")
};

class GTLYouTubePlaylistItem : public GTLYouTubeResource {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistItem)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubePlaylistItemContentDetails, contentDetails, ContentDetails, "contentDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubePlaylistItemSnippet, snippet, Snippet, "snippet")
    GTL_OBJECT_PROPERTY(GTLYouTubePlaylistItemStatus, status, Status, "status")
};

class GTLYouTubePlaylistItemContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistItemContentDetails)

public:
    GTL_STRING_PROPERTY(endAt, EndAt, "endAt")
    GTL_STRING_PROPERTY(note, Note, "note")
    GTL_STRING_PROPERTY(startAt, StartAt, "startAt")
    GTL_STRING_PROPERTY(videoId, VideoId, "videoId")
};

class GTLYouTubePlaylistItemListResponse : public GTLYouTubeListResponse {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistItemListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubePlaylistItem, items, Items, "items")
};

class GTLYouTubePlaylistItemSnippet : public GTLYouTubeSnippet {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistItemSnippet)

public:
    GTL_STRING_PROPERTY(playlistId, PlaylistId, "playlistId")
    GTL_NUMBER_PROPERTY(position, Position, "position")
    GTL_OBJECT_PROPERTY(GTLYouTubeResourceId, resourceId, ResourceId, "resourceId")
};

class GTLYouTubePlaylistItemStatus : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistItemStatus)

public:
    GTL_STRING_PROPERTY(privacyStatus, PrivacyStatus, "privacyStatus")
};

class GTLYouTubePlaylistListResponse : public GTLYouTubeListResponse {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubePlaylist, items, Items, "items")
};

class GTLYouTubePlaylistLocalization : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistLocalization)

public:
    GTL_STRING_PROPERTY(descriptionProperty, DescriptionProperty, "description")
    GTL_STRING_PROPERTY(title, Title, "title")
};

class GTLYouTubePlaylistLocalizations : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistLocalizations)
};

class GTLYouTubePlaylistPlayer : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistPlayer)

public:
    GTL_STRING_PROPERTY(embedHtml, EmbedHtml, "embedHtml")
};

class GTLYouTubePlaylistSnippet : public GTLYouTubeSnippet {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistSnippet)

public:
    GTL_STRING_PROPERTY(defaultLanguage, DefaultLanguage, "defaultLanguage")
    GTL_OBJECT_PROPERTY(GTLYouTubePlaylistLocalization, localized, Localized, "localized")
    GTL_STRING_ARRAY_PROPERTY(tags, Tags, "tags")
};

class GTLYouTubePlaylistStatus : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubePlaylistStatus)

public:
    GTL_STRING_PROPERTY(privacyStatus, PrivacyStatus, "privacyStatus")
};

}  // namespace google
