#include "app/render/LeftOutFiles.h"

#include "platform/foundation/Localized.h"

#include <algorithm>
#include <map>

void LeftOutFiles::addPicture(const Frame* frame, const std::string& fileName) {
    add({Kind::Picture, frame, fileName});
}

void LeftOutFiles::addSound(const Frame* frame, const std::string& fileName) { add({Kind::Sound, frame, fileName}); }

void LeftOutFiles::addFile(const std::string& pathInProject) { add({Kind::File, nullptr, pathInProject}); }

void LeftOutFiles::add(Item item) {
    std::lock_guard lock(mutex_);
    if (seen_.insert(item).second) items_.push_back(std::move(item));
}

bool LeftOutFiles::empty() const {
    std::lock_guard lock(mutex_);
    return items_.empty();
}

void LeftOutFiles::clear() {
    std::lock_guard lock(mutex_);
    items_.clear();
    seen_.clear();
}

std::optional<std::string> LeftOutFiles::text(const ExpandedFrames& frames) const {
    std::vector<Item> items;
    {
        std::lock_guard lock(mutex_);
        items = items_;
    }
    if (items.empty()) return std::nullopt;
    // A frame's number is its place among the movie's frames, as the strip
    // shows them one after the other.
    std::map<const Frame*, int64_t> numbers;
    int64_t number = 0;
    for (const ExpandedFrames::Run& run : frames.runs()) numbers.emplace(run.frame.get(), ++number);
    // Frames in movie order, then the folder's files by name.
    auto place = [&numbers](const Item& item) {
        auto found = numbers.find(std::get<1>(item));
        return std::tuple(found == numbers.end() ? INT64_MAX : found->second, std::get<0>(item), std::get<2>(item));
    };
    std::stable_sort(items.begin(), items.end(),
                     [&place](const Item& a, const Item& b) { return place(a) < place(b); });

    std::vector<std::string> named;
    for (size_t i = 0; i < items.size() && i < kMostNamed; ++i) {
        const auto& [kind, frame, file] = items[i];
        auto found = numbers.find(frame);
        if (kind == Kind::File || found == numbers.end()) {
            named.push_back(foundation::localizedFormat("“%@”", {file}));
            continue;
        }
        named.push_back(foundation::localizedFormat(
            kind == Kind::Picture ? "the picture of frame %@ (“%@”)" : "the sound of frame %@ (“%@”)",
            {found->second, file}));
    }
    if (items.size() > kMostNamed)
        named.push_back(foundation::localizedFormat("%@ more", {uint64_t(items.size() - kMostNamed)}));
    std::string list = named.front();
    for (size_t i = 1; i < named.size(); ++i)
        list += (i + 1 == named.size() ? foundation::localized(" and ") : std::string(", ")) + named[i];
    return foundation::localizedFormat("These files could not be read and were left out: %@.", {list});
}
