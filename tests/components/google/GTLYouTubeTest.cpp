#include "components/google/GTLJSONParser.h"
#include "components/google/GTLQueryYouTube.h"
#include "components/google/GTLYouTubeObjects.h"

#include <gtest/gtest.h>
#include <string>

using foundation::Value;
using namespace google;

namespace {

Value parse(std::string_view text) {
    std::optional<Value> json = GTLJSONParser::objectWithString(text, nullptr);
    EXPECT_TRUE(json) << text;
    return json.value_or(Value());
}

std::string compact(const Value& json) { return GTLJSONParser::stringWithObject(json, false, nullptr).value_or("?"); }

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
