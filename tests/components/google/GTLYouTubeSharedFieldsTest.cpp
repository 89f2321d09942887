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

}  // namespace

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
