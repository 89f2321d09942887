#include "components/google/GTLJSONParser.h"
#include "components/google/GTLQueryYouTube.h"
#include "components/google/GTLYouTubeObjects.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using foundation::Value;
using namespace google;

namespace {

Value parse(std::string_view text) {
    std::optional<Value> json = GTLJSONParser::objectWithString(text, nullptr);
    EXPECT_TRUE(json) << text;
    return json.value_or(Value());
}

std::string compact(const Value& json) { return GTLJSONParser::stringWithObject(json, false, nullptr).value_or("?"); }

std::vector<std::string> sortedAdditionalKeys(const GTLObject& object) {
    std::vector<std::string> keys = object.additionalJSONKeys().value_or(std::vector<std::string>{});
    std::sort(keys.begin(), keys.end());
    return keys;
}

enum class Shape { resource, response, pagedResponse };

}  // namespace

TEST(GTLYouTubeObjects, KindsNameTheirClasses) {
    GTLYouTubeLoadKinds();
    const std::pair<const char*, const char*> cases[] = {
        {"youtube#video", "GTLYouTubeVideo"},
        {"youtube#videoCategoryListResponse", "GTLYouTubeVideoCategoryListResponse"},
        {"youtube#i18nLanguage", "GTLYouTubeI18nLanguage"},
        {"youtube#channelBannerResource", "GTLYouTubeChannelBannerResource"},
        {"youtube#searchResult", "GTLYouTubeSearchResult"},
        {"youtube#videoGetRatingResponse", "GTLYouTubeVideoGetRatingResponse"},
        {"youtube#thumbnailSetResponse", "GTLYouTubeThumbnailSetResponse"},
        {"youtube#videoSnippet", nullptr},
        {"youtube#invideoPromotion", nullptr},
    };
    for (const auto& [kind, className] : cases) {
        SCOPED_TRACE(kind);
        const GTLClassInfo* registered = GTLObject::registeredObjectClassForKind(kind);
        if (!className) {
            EXPECT_FALSE(registered);
            continue;
        }
        ASSERT_TRUE(registered);
        EXPECT_EQ(registered->name, className);
        // Every registered class renames ETag; resources also identifier.
        EXPECT_EQ(registered->mergedPropertyToJSONKeyMap().at("ETag"), "etag");
    }
    EXPECT_EQ(GTLYouTubeVideo::classInfo().mergedPropertyToJSONKeyMap().at("identifier"), "id");
    EXPECT_EQ(GTLYouTubeThumbnailDetails::classInfo().mergedPropertyToJSONKeyMap().at("defaultProperty"), "default");
    EXPECT_TRUE(GTLYouTubeInvideoPromotion::classInfo().isSubclassOf(GTLCollectionObject::classInfo()));
    EXPECT_FALSE(GTLYouTubeVideo::classInfo().isSubclassOf(GTLCollectionObject::classInfo()));
}

TEST(GTLYouTubeObjects, CategoryListParsesIntoTypedItems) {
    GTLYouTubeLoadKinds();
    GTLObjectPtr parsed = GTLObject::objectForJSON(parse(R"({"kind":"youtube#videoCategoryListResponse","etag":"\"e\"",
        "items":[{"kind":"youtube#videoCategory","id":"1","etag":"x","snippet":{"channelId":"c","title":"Film & Animation","assignable":true}},
                 {"kind":"youtube#videoCategory","id":"18","snippet":{"title":"Short Movies","assignable":false}}]})"),
                                                   &GTLObject::classInfo(), nullptr, nullptr);
    auto list = std::dynamic_pointer_cast<GTLYouTubeVideoCategoryListResponse>(parsed);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->ETag(), "\"e\"");
    auto items = list->items();
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 2u);
    EXPECT_EQ((*items)[0]->identifier(), "1");
    EXPECT_EQ((*items)[0]->snippet()->title(), "Film & Animation");
    ASSERT_TRUE((*items)[0]->snippet()->assignable());
    EXPECT_TRUE((*items)[0]->snippet()->assignable()->isBool());
    EXPECT_FALSE((*items)[1]->snippet()->assignable()->asBool());
    EXPECT_EQ(std::dynamic_pointer_cast<GTLYouTubeVideoCategory>(list->itemForIdentifier("18")), (*items)[1]);
}

