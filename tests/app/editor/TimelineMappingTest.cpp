#include "app/core/FrameList.h"
#include "app/editor/StripSelection.h"
#include "app/editor/TimelineMapping.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

std::vector<int64_t> sampled(int64_t count) {
    std::vector<int64_t> entries;  // -1 where the picture keeps what it showed
    for (const auto& entry : timeline::pictureEntries(count)) entries.push_back(entry.value_or(-1));
    return entries;
}

TEST(TimelineMapping, FilmSamplesTheListEvenly) {
    struct Case {
        int64_t count;
        std::vector<int64_t> entries;
    };
    const Case cases[] = {
        {0, std::vector<int64_t>(15, -1)},
        {1, {0, 0, 0, 0, 0, 0, 0, 0, -1, -1, -1, -1, -1, -1, -1}},
        {3, {0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, -1, -1}},
        {30, {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28}},
    };
    for (const Case& c : cases) EXPECT_EQ(sampled(c.count), c.entries) << c.count << " entries";
}

TEST(TimelineMapping, TimesOffsetsAndEntries) {
    EXPECT_DOUBLE_EQ(*timeline::offsetForTime(1000, 5, 10), 330.0);
    EXPECT_EQ(timeline::entryAtOffset(330.0, 10), 5);
    // An empty film scrolls nowhere and has no entry.
    EXPECT_EQ(timeline::offsetForTime(1000, 5, 0), std::nullopt);
    EXPECT_EQ(timeline::entryAtOffset(0.0, 0), std::nullopt);
    // 3 entries cover 220 points each; past 550 points the index is 3, outside.
    struct Case {
        double offset;
        std::optional<int64_t> entry;
    };
    for (const Case& c : {Case{0, 0}, Case{109.9, 0}, Case{110, 1}, Case{549.9, 2}, Case{550.1, std::nullopt},
                          Case{-110.1, std::nullopt}, Case{-109, 0}})
        EXPECT_EQ(timeline::entryAtOffset(c.offset, 3), c.entry) << c.offset;
    // A stored rate of 0 or below reads as 1.
    EXPECT_DOUBLE_EQ(*timeline::offsetForTime(1000, 0, 10), 66.0);
    EXPECT_DOUBLE_EQ(*timeline::offsetForTime(1000, -3, 10), 66.0);
}

TEST(TimelineMapping, EveryEntryOfALongFilmIsReachable) {
    // Entries narrower than a point (660 / 1000): the offset is not rounded first.
    for (int64_t count : {661, 1000, 5000}) {
        int64_t unreachable = 0;
        for (int64_t entry = 0; entry < count; ++entry) {
            if (timeline::entryAtOffset(timeline::offsetForEntry(entry, count), count) != entry) ++unreachable;
            const int64_t time = entry * 200;  // 5 fps
            if (timeline::entryAtOffset(*timeline::offsetForTime(time, 5, count), count) != entry) ++unreachable;
        }
        EXPECT_EQ(unreachable, 0) << count << " entries";
    }
}

TEST(TimelineMapping, PlaybackTimingInSinglePrecision) {
    EXPECT_DOUBLE_EQ(timeline::millisecondsPerFrame(5), 200.0);
    EXPECT_DOUBLE_EQ(timeline::millisecondsPerFrame(0), 1000.0);
    struct Case {
        int64_t fps;
        int64_t entry;
        int64_t start;
    };
    // 16777217 becomes 16777216 as a float and the product rounds to a float:
    // 2396745216, where double arithmetic would give 2396745285.
    for (const Case& c : {Case{7, 3, 428}, Case{7, 16777217, 2396745216}, Case{9, 1, 111}, Case{9, 9, 1000},
                          Case{9, 10, 1111}, Case{5, 0, 0}})
        EXPECT_EQ(timeline::startTime(timeline::millisecondsPerFrame(c.fps), c.entry), c.start)
            << c.fps << " fps, entry " << c.entry;
    EXPECT_EQ(timeline::playbackDuration(timeline::millisecondsPerFrame(5), 10), 2000);
    EXPECT_EQ(timeline::playbackDuration(timeline::millisecondsPerFrame(7), 1), 142);
    // Lengths beyond 32 bits are kept, not wrapped.
    EXPECT_EQ(timeline::playbackDuration(1000.0, int64_t{1} << 32), int64_t{1000} << 32);
}

TEST(StripSelection, TapsInsideAndOutsideTheMarkedRun) {
    struct Case {
        int64_t anchor, current, tapped;
        int64_t location, length;
        bool ends;
    };
    const Case cases[] = {
        {2, 5, 4, 2, 4, false}, {2, 5, 7, 7, 1, true},  {2, 5, 2, 2, 4, false},
        {2, 5, 5, 2, 4, false}, {2, 5, 6, 6, 1, true},  {2, 5, 1, 1, 1, true},
        {5, 2, 3, 2, 4, false}, {3, 3, 3, 3, 1, false}, {-1, 5, 3, 3, 1, false},
    };
    for (const Case& c : cases) {
        const auto tap = strip::selectionForTap(c.tapped, c.anchor, c.current);
        EXPECT_EQ(tap.selection, (editornotifications::FrameRange{c.location, c.length}))
            << c.anchor << "-" << c.current << " tap " << c.tapped;
        EXPECT_EQ(tap.endsSelection, c.ends) << c.anchor << "-" << c.current << " tap " << c.tapped;
    }
    std::vector<int64_t> marked;
    for (int64_t i = 0; i < 8; ++i)
        if (strip::isInMarkedRun(i, 5, 2)) marked.push_back(i);
    EXPECT_EQ(marked, (std::vector<int64_t>{2, 3, 4, 5}));
    EXPECT_FALSE(strip::isInMarkedRun(3, strip::kNoSelection, 5));
}

}  // namespace
