#include "app/render/ExpandedFrames.h"

#include <gtest/gtest.h>
#include <limits>

TEST(ExpandedFrames, PositionsFollowHoldsAndSkipCaptureSlotsAndEmptyHolds) {
    FrameList list;
    FramePtr a = Frame::create(Frame::kTypePicture), b = Frame::create(Frame::kTypePicture),
             none = Frame::create(Frame::kTypePicture), c = Frame::create(Frame::kTypePicture);
    a->setDuration(1);
    b->setDuration(3);
    none->setDuration(0);
    c->setDuration(2);
    for (const FramePtr& frame : {a, b, none, c}) list.insertFrame(frame, list.getCaptureIndex());
    const ExpandedFrames frames(list);
    const std::vector<FramePtr> expected = {a, b, b, b, c, c};
    ASSERT_EQ(frames.count(), int64_t(expected.size()));
    EXPECT_EQ(frames.count(), list.expandedFrameCount());
    const std::vector<FramePtr> built = list.getExpandedFrameList();
    for (int64_t i = 0; i < frames.count(); ++i) {
        EXPECT_EQ(frames.frameAt(i), expected[size_t(i)]) << i;
        EXPECT_EQ(frames.frameAt(i), built[size_t(i)]) << i;
    }
    for (int64_t outside : {int64_t(-1), frames.count(), std::numeric_limits<int64_t>::max()})
        EXPECT_EQ(frames.frameAt(outside), nullptr) << outside;
}

TEST(ExpandedFrames, HugeHoldsAreCountedWithoutBuildingTheList) {
    FrameList list;
    FramePtr a = Frame::create(Frame::kTypePicture), b = Frame::create(Frame::kTypePicture);
    a->setDuration(int64_t(1) << 40);
    b->setDuration(2);
    list.insertFrame(a, list.getCaptureIndex());
    list.insertFrame(b, list.getCaptureIndex());
    const ExpandedFrames frames(list);
    EXPECT_EQ(frames.count(), (int64_t(1) << 40) + 2);
    EXPECT_EQ(frames.frameAt((int64_t(1) << 40) - 1), a);
    EXPECT_EQ(frames.frameAt(int64_t(1) << 40), b);
}