TEST(GTLYouTubeObjects, UploadVideoSerialisesOnlyWhatWasSet) {
    auto snippet = GTLYouTubeVideoSnippet::object();
    snippet->setTitle("My movie");
    snippet->setDescriptionProperty("Made with clay");
    snippet->setCategoryId("22");
    snippet->setTags(std::vector<std::string>{"stop motion", "clay"});
    EXPECT_EQ(compact(snippet->JSON()),
              R"({"title":"My movie","description":"Made with clay","categoryId":"22","tags":["stop motion","clay"]})");

    auto video = GTLYouTubeVideo::object();
    video->setSnippet(snippet);
    video->setStatus(GTLYouTubeVideoStatus::object());
    EXPECT_EQ(
        compact(video->JSON()),
        R"({"snippet":{"title":"My movie","description":"Made with clay","categoryId":"22","tags":["stop motion","clay"]},"status":{}})");
    video->status()->setPrivacyStatus("private");
    EXPECT_EQ(compact(video->JSON().asDictionary().get("status")), R"({"privacyStatus":"private"})");
    EXPECT_FALSE(video->additionalJSONKeys());

    auto inserted = GTLYouTubeVideo::objectWithJSON(
        parse(R"({"kind":"youtube#video","id":"abc123","snippet":{"publishedAt":"2013-05-01T10:20:30.000Z",
                  "thumbnails":{"default":{"url":"https://i/1.jpg","width":120}}},"status":{"uploadStatus":"uploaded"}})"));
    EXPECT_EQ(inserted->identifier(), "abc123");
    EXPECT_EQ(inserted->snippet()->publishedAt()->RFC3339String(), "2013-05-01T10:20:30Z");
    EXPECT_EQ(inserted->snippet()->thumbnails()->defaultProperty()->url(), "https://i/1.jpg");
    EXPECT_EQ(inserted->snippet()->thumbnails()->defaultProperty()->width()->asInt(), 120);
    EXPECT_EQ(inserted->status()->uploadStatus(), "uploaded");
}

TEST(GTLYouTubeObjects, LocalizationsAreAdditionalProperties) {
    auto video = GTLYouTubeVideo::objectWithJSON(
        parse(R"({"localizations":{"de":{"title":"Film","description":"Knete"},"fr":{"title":"Film"}}})"));
    auto localizations = video->localizations();
    ASSERT_TRUE(localizations);
    EXPECT_EQ(localizations->additionalJSONKeys(), (std::vector<std::string>{"de", "fr"}));
    auto properties = localizations->additionalProperties();
    ASSERT_EQ(properties.size(), 2u);
    for (const auto& [language, value] : properties) {
        SCOPED_TRACE(language);
        auto localization = std::dynamic_pointer_cast<GTLYouTubeVideoLocalization>(value.object());
        ASSERT_TRUE(localization);
        EXPECT_EQ(localization->title(), "Film");
    }
    EXPECT_EQ(
        std::dynamic_pointer_cast<GTLYouTubeVideoLocalization>(properties[0].second.object())->descriptionProperty(),
        "Knete");
}

