#include "app/core/FrameList.h"

#include <gtest/gtest.h>
#include <stdexcept>

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

namespace {

FramePtr picture() { return Frame::create(Frame::kTypePicture); }

// Puts n pictures in front of the capture slot, as capture does.
void addPictures(FrameList& list, int n) {
    for (int i = 0; i < n; ++i) list.insertFrame(picture(), list.getCaptureIndex());
}

TEST(FrameListCreation, NewListHoldsOnlyTheCaptureSlotUnderThePlayhead) {
    FrameList list;
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.getFrameAtIndex(0)->type(), Frame::kTypeCaptureSlot);
    EXPECT_EQ(list.frameAtPlayhead(), list.getFrameAtIndex(0));
    EXPECT_EQ(list.getCaptureIndex(), 0);
    EXPECT_TRUE(list.getExpandedFrameList().empty());
}

TEST(FrameListCreation, EmptyOrMissingStoredFramesGiveOnlyACaptureSlot) {
    for (const Dictionary& stored : {Dictionary{}, Dictionary{{"FRAMELIST_DATA", Array{}}}}) {
        FrameList list(stored);
        ASSERT_EQ(list.count(), 1);
        EXPECT_EQ(list.getCaptureIndex(), 0);
        EXPECT_EQ(list.frameAtPlayhead(), list.getFrameAtIndex(0));
        EXPECT_TRUE(list.getExpandedFrameList().empty());
    }
}

TEST(FrameListCreation, StoredListWithoutSlotGainsOneAtTheEnd) {
    Array frames{picture()->encode(), picture()->encode()};
    FrameList list(Dictionary{{"FRAMELIST_DATA", frames}});
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.getCaptureIndex(), 2);
    EXPECT_EQ(list.frameAtPlayhead(), list.getFrameAtIndex(0));
}

TEST(FrameListCreation, TwoStoredSlotsAreKeptAndTheFirstIsReported) {
    Array frames{picture()->encode(), Frame::create(Frame::kTypeCaptureSlot)->encode(), picture()->encode(),
                 Frame::create(Frame::kTypeCaptureSlot)->encode()};
    FrameList list(Dictionary{{"FRAMELIST_DATA", frames}});
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.getCaptureIndex(), 1);
}

// A list read from a project's folder gives up each stored entry once its
// frame is made, so that a long list is never held as values and frames at
// once; the frames are those the copying reading makes, in the same order.
TEST(FrameListCreation, TakingTheStoredEntriesGivesTheSameFramesAndLeavesNoneBehind) {
    const std::vector<Array> stored = {
        Array{},
        Array{picture()->encode(), Value("garbage"), picture()->encode()},
        Array{picture()->encode(), Frame::create(Frame::kTypeCaptureSlot)->encode(), picture()->encode(), Value(3)},
    };
    for (const Array& frames : stored) {
        const FrameList copied(Dictionary{{"FRAMELIST_DATA", frames}});
        Dictionary taken{{"FRAMELIST_DATA", frames.copy()}};
        const Array entries = taken.get("FRAMELIST_DATA").asArray();
        const FrameList list(taken, FrameList::TakingEntries{});
        EXPECT_TRUE(entries.empty()) << "entries still held";
        EXPECT_FALSE(taken.contains("FRAMELIST_DATA"));
        ASSERT_EQ(list.count(), copied.count());
        for (int64_t i = 0; i < list.count(); ++i) {
            EXPECT_EQ(list.getFrameAtIndex(i)->type(), copied.getFrameAtIndex(i)->type()) << i;
            if (list.getFrameAtIndex(i)->type() != Frame::kTypeCaptureSlot) {
                EXPECT_EQ(list.getFrameAtIndex(i)->frameID(), copied.getFrameAtIndex(i)->frameID()) << i;
            }
        }
        EXPECT_EQ(list.getCaptureIndex(), copied.getCaptureIndex());
        EXPECT_EQ(list.frameAtPlayhead(), list.getFrameAtIndex(0));
    }
}

TEST(FrameListCreation, NonDictionaryEntriesAreSkipped) {
    Array frames{Value("garbage"), picture()->encode(), Value(12)};
    FrameList list(Dictionary{{"FRAMELIST_DATA", frames}});
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.getCaptureIndex(), 1);
}

