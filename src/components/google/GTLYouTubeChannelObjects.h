#pragma once

// Channels, their sections, branding, settings and statistics.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLYouTubeBaseObjects.h"

namespace google {

class GTLYouTubeChannel : public GTLYouTubeResource {
    GTL_OBJECT_CLASS(GTLYouTubeChannel)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelAuditDetails, auditDetails, AuditDetails, "auditDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelBrandingSettings, brandingSettings, BrandingSettings, "brandingSettings")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelContentDetails, contentDetails, ContentDetails, "contentDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelContentOwnerDetails, contentOwnerDetails, ContentOwnerDetails,
                        "contentOwnerDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelConversionPings, conversionPings, ConversionPings, "conversionPings")
    GTL_OBJECT_PROPERTY(GTLYouTubeInvideoPromotion, invideoPromotion, InvideoPromotion, "invideoPromotion")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelLocalizations, localizations, Localizations, "localizations")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelSnippet, snippet, Snippet, "snippet")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelStatistics, statistics, Statistics, "statistics")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelStatus, status, Status, "status")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelTopicDetails, topicDetails, TopicDetails, "topicDetails")
};

class GTLYouTubeChannelAuditDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelAuditDetails)

public:
    GTL_NUMBER_PROPERTY(communityGuidelinesGoodStanding, CommunityGuidelinesGoodStanding,
                        "communityGuidelinesGoodStanding")
    GTL_NUMBER_PROPERTY(contentIdClaimsGoodStanding, ContentIdClaimsGoodStanding, "contentIdClaimsGoodStanding")
    GTL_NUMBER_PROPERTY(copyrightStrikesGoodStanding, CopyrightStrikesGoodStanding, "copyrightStrikesGoodStanding")
    GTL_NUMBER_PROPERTY(overallGoodStanding, OverallGoodStanding, "overallGoodStanding")
};

class GTLYouTubeChannelBannerResource : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelBannerResource)

public:
    GTL_STRING_PROPERTY(ETag, ETag, "etag")
    GTL_STRING_PROPERTY(kind, Kind, "kind")
    GTL_STRING_PROPERTY(url, Url, "url")
};

class GTLYouTubeChannelBrandingSettings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelBrandingSettings)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelSettings, channel, Channel, "channel")
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubePropertyValue, hints, Hints, "hints")
    GTL_OBJECT_PROPERTY(GTLYouTubeImageSettings, image, Image, "image")
    GTL_OBJECT_PROPERTY(GTLYouTubeWatchSettings, watch, Watch, "watch")
};

class GTLYouTubeChannelContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelContentDetails)

public:
    GTL_STRING_PROPERTY(googlePlusUserId, GooglePlusUserId, "googlePlusUserId")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelContentDetailsRelatedPlaylists, relatedPlaylists, RelatedPlaylists,
                        "relatedPlaylists")
};

class GTLYouTubeChannelContentDetailsRelatedPlaylists : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelContentDetailsRelatedPlaylists)

public:
    GTL_STRING_PROPERTY(favorites, Favorites, "favorites")
    GTL_STRING_PROPERTY(likes, Likes, "likes")
    GTL_STRING_PROPERTY(uploads, Uploads, "uploads")
    GTL_STRING_PROPERTY(watchHistory, WatchHistory, "watchHistory")
    GTL_STRING_PROPERTY(watchLater, WatchLater, "watchLater")
};

class GTLYouTubeChannelContentOwnerDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelContentOwnerDetails)

public:
    GTL_STRING_PROPERTY(contentOwner, ContentOwner, "contentOwner")
    GTL_DATE_TIME_PROPERTY(timeLinked, TimeLinked, "timeLinked")
};

class GTLYouTubeChannelConversionPing : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelConversionPing)

public:
    GTL_STRING_PROPERTY(context, Context, "context")
    GTL_STRING_PROPERTY(conversionUrl, ConversionUrl, "conversionUrl")
};

class GTLYouTubeChannelConversionPings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelConversionPings)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeChannelConversionPing, pings, Pings, "pings")
};

class GTLYouTubeChannelListResponse : public GTLYouTubeListResponse {
    GTL_OBJECT_CLASS(GTLYouTubeChannelListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeChannel, items, Items, "items")
};

class GTLYouTubeChannelLocalization : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelLocalization)

public:
    GTL_STRING_PROPERTY(descriptionProperty, DescriptionProperty, "description")
    GTL_STRING_PROPERTY(title, Title, "title")
};

class GTLYouTubeChannelLocalizations : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelLocalizations)
};

class GTLYouTubeChannelSection : public GTLYouTubeResource {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSection)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelSectionContentDetails, contentDetails, ContentDetails, "contentDetails")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelSectionLocalizations, localizations, Localizations, "localizations")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelSectionSnippet, snippet, Snippet, "snippet")
};

class GTLYouTubeChannelSectionContentDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSectionContentDetails)

public:
    GTL_STRING_ARRAY_PROPERTY(channels, Channels, "channels")
    GTL_STRING_ARRAY_PROPERTY(playlists, Playlists, "playlists")
};

class GTLYouTubeChannelSectionListResponse : public GTLYouTubeResponse {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSectionListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeChannelSection, items, Items, "items")
};

class GTLYouTubeChannelSectionLocalization : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSectionLocalization)

public:
    GTL_STRING_PROPERTY(title, Title, "title")
};

class GTLYouTubeChannelSectionLocalizations : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSectionLocalizations)
};

class GTLYouTubeChannelSectionSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSectionSnippet)

public:
    GTL_STRING_PROPERTY(channelId, ChannelId, "channelId")
    GTL_STRING_PROPERTY(defaultLanguage, DefaultLanguage, "defaultLanguage")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelSectionLocalization, localized, Localized, "localized")
    GTL_NUMBER_PROPERTY(position, Position, "position")
    GTL_STRING_PROPERTY(style, Style, "style")
    GTL_STRING_PROPERTY(title, Title, "title")
    GTL_STRING_PROPERTY(type, Type, "type")
};

class GTLYouTubeChannelSettings : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSettings)

public:
    GTL_STRING_PROPERTY(country, Country, "country")
    GTL_STRING_PROPERTY(defaultLanguage, DefaultLanguage, "defaultLanguage")
    GTL_STRING_PROPERTY(defaultTab, DefaultTab, "defaultTab")
    GTL_STRING_PROPERTY(descriptionProperty, DescriptionProperty, "description")
    GTL_STRING_PROPERTY(featuredChannelsTitle, FeaturedChannelsTitle, "featuredChannelsTitle")
    GTL_STRING_ARRAY_PROPERTY(featuredChannelsUrls, FeaturedChannelsUrls, "featuredChannelsUrls")
    GTL_STRING_PROPERTY(keywords, Keywords, "keywords")
    GTL_NUMBER_PROPERTY(moderateComments, ModerateComments, "moderateComments")
    GTL_STRING_PROPERTY(profileColor, ProfileColor, "profileColor")
    GTL_NUMBER_PROPERTY(showBrowseView, ShowBrowseView, "showBrowseView")
    GTL_NUMBER_PROPERTY(showRelatedChannels, ShowRelatedChannels, "showRelatedChannels")
    GTL_STRING_PROPERTY(title, Title, "title")
    GTL_STRING_PROPERTY(trackingAnalyticsAccountId, TrackingAnalyticsAccountId, "trackingAnalyticsAccountId")
    GTL_STRING_PROPERTY(unsubscribedTrailer, UnsubscribedTrailer, "unsubscribedTrailer")
};

class GTLYouTubeChannelSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelSnippet)

public:
    GTL_STRING_PROPERTY(country, Country, "country")
    GTL_STRING_PROPERTY(customUrl, CustomUrl, "customUrl")
    GTL_STRING_PROPERTY(defaultLanguage, DefaultLanguage, "defaultLanguage")
    GTL_STRING_PROPERTY(descriptionProperty, DescriptionProperty, "description")
    GTL_OBJECT_PROPERTY(GTLYouTubeChannelLocalization, localized, Localized, "localized")
    GTL_DATE_TIME_PROPERTY(publishedAt, PublishedAt, "publishedAt")
    GTL_OBJECT_PROPERTY(GTLYouTubeThumbnailDetails, thumbnails, Thumbnails, "thumbnails")
    GTL_STRING_PROPERTY(title, Title, "title")
};

class GTLYouTubeChannelStatistics : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelStatistics)

public:
    GTL_NUMBER_PROPERTY(commentCount, CommentCount, "commentCount")
    GTL_NUMBER_PROPERTY(hiddenSubscriberCount, HiddenSubscriberCount, "hiddenSubscriberCount")
    GTL_NUMBER_PROPERTY(subscriberCount, SubscriberCount, "subscriberCount")
    GTL_NUMBER_PROPERTY(videoCount, VideoCount, "videoCount")
    GTL_NUMBER_PROPERTY(viewCount, ViewCount, "viewCount")
};

class GTLYouTubeChannelStatus : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelStatus)

public:
    GTL_NUMBER_PROPERTY(isLinked, IsLinked, "isLinked")
    GTL_STRING_PROPERTY(longUploadsStatus, LongUploadsStatus, "longUploadsStatus")
    GTL_STRING_PROPERTY(privacyStatus, PrivacyStatus, "privacyStatus")
};

class GTLYouTubeChannelTopicDetails : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeChannelTopicDetails)

public:
    GTL_STRING_ARRAY_PROPERTY(topicIds, TopicIds, "topicIds")
};

}  // namespace google