TEST(GTLQueryYouTube, ConstructorsNameTheirMethodsAndResults) {
    auto video = GTLYouTubeVideo::object();
    auto upload = GTLUploadParameters::uploadParametersWithData({1}, "video/quicktime");
    struct Case {
        GTLQueryYouTubePtr query;
        const char* method;
        const GTLClassInfo* result;
    };
    const Case cases[] = {
        {GTLQueryYouTube::queryForVideosInsertWithObjectPartUploadParameters(video, "snippet,status", upload),
         "youtube.videos.insert", &GTLYouTubeVideo::classInfo()},
        {GTLQueryYouTube::queryForVideoCategoriesListWithPart("id, snippet"), "youtube.videoCategories.list",
         &GTLYouTubeVideoCategoryListResponse::classInfo()},
        {GTLQueryYouTube::queryForVideosGetRatingWithIdentifier("v"), "youtube.videos.getRating",
         &GTLYouTubeVideoGetRatingResponse::classInfo()},
        {GTLQueryYouTube::queryForLiveBroadcastsTransitionWithBroadcastStatusIdentifierPart("live", "b", "id"),
         "youtube.liveBroadcasts.transition", &GTLYouTubeLiveBroadcast::classInfo()},
        {GTLQueryYouTube::queryForI18nLanguagesListWithPart("snippet"), "youtube.i18nLanguages.list",
         &GTLYouTubeI18nLanguageListResponse::classInfo()},
        {GTLQueryYouTube::queryForVideosRateWithIdentifierRating("v", "like"), "youtube.videos.rate", nullptr},
        {GTLQueryYouTube::queryForWatermarksUnsetWithChannelId("c"), "youtube.watermarks.unset", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        ASSERT_TRUE(c.query);
        EXPECT_EQ(c.query->methodName(), c.method);
        EXPECT_EQ(c.query->expectedObjectClass(), c.result);
    }
    EXPECT_EQ(compact(cases[0].query->JSON()), R"({"part":"snippet,status"})");
    EXPECT_EQ(cases[0].query->bodyObject(), video);
    ASSERT_TRUE(cases[0].query->uploadParameters());
    EXPECT_EQ(cases[0].query->uploadParameters()->MIMEType(), "video/quicktime");
    EXPECT_EQ(compact(cases[2].query->JSON()), R"({"id":"v"})") << "identifier goes out as id";
    EXPECT_EQ(compact(cases[3].query->JSON()), R"({"broadcastStatus":"live","id":"b","part":"id"})");

    EXPECT_FALSE(GTLQueryYouTube::queryForVideosInsertWithObjectPartUploadParameters(nullptr, "snippet", upload));
    EXPECT_FALSE(GTLQueryYouTube::queryForChannelsUpdateWithObjectPart(nullptr, "snippet"));

    auto categories = cases[1].query;
    categories->setRegionCode("DE");
    categories->setHl("de_DE");
    categories->setMaxResults(50);
    categories->setMine(true);
    categories->setPublishedAfter(GTLDateTime::dateTimeWithRFC3339String("2013-05-01T00:00:00Z"));
    EXPECT_EQ(
        compact(categories->JSON()),
        R"({"part":"id, snippet","regionCode":"DE","hl":"de_DE","maxResults":50,"mine":true,"publishedAfter":"2013-05-01T00:00:00Z"})");
    auto copy = std::dynamic_pointer_cast<GTLQueryYouTube>(categories->copy());
    ASSERT_TRUE(copy) << "copies keep the query class";
    EXPECT_EQ(copy->regionCode(), "DE");
    EXPECT_EQ(copy->maxResults(), 50u);
}

// Every kind's class reads and writes its shared fields under the API's keys,
// and claims exactly those keys: what a class does not declare stays an
// additional key.
TEST(GTLYouTubeSharedFields, EveryKindKeepsItsKeys) {
    GTLYouTubeLoadKinds();
    const std::pair<const char*, Shape> cases[] = {
        {"youtube#activity", Shape::resource},
        {"youtube#channel", Shape::resource},
        {"youtube#channelSection", Shape::resource},
        {"youtube#guideCategory", Shape::resource},
        {"youtube#i18nLanguage", Shape::resource},
        {"youtube#i18nRegion", Shape::resource},
        {"youtube#liveBroadcast", Shape::resource},
        {"youtube#liveStream", Shape::resource},
        {"youtube#playlist", Shape::resource},
        {"youtube#playlistItem", Shape::resource},
        {"youtube#subscription", Shape::resource},
        {"youtube#video", Shape::resource},
        {"youtube#videoCategory", Shape::resource},
        {"youtube#channelSectionListResponse", Shape::response},
        {"youtube#i18nLanguageListResponse", Shape::response},
        {"youtube#i18nRegionListResponse", Shape::response},
        {"youtube#thumbnailSetResponse", Shape::response},
        {"youtube#videoGetRatingResponse", Shape::response},
        {"youtube#activityListResponse", Shape::pagedResponse},
        {"youtube#channelListResponse", Shape::pagedResponse},
        {"youtube#guideCategoryListResponse", Shape::pagedResponse},
        {"youtube#liveBroadcastListResponse", Shape::pagedResponse},
        {"youtube#liveStreamListResponse", Shape::pagedResponse},
        {"youtube#playlistItemListResponse", Shape::pagedResponse},
        {"youtube#playlistListResponse", Shape::pagedResponse},
        {"youtube#searchListResponse", Shape::pagedResponse},
        {"youtube#subscriptionListResponse", Shape::pagedResponse},
        {"youtube#videoCategoryListResponse", Shape::pagedResponse},
        {"youtube#videoListResponse", Shape::pagedResponse},
    };
    const std::vector<std::string> pagingKeys = {"nextPageToken", "pageInfo", "prevPageToken", "tokenPagination"};
    for (const auto& [kind, shape] : cases) {
        SCOPED_TRACE(kind);
        const std::string json = std::string(R"({"kind":")") + kind +
                                 R"(","etag":"e","id":"i","eventId":"ev","visitorId":"vi","nextPageToken":"n",)"
                                 R"("prevPageToken":"p","pageInfo":{"totalResults":3},"tokenPagination":{}})";
        GTLObjectPtr read = GTLObject::objectForJSON(parse(json), nullptr, nullptr, nullptr);
        ASSERT_TRUE(read);
        GTLObjectPtr written = read->objectClass().make();
        std::vector<std::string> unclaimed;
        std::string expected;
        if (shape == Shape::resource) {
            auto resource = std::dynamic_pointer_cast<GTLYouTubeResource>(read);
            ASSERT_TRUE(resource);
            EXPECT_EQ(resource->ETag(), "e");
            EXPECT_EQ(resource->identifier(), "i");
            EXPECT_EQ(resource->kind(), kind);
            unclaimed = {"eventId", "visitorId"};
            unclaimed.insert(unclaimed.end(), pagingKeys.begin(), pagingKeys.end());

            auto fresh = std::dynamic_pointer_cast<GTLYouTubeResource>(written);
            ASSERT_TRUE(fresh);
            fresh->setETag("e");
            fresh->setIdentifier("i");
            fresh->setKind("k");
            expected = R"({"etag":"e","id":"i","kind":"k"})";
        } else {
            auto response = std::dynamic_pointer_cast<GTLYouTubeResponse>(read);
            ASSERT_TRUE(response);
            EXPECT_EQ(response->ETag(), "e");
            EXPECT_EQ(response->eventId(), "ev");
            EXPECT_EQ(response->visitorId(), "vi");
            EXPECT_EQ(response->kind(), kind);
            unclaimed = {"id"};
            auto paged = std::dynamic_pointer_cast<GTLYouTubeListResponse>(read);
            EXPECT_EQ(bool(paged), shape == Shape::pagedResponse);
            if (paged) {
                EXPECT_EQ(paged->nextPageToken(), "n");
                EXPECT_EQ(paged->prevPageToken(), "p");
                ASSERT_TRUE(paged->pageInfo());
                EXPECT_EQ(paged->pageInfo()->totalResults()->asInt(), 3);
                EXPECT_TRUE(paged->tokenPagination());
            } else {
                unclaimed.insert(unclaimed.end(), pagingKeys.begin(), pagingKeys.end());
            }

            auto fresh = std::dynamic_pointer_cast<GTLYouTubeResponse>(written);
            ASSERT_TRUE(fresh);
            fresh->setETag("e");
            fresh->setEventId("ev");
            fresh->setVisitorId("vi");
            expected = R"({"etag":"e","eventId":"ev","visitorId":"vi")";
            if (auto freshPaged = std::dynamic_pointer_cast<GTLYouTubeListResponse>(written)) {
                freshPaged->setNextPageToken("n");
                freshPaged->setPageInfo(GTLYouTubePageInfo::object());
                expected += R"(,"nextPageToken":"n","pageInfo":{})";
            }
            expected += "}";
        }
        std::sort(unclaimed.begin(), unclaimed.end());
        EXPECT_EQ(sortedAdditionalKeys(*read), unclaimed);
        EXPECT_EQ(compact(written->JSON()), expected);
        EXPECT_FALSE(written->additionalJSONKeys());
    }
}