TEST(FrameListEncoding, RoundTripKeepsEntriesAndMovesPlayheadToFirst) {
    FrameList list;
    addPictures(list, 2);
    FramePtr card = Frame::create(Frame::kTypeTitleCard);
    card->setDuration(20);
    card->setTheme(std::make_shared<KWThemeItem>());
    list.insertFrame(card, 0);
    list.getFrameAtIndex(1)->setAudio(std::make_shared<KWAudioClip>("a", "a.m4a"));
    list.getFrameAtIndex(2)->setIsFramePausedForDurationOfAudio(true);
    list.setFrameAtPlayhead(list.getFrameAtIndex(2));

    Dictionary stored = list.encode();
    EXPECT_DOUBLE_EQ(stored.get("FRAMELIST_VERSION").asDouble(), 4.0);
    EXPECT_TRUE(stored.get("FRAMELIST_VERSION").isReal());
    EXPECT_TRUE(stored.get("FRAMELIST_INFO").isString());
    EXPECT_EQ(stored.get("FRAMELIST_DATA").asArray().size(), 4u);

    FrameList back(stored);
    ASSERT_EQ(back.count(), list.count());
    for (int64_t i = 0; i < list.count(); ++i) {
        EXPECT_EQ(back.getFrameAtIndex(i)->UID(), list.getFrameAtIndex(i)->UID());
        EXPECT_EQ(back.getFrameAtIndex(i)->frameID(), list.getFrameAtIndex(i)->frameID());
        EXPECT_EQ(back.getFrameAtIndex(i)->type(), list.getFrameAtIndex(i)->type());
        EXPECT_EQ(back.getFrameAtIndex(i)->getDuration(), list.getFrameAtIndex(i)->getDuration());
    }
    EXPECT_NE(back.getFrameAtIndex(0)->getTheme(), nullptr);
    EXPECT_EQ(back.getFrameAtIndex(1)->getAudio()->fileName(), "a.m4a");
    EXPECT_TRUE(back.getFrameAtIndex(2)->isFramePausedForDurationOfAudio());
    EXPECT_EQ(back.frameAtPlayhead(), back.getFrameAtIndex(0));
}

TEST(FrameListInsertion, InsertingAtTheCaptureIndexMovesTheSlotOn) {
    FrameList list;
    for (int i = 1; i <= 3; ++i) {
        list.insertFrame(picture(), list.getCaptureIndex());
        EXPECT_EQ(list.getCaptureIndex(), i);
    }
    list.insertFrame(picture(), list.count());  // behind the slot
    EXPECT_EQ(list.getCaptureIndex(), 3);
    EXPECT_EQ(list.getFrameAtIndex(4)->type(), Frame::kTypePicture);
    list.removeFrameAtIndex(0);
    EXPECT_EQ(list.getCaptureIndex(), 2);
}

TEST(FrameListInsertion, SameObjectTwiceOrNegativeIndexChangesNothing) {
    FrameList list;
    FramePtr frame = picture();
    list.insertFrame(frame, 0);
    list.insertFrame(frame, 1);
    list.insertFrame(picture(), -1);
    list.insertFrame(nullptr, 0);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.getIndexForFrame(frame), 0);
}

TEST(FrameListInsertion, IndexAtOrBeyondCountAppends) {
    FrameList list;
    addPictures(list, 1);
    FramePtr last = picture();
    list.insertFrame(last, 99);
    EXPECT_EQ(list.getIndexForFrame(last), 2);
    EXPECT_EQ(list.getCaptureIndex(), 1);
}

