#include "app/core/FrameList.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>

namespace {

FramePtr held(int32_t type, int64_t hold) {
    FramePtr frame = Frame::create(type);
    frame->setDuration(hold);
    return frame;
}

TEST(ExpandedFrames, PositionsFollowHoldsAndSkipCaptureSlotsAndEmptyHolds) {
    FrameList list;  // the capture slot
    const FramePtr a = held(Frame::kTypePicture, 1), b = held(Frame::kTypePicture, 3),
                   none = held(Frame::kTypePicture, 0), negative = held(Frame::kTypePicture, -4),
                   c = held(Frame::kTypePicture, 2), card = held(Frame::kTypeCreditsCard, 2);
    for (const FramePtr& frame : {a, b, none, negative, c}) list.insertFrame(frame, list.getCaptureIndex());
    list.addFrame(card);  // behind the slot: still part of the movie
    const std::vector<FramePtr> expected = {a, b, b, b, c, c, card, card};

    const ExpandedFrames frames = list.getExpandedFrameList();
    ASSERT_EQ(frames.count(), int64_t(expected.size()));
    EXPECT_EQ(list.expandedFrameCount(), frames.count());
    for (int64_t i = 0; i < frames.count(); ++i) {
        EXPECT_EQ(frames.frameAt(i), expected[size_t(i)]) << i;
        const auto first = std::find(expected.begin(), expected.end(), expected[size_t(i)]) - expected.begin();
        EXPECT_EQ(frames.firstEntryOf(expected[size_t(i)]), first) << i;
    }
    for (int64_t outside : {int64_t(-1), frames.count(), std::numeric_limits<int64_t>::max()})
        EXPECT_EQ(frames.frameAt(outside), nullptr) << outside;
    for (const FramePtr& absent : {none, negative, list.getFrameAtIndex(list.getCaptureIndex()), FramePtr()})
        EXPECT_EQ(frames.firstEntryOf(absent), std::nullopt);
    EXPECT_EQ(frames.runs().size(), 4u);
    EXPECT_TRUE(FrameList().getExpandedFrameList().empty());
}

TEST(ExpandedFrames, HugeHoldsCostOneRunAndTheCountSaturates) {
    FrameList list;
    const FramePtr a = held(Frame::kTypePicture, 2147483647), b = held(Frame::kTypePicture, 2);
    list.insertFrame(a, list.getCaptureIndex());
    list.insertFrame(b, list.getCaptureIndex());
    const ExpandedFrames frames = list.getExpandedFrameList();
    EXPECT_EQ(frames.count(), int64_t(2147483647) + 2);
    EXPECT_EQ(frames.frameAt(2147483646), a);
    EXPECT_EQ(frames.frameAt(2147483647), b);
    EXPECT_EQ(frames.firstEntryOf(b), 2147483647);

    // Stored holds are 64-bit: their sum stops at the largest value.
    a->setDuration(std::numeric_limits<int64_t>::max());
    const ExpandedFrames saturated = list.getExpandedFrameList();
    EXPECT_EQ(saturated.count(), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(saturated.frameAt(std::numeric_limits<int64_t>::max() - 1), a);
    EXPECT_EQ(saturated.runs().size(), 1u) << "no position is left for the frame behind";
}

}  // namespace
