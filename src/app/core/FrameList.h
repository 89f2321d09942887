#pragma once

// The ordered frames of a project: pictures, theme cards and the capture slot
// (a frame of type 1) in front of which the next captured picture goes. It
// also remembers the frame under the playhead (a frame, not an index, so
// inserting or removing other frames leaves it on its frame) and derives the
// expanded list that playback and rendering walk.
//
// Main thread only, except for the playhead accessors, which are locked.

#include "app/core/ExpandedFrames.h"
#include "app/core/Frame.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Locked.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <vector>

class FrameList {
public:
    // A list holding one new capture slot, with the playhead on it.
    FrameList();
    // From the "frames.meta" dictionary form. A capture slot is appended when
    // none was stored; the playhead goes to entry 0.
    explicit FrameList(const foundation::Dictionary& dictionary);
    // The same, taking the entries out of `dictionary` as their frames are
    // made (from the last one on), so that a long stored list is never held
    // twice, once as values and once as frames. `dictionary` is left without
    // its frames.
    struct TakingEntries {};
    FrameList(foundation::Dictionary& dictionary, TakingEntries);
    // Whether every stored entry can be read as what it says
    // (Frame::checkDictionary); the first damaged entry's error otherwise.
    static foundation::Status checkStoredDictionary(const foundation::Dictionary& dictionary);

    // The "frames.meta" dictionary form: version, banner and frames in order.
    foundation::Dictionary encode() const;

    int64_t count() const { return static_cast<int64_t>(frames_.size()); }
    // Index of the first capture slot, or foundation::kNotFound.
    int64_t getCaptureIndex() const;
    FramePtr findFirstOccurrenceOfFrameWithType(int32_t type) const;
    bool containsFrameWithFrameID(const std::string& frameID) const;
    // None for an index outside the list.
    FramePtr getFrameAtIndex(int64_t index) const;
    // Index of that very object, or foundation::kNotFound.
    int64_t getIndexForFrame(const FramePtr& frame) const;
    // The entries of [location, location + length); throws std::out_of_range
    // when the range does not lie inside the list.
    std::vector<FramePtr> subarrayWithRange(int64_t location, int64_t length) const;

    // Appends without checking whether the frame is already present.
    void addFrame(FramePtr frame);
    // Inserts in front of the entry at index, appends for index ≥ count, and
    // ignores a negative index or a frame already in the list.
    void insertFrame(FramePtr frame, int64_t atIndex);
    // Inserts the frames in order in front of the entry at index (appends
    // for index ≥ count) at a cost that grows with the list once, not once
    // per frame; ignores a negative index, and leaves out frames already in
    // the list or given twice. Returns how many went in.
    int64_t insertFrames(const std::vector<FramePtr>& frames, int64_t atIndex);
    // Removes every occurrence of that object.
    void removeFrame(const FramePtr& frame);
    // Removes every occurrence of each, in one pass over the list.
    void removeFrames(const std::vector<FramePtr>& frames);
    // The list becomes exactly these entries, as they were before a change
    // that could not be kept.
    void restoreFrames(std::vector<FramePtr> frames) { frames_ = std::move(frames); }
    void removeFrameAtIndex(int64_t index);
    void removeFrameWithFrameType(int32_t type);

    // Each entry that is not a capture slot, repeated by its hold count
    // (entries with a hold below 1 are left out), as runs: the repeated list
    // is never built, its length being the sum of the holds.
    ExpandedFrames getExpandedFrameList() const { return ExpandedFrames(*this); }
    // The length of the expanded list, summed from the hold counts.
    int64_t expandedFrameCount() const;

    // Not checked against the list: removing the playhead frame leaves the
    // reference on the removed object until a caller moves it.
    FramePtr frameAtPlayhead() const { return frameAtPlayhead_.get(); }
    void setFrameAtPlayhead(FramePtr frame) { frameAtPlayhead_.set(std::move(frame)); }

    std::vector<FramePtr>::const_iterator begin() const { return frames_.begin(); }
    std::vector<FramePtr>::const_iterator end() const { return frames_.end(); }

private:
    std::vector<FramePtr> frames_;
    foundation::Locked<FramePtr> frameAtPlayhead_;
};
