#include "app/core/FrameList.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_set>

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

namespace {
constexpr double kFrameListVersion = 4.0;
constexpr const char* kFrameListInfo = "Tollivar frame list";
}  // namespace

FrameList::FrameList() {
    frames_.reserve(20);
    frames_.push_back(Frame::create(Frame::kTypeCaptureSlot));
    frameAtPlayhead_.set(frames_.front());
}

FrameList::FrameList(const Dictionary& dictionary) {
    frames_.reserve(20);
    for (const Value& entry : dictionary.get("FRAMELIST_DATA").asArray()) {
        // An entry that is not a dictionary cannot be a frame; reading it as
        // an empty one would invent a picture frame with no files.
        if (entry.isDictionary()) frames_.push_back(Frame::createWithDictionary(entry.asDictionary()));
    }
    if (getCaptureIndex() == foundation::kNotFound) frames_.push_back(Frame::create(Frame::kTypeCaptureSlot));
    frameAtPlayhead_.set(frames_.front());
}

FrameList::FrameList(Dictionary& dictionary, TakingEntries) {
    Array entries = dictionary.get("FRAMELIST_DATA").asArray();
    dictionary.remove("FRAMELIST_DATA");
    frames_.reserve(entries.size() + 1);
    // From the back, where taking an entry out moves nothing.
    while (!entries.empty()) {
        const size_t last = entries.size() - 1;
        if (entries[last].isDictionary()) frames_.push_back(Frame::createWithDictionary(entries[last].asDictionary()));
        entries.erase(last);
    }
    std::reverse(frames_.begin(), frames_.end());
    if (getCaptureIndex() == foundation::kNotFound) frames_.push_back(Frame::create(Frame::kTypeCaptureSlot));
    frameAtPlayhead_.set(frames_.front());
}

foundation::Status FrameList::checkStoredDictionary(const Dictionary& dictionary) {
    for (const Value& entry : dictionary.get("FRAMELIST_DATA").asArray()) {
        if (!entry.isDictionary()) continue;
        if (foundation::Status checked = Frame::checkDictionary(entry.asDictionary()); !checked) return checked;
    }
    return foundation::Status::success();
}

Dictionary FrameList::encode() const {
    Array frames;
    for (const FramePtr& frame : frames_) frames.push_back(frame->encode());
    Dictionary dictionary;
    dictionary.set("FRAMELIST_VERSION", Value::real(kFrameListVersion));
    dictionary.set("FRAMELIST_INFO", kFrameListInfo);
    dictionary.set("FRAMELIST_DATA", frames);
    return dictionary;
}

int64_t FrameList::getCaptureIndex() const {
    for (size_t i = 0; i < frames_.size(); ++i)
        if (frames_[i]->type() == Frame::kTypeCaptureSlot) return static_cast<int64_t>(i);
    return foundation::kNotFound;
}

FramePtr FrameList::findFirstOccurrenceOfFrameWithType(int32_t type) const {
    auto it = std::find_if(frames_.begin(), frames_.end(), [type](const FramePtr& f) { return f->type() == type; });
    return it == frames_.end() ? nullptr : *it;
}

bool FrameList::containsFrameWithFrameID(const std::string& frameID) const {
    return std::any_of(frames_.begin(), frames_.end(), [&](const FramePtr& f) { return f->frameID() == frameID; });
}

FramePtr FrameList::getFrameAtIndex(int64_t index) const {
    if (index < 0 || index >= count()) return nullptr;
    return frames_[static_cast<size_t>(index)];
}

int64_t FrameList::getIndexForFrame(const FramePtr& frame) const {
    auto it = std::find(frames_.begin(), frames_.end(), frame);
    return it == frames_.end() || !frame ? foundation::kNotFound : static_cast<int64_t>(it - frames_.begin());
}

std::vector<FramePtr> FrameList::subarrayWithRange(int64_t location, int64_t length) const {
    if (location < 0 || length < 0 || location > count() || length > count() - location)
        throw std::out_of_range("FrameList::subarrayWithRange: range outside the list");
    auto first = frames_.begin() + location;
    return {first, first + length};
}

void FrameList::addFrame(FramePtr frame) {
    if (frame) frames_.push_back(std::move(frame));
}

void FrameList::insertFrame(FramePtr frame, int64_t atIndex) {
    if (!frame || atIndex < 0 || getIndexForFrame(frame) != foundation::kNotFound) return;
    if (atIndex >= count())
        frames_.push_back(std::move(frame));
    else
        frames_.insert(frames_.begin() + atIndex, std::move(frame));
}

int64_t FrameList::insertFrames(const std::vector<FramePtr>& frames, int64_t atIndex) {
    if (atIndex < 0) return 0;
    std::unordered_set<const Frame*> present;
    for (const FramePtr& listed : frames_) present.insert(listed.get());
    std::vector<FramePtr> added;
    added.reserve(frames.size());
    for (const FramePtr& frame : frames)
        if (frame && present.insert(frame.get()).second) added.push_back(frame);
    const auto at = frames_.begin() + std::min(atIndex, count());
    frames_.insert(at, added.begin(), added.end());
    return static_cast<int64_t>(added.size());
}

void FrameList::removeFrame(const FramePtr& frame) { std::erase(frames_, frame); }

void FrameList::removeFrames(const std::vector<FramePtr>& frames) {
    std::unordered_set<const Frame*> going;
    for (const FramePtr& frame : frames) going.insert(frame.get());
    std::erase_if(frames_, [&](const FramePtr& frame) { return going.contains(frame.get()); });
}

void FrameList::removeFrameAtIndex(int64_t index) {
    if (index >= 0 && index < count()) frames_.erase(frames_.begin() + index);
}

void FrameList::removeFrameWithFrameType(int32_t type) {
    std::erase_if(frames_, [type](const FramePtr& f) { return f->type() == type; });
}

int64_t FrameList::expandedFrameCount() const { return getExpandedFrameList().count(); }
