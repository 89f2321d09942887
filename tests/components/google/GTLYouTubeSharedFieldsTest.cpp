#include "components/google/GTLJSONParser.h"
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