// A batch goes in as the frames one by one would, each behind the one
// before: listed, repeated and missing frames left out, the index cut as
// insertFrame cuts it. Removing a batch removes each of its frames.
TEST(FrameListInsertion, ABatchGoesInAsItsFramesOneByOneWouldAndComesOutSo) {
    struct Case {
        int64_t at;
        const char* batch;  // n: a new frame, l: one listed already, r: the new frame before again, 0: none
    } cases[] = {{0, "nnn"}, {2, "nnn"}, {4, "nn"}, {99, "n"}, {-1, "nn"}, {1, "nlnrn0"}, {0, ""}, {3, "llrr"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.at) + " " + c.batch);
        FrameList batched, single;
        for (FrameList* list : {&batched, &single}) list->removeFrameAtIndex(0);
        std::vector<FramePtr> listed;
        for (int i = 0; i < 4; ++i) {
            listed.push_back(picture());
            batched.addFrame(listed.back());
            single.addFrame(listed.back());
        }
        std::vector<FramePtr> batch;
        for (const char* k = c.batch; *k; ++k)
            batch.push_back(*k == 'n'   ? picture()
                            : *k == 'l' ? listed[size_t(k - c.batch) % listed.size()]
                            : *k == 'r' ? batch.back()
                                        : nullptr);
        int64_t next = c.at, added = 0;
        for (const FramePtr& frame : batch) {
            const int64_t before = single.count();
            single.insertFrame(frame, next);
            if (single.count() > before) ++next, ++added;
        }
        const auto order = [](const FrameList& list) { return std::vector<FramePtr>(list.begin(), list.end()); };
        EXPECT_EQ(batched.insertFrames(batch, c.at), added);
        EXPECT_EQ(order(batched), order(single)) << "inserted";
        batched.removeFrames(batch);
        for (const FramePtr& frame : batch) single.removeFrame(frame);
        EXPECT_EQ(order(batched), order(single)) << "removed";
    }
}

TEST(FrameListInsertion, AddFrameDoesNotCheckForDuplicates) {
    FrameList list;
    FramePtr frame = picture();
    list.addFrame(frame);
    list.addFrame(frame);
    EXPECT_EQ(list.count(), 3);
    list.removeFrame(frame);
    EXPECT_EQ(list.count(), 1);
}

TEST(FrameListLookup, OutOfRangeIndicesGiveNothingAndChangeNothing) {
    FrameList list;
    addPictures(list, 2);
    EXPECT_EQ(list.getFrameAtIndex(-1), nullptr);
    EXPECT_EQ(list.getFrameAtIndex(list.count()), nullptr);
    list.removeFrameAtIndex(-1);
    list.removeFrameAtIndex(list.count());
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.getIndexForFrame(picture()), foundation::kNotFound);
    EXPECT_EQ(list.getIndexForFrame(nullptr), foundation::kNotFound);
}

TEST(FrameListLookup, CaptureIndexIsNotFoundWithoutSlot) {
    FrameList list;
    list.removeFrameWithFrameType(Frame::kTypeCaptureSlot);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.getCaptureIndex(), foundation::kNotFound);
    EXPECT_EQ(list.findFirstOccurrenceOfFrameWithType(Frame::kTypeCaptureSlot), nullptr);
}

TEST(FrameListLookup, FindByTypeAndFrameID) {
    FrameList list;
    addPictures(list, 2);
    FramePtr card = Frame::create(Frame::kTypeCreditsCard, "CREDITS");
    list.addFrame(card);
    EXPECT_EQ(list.findFirstOccurrenceOfFrameWithType(Frame::kTypeCreditsCard), card);
    EXPECT_EQ(list.findFirstOccurrenceOfFrameWithType(Frame::kTypePicture), list.getFrameAtIndex(0));
    EXPECT_TRUE(list.containsFrameWithFrameID("CREDITS"));
    EXPECT_FALSE(list.containsFrameWithFrameID("credits"));
}

TEST(FrameListLookup, SubarrayMustLieInsideTheList) {
    FrameList list;
    addPictures(list, 3);
    auto middle = list.subarrayWithRange(1, 2);
    ASSERT_EQ(middle.size(), 2u);
    EXPECT_EQ(middle[0], list.getFrameAtIndex(1));
    EXPECT_TRUE(list.subarrayWithRange(4, 0).empty());
    EXPECT_THROW(list.subarrayWithRange(3, 2), std::out_of_range);
    EXPECT_THROW(list.subarrayWithRange(-1, 1), std::out_of_range);
}

TEST(FrameListPlayhead, RemovingThePlayheadFrameLeavesTheReference) {
    FrameList list;
    addPictures(list, 2);
    FramePtr head = list.getFrameAtIndex(1);
    list.setFrameAtPlayhead(head);
    list.removeFrameAtIndex(0);
    EXPECT_EQ(list.frameAtPlayhead(), head);
    list.removeFrame(head);
    EXPECT_EQ(list.frameAtPlayhead(), head);
    EXPECT_EQ(list.getIndexForFrame(head), foundation::kNotFound);
}

}  // namespace