TEST(GTLYouTubeSharedFields, SnippetsShareWhoPublishedWhat) {
    const GTLClassInfo* classes[] = {
        &GTLYouTubeActivitySnippet::classInfo(),     &GTLYouTubePlaylistItemSnippet::classInfo(),
        &GTLYouTubePlaylistSnippet::classInfo(),     &GTLYouTubeSearchResultSnippet::classInfo(),
        &GTLYouTubeSubscriptionSnippet::classInfo(), &GTLYouTubeVideoSnippet::classInfo(),
    };
    const char* json = R"({"channelId":"c","channelTitle":"ct","description":"d","publishedAt":"2013-05-01T10:20:30Z",)"
                       R"("thumbnails":{"default":{"url":"u"}},"title":"t"})";
    for (const GTLClassInfo* objectClass : classes) {
        SCOPED_TRACE(objectClass->name);
        auto snippet = std::dynamic_pointer_cast<GTLYouTubeSnippet>(objectClass->make());
        ASSERT_TRUE(snippet);
        snippet->setChannelId("c");
        snippet->setChannelTitle("ct");
        snippet->setDescriptionProperty("d");
        snippet->setPublishedAt(GTLDateTime::dateTimeWithRFC3339String("2013-05-01T10:20:30Z"));
        auto thumbnails = GTLYouTubeThumbnailDetails::object();
        snippet->setThumbnails(thumbnails);
        thumbnails->setDefaultProperty(GTLYouTubeThumbnail::object());
        thumbnails->defaultProperty()->setUrl("u");
        snippet->setTitle("t");
        EXPECT_EQ(compact(snippet->JSON()), json);

        snippet->setJSON(parse(json));
        EXPECT_FALSE(snippet->additionalJSONKeys());
        EXPECT_EQ(snippet->descriptionProperty(), "d");
        EXPECT_EQ(snippet->publishedAt()->RFC3339String(), "2013-05-01T10:20:30Z");
        EXPECT_EQ(snippet->thumbnails()->defaultProperty()->url(), "u");
    }
    // The typed class answers through the shared fields too.
    auto video = GTLYouTubeVideoSnippet::objectWithJSON(parse(json));
    EXPECT_EQ(video->title(), "t");
    EXPECT_EQ(video->channelTitle(), "ct");
}

