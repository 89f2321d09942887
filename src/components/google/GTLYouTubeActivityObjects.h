#pragma once

// Activities of a channel and what each one is about.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLYouTubeBaseObjects.h"

namespace google {

class GTLYouTubeActivity : public GTLYouTubeResource {
    GTL_OBJECT_CLASS(GTLYouTubeActivity)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeActivityContentDetails, contentDetails, ContentDetails, "contentDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeActivitySnippet, snippet, Snippet, "snippet")
};

class GTLYouTubeActivityContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetails)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeActivityContentDetailsBulletin, bulletin, Bulletin, "bulletin")
    GTL_OBJECT_PROPERTY(GTLYouTubeActivityContentDetailsChannelItem, channelItem, ChannelItem, "channelItem")
    GTL_OBJECT_PROPERTY(GTLYouTubeActivityContentDetailsComment, comment, Comment, "comment")
    GTL_OBJECT_PROPERTY(GTLYouTubeActivityContentDetailsFavorite, favorite, Favorite, "favorite")
    GTL_OBJECT_PROPERTY(GTLYouTubeActivityContentDetailsLike, like, Like, "like")
    GTL_OBJECT_PROPERTY(GTLYouTubeActivityContentDetailsPlaylistItem, playlistItem, PlaylistItem, "playlistItem")
    GTL_OBJECT_PROPERTY(GTLYouTubeActivityContentDetailsPromotedItem, promotedItem, PromotedItem, "promotedItem")
    GTL_OBJECT_PROPERTY(GTLYouTubeActivityContentDetailsRecommendation, recommendation, Recommendation,
                        "recommendation")
    GTL_OBJECT_PROPERTY(GTLYouTubeActivityContentDetailsSocial, social, Social, "social")
    GTL_OBJECT_PROPERTY(GTLYouTubeActivityContentDetailsSubscription, subscription, Subscription, "subscription")
    GTL_OBJECT_PROPERTY(GTLYouTubeActivityContentDetailsUpload, upload, Upload, "upload")
};

class GTLYouTubeActivityContentDetailsBulletin : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsBulletin)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeResourceId, resourceId, ResourceId, "resourceId")
};

class GTLYouTubeActivityContentDetailsChannelItem : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsChannelItem)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeResourceId, resourceId, ResourceId, "resourceId")
};

class GTLYouTubeActivityContentDetailsComment : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsComment)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeResourceId, resourceId, ResourceId, "resourceId")
};

class GTLYouTubeActivityContentDetailsFavorite : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsFavorite)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeResourceId, resourceId, ResourceId, "resourceId")
};

class GTLYouTubeActivityContentDetailsLike : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsLike)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeResourceId, resourceId, ResourceId, "resourceId")
};

class GTLYouTubeActivityContentDetailsPlaylistItem : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsPlaylistItem)

public:
    GTL_STRING_PROPERTY(playlistId, PlaylistId, "playlistId")
    GTL_STRING_PROPERTY(playlistItemId, PlaylistItemId, "playlistItemId")
    GTL_OBJECT_PROPERTY(GTLYouTubeResourceId, resourceId, ResourceId, "resourceId")
};

class GTLYouTubeActivityContentDetailsPromotedItem : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsPromotedItem)

public:
    GTL_STRING_PROPERTY(adTag, AdTag, "adTag")
    GTL_STRING_PROPERTY(clickTrackingUrl, ClickTrackingUrl, "clickTrackingUrl")
    GTL_STRING_PROPERTY(creativeViewUrl, CreativeViewUrl, "creativeViewUrl")
    GTL_STRING_PROPERTY(ctaType, CtaType, "ctaType")
    GTL_STRING_PROPERTY(customCtaButtonText, CustomCtaButtonText, "customCtaButtonText")
    GTL_STRING_PROPERTY(descriptionText, DescriptionText, "descriptionText")
    GTL_STRING_PROPERTY(destinationUrl, DestinationUrl, "destinationUrl")
    GTL_STRING_ARRAY_PROPERTY(forecastingUrl, ForecastingUrl, "forecastingUrl")
    GTL_STRING_ARRAY_PROPERTY(impressionUrl, ImpressionUrl, "impressionUrl")
    GTL_STRING_PROPERTY(videoId, VideoId, "videoId")
};

class GTLYouTubeActivityContentDetailsRecommendation : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsRecommendation)

public:
    GTL_STRING_PROPERTY(reason, Reason, "reason")
    GTL_OBJECT_PROPERTY(GTLYouTubeResourceId, resourceId, ResourceId, "resourceId")
    GTL_OBJECT_PROPERTY(GTLYouTubeResourceId, seedResourceId, SeedResourceId, "seedResourceId")
};

class GTLYouTubeActivityContentDetailsSocial : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsSocial)

public:
    GTL_STRING_PROPERTY(author, Author, "author")
    GTL_STRING_PROPERTY(imageUrl, ImageUrl, "imageUrl")
    GTL_STRING_PROPERTY(referenceUrl, ReferenceUrl, "referenceUrl")
    GTL_OBJECT_PROPERTY(GTLYouTubeResourceId, resourceId, ResourceId, "resourceId")
    GTL_STRING_PROPERTY(type, Type, "type")
};

class GTLYouTubeActivityContentDetailsSubscription : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsSubscription)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeResourceId, resourceId, ResourceId, "resourceId")
};

class GTLYouTubeActivityContentDetailsUpload : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeActivityContentDetailsUpload)

public:
    GTL_STRING_PROPERTY(videoId, VideoId, "videoId")
};

class GTLYouTubeActivityListResponse : public GTLYouTubeListResponse {
    GTL_OBJECT_CLASS(GTLYouTubeActivityListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeActivity, items, Items, "items")
};

class GTLYouTubeActivitySnippet : public GTLYouTubeSnippet {
    GTL_OBJECT_CLASS(GTLYouTubeActivitySnippet)

public:
    GTL_STRING_PROPERTY(groupId, GroupId, "groupId")
    GTL_STRING_PROPERTY(type, Type, "type")
};

}  // namespace google
