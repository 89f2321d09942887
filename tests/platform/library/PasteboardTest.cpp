#include "platform/library/Pasteboard.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

using foundation::Bytes;
using library::Pasteboard;

TEST(Pasteboard, ItemsReplaceTheContentsAndCountChanges) {
    Pasteboard board;
    EXPECT_EQ(board.numberOfItems(), 0);
    EXPECT_FALSE(board.containsType("com.example.private"));
    const int64_t before = board.changeCount();

    board.setItems({{{"com.example.private", Bytes{1, 2}}, {library::kPasteboardTypeJPEG, Bytes{3}}}});
    EXPECT_EQ(board.numberOfItems(), 1);
    EXPECT_GT(board.changeCount(), before);
    EXPECT_TRUE(board.containsType("com.example.private"));
    EXPECT_EQ(board.dataForType("com.example.private"), (Bytes{1, 2}));
    EXPECT_EQ(board.dataForType(library::kPasteboardTypeJPEG), (Bytes{3}));
    EXPECT_TRUE(board.hasImages());

    board.setItems({{{"text.plain", Bytes{'x'}}}});
    EXPECT_FALSE(board.containsType("com.example.private"));
    EXPECT_FALSE(board.hasImages());
    board.clear();
    EXPECT_EQ(board.numberOfItems(), 0);
    EXPECT_FALSE(board.dataForType("text.plain").has_value());
}

TEST(Pasteboard, FirstItemWithTheTypeWins) {
    Pasteboard board;
    board.setItems({{{"a", Bytes{1}}}, {{"b", Bytes{2}}, {"a", Bytes{3}}}});
    EXPECT_EQ(board.dataForType("a"), (Bytes{1}));
    EXPECT_EQ(board.dataForType("b"), (Bytes{2}));
    EXPECT_EQ(board.items().size(), 2u);
}

TEST(Pasteboard, ImageSkipsUndecodableData) {
    Pasteboard board;
    const auto png = graphics::Image::filled(5, 3, graphics::RGBA{200, 10, 10, 255}).pngData();
    ASSERT_TRUE(png.ok());
    board.setItems(
        {{{library::kPasteboardTypeJPEG, Bytes{0xFF, 0xD8, 0x00}}}, {{library::kPasteboardTypePNG, png.value()}}});
    const auto image = board.image();
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->pixelWidth(), 5);
    EXPECT_EQ(image->pixelHeight(), 3);

    board.setItems({{{library::kPasteboardTypeJPEG, Bytes{1, 2, 3}}}});
    EXPECT_TRUE(board.hasImages());
    EXPECT_FALSE(board.image().has_value());
}

TEST(Pasteboard, ConcurrentWritersAndReadersSeeWholeItems) {
    Pasteboard board;
    std::thread writer([&] {
        for (uint8_t i = 0; i < 200; ++i) board.setItems({{{"n", Bytes(64, i)}}});
    });
    for (int i = 0; i < 200; ++i) {
        const auto data = board.dataForType("n");
        if (!data) continue;
        ASSERT_EQ(data->size(), 64u);
        for (uint8_t b : *data) ASSERT_EQ(b, (*data)[0]);
    }
    writer.join();
    EXPECT_EQ(board.dataForType("n"), Bytes(64, 199));
}

}  // namespace