// Object and array properties take a new value, the JSON null (as the null
// marker) and nothing (the key goes); the list's items keep their class.
TEST(GTLYouTubeSharedFields, ObjectPropertiesTakeValuesNullAndNothing) {
    auto item = GTLYouTubePlaylistItem::object();
    auto snippet = GTLYouTubePlaylistItemSnippet::object();
    item->setSnippet(snippet);
    snippet->setPlaylistId("pl");
    EXPECT_EQ(item->snippet(), snippet);
    EXPECT_EQ(compact(item->JSON()), R"({"snippet":{"playlistId":"pl"}})");
    item->setSnippet(nullMarker<GTLYouTubePlaylistItemSnippet>());
    EXPECT_EQ(compact(item->JSON()), R"({"snippet":null})");
    EXPECT_TRUE(isNullMarker(item->snippet()));
    item->setSnippet(nullptr);
    EXPECT_EQ(compact(item->JSON()), "{}");
    EXPECT_FALSE(item->snippet());

    auto list = GTLYouTubePlaylistItemListResponse::object();
    list->setItems(std::vector{item, GTLYouTubePlaylistItem::object()});
    item->setKind("youtube#playlistItem");
    EXPECT_EQ(compact(list->JSON()), R"({"items":[{"kind":"youtube#playlistItem"},{}]})");
    ASSERT_TRUE(list->items());
    EXPECT_EQ(list->items()->size(), 2u);
    EXPECT_EQ(list->collectionItems().size(), 2u);
    list->setItems(std::nullopt);
    EXPECT_EQ(compact(list->JSON()), "{}");
    EXPECT_FALSE(list->items());

    list->setJSON(parse(R"({"items":"not a list"})"));
    EXPECT_FALSE(list->items());
    list->setJSON(parse(R"({"items":[{"id":"a"}]})"));
    ASSERT_TRUE(list->items());
    EXPECT_EQ((*list->items())[0]->objectClass().name, "GTLYouTubePlaylistItem");
    EXPECT_EQ((*list->items())[0]->identifier(), "a");
}
