#include "app/share/DropboxUploadQueue.h"

#include "app/core/FileUtil.h"
#include "app/share/Outbox.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kMaxNameBytes = 200;
// Keys of an entry in the list: its Outbox copy (relative) and where it goes.
constexpr const char* kListFileKey = "File";
constexpr const char* kListToKey = "To";
constexpr const char* kDefaultName = "My_Stop_Ziruru_Movie";

// Removes an Outbox copy away from the screen's thread: the pages of a large
// movie take a while to free. A copy left by a quit goes at the next launch,
// as no list names it any more.
void removeAway(const std::string& outboxPath) {
    if (outboxPath.empty()) return;
    foundation::DispatchQueue::global(foundation::QueuePriority::Background).async([outboxPath] {
        Outbox::removeEntry(outboxPath);
    });
}

}  // namespace

std::string dropboxPathForTitle(const std::string& title, const std::string& extension) {
    std::string printable;
    for (char c : title) {
        const auto byte = static_cast<unsigned char>(c);
        // Line breaks and other control characters make no name.
        printable += byte < 0x20 || byte == 0x7F ? ' ' : c;
    }
    std::string name = FileUtil::sanitizeFileNameString(printable);
    if (name.size() > kMaxNameBytes) {
        size_t end = kMaxNameBytes;
        while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
        name.resize(end);
    }
    if (name.find_first_not_of('_') == std::string::npos) name = kDefaultName;
    return "/" + name + (extension.empty() ? "" : "." + extension);
}

DropboxUploadQueue& DropboxUploadQueue::shared() {
    static DropboxUploadQueue queue(true);
    return queue;
}

DropboxUploadQueue::~DropboxUploadQueue() {
    // An application that ends while a copy is being made waits for it, so
    // the share is listed for the next launch all the same.
    bool waited = false;
    for (Entry& entry : entries_) {
        if (!entry.outboxPath.empty() || !entry.copy.valid()) continue;
        if (const auto& copy = entry.copy.get()) {
            entry.outboxPath = *copy;
            waited = true;
        }
    }
    if (waited) saveList();
}

foundation::Result<uint64_t> DropboxUploadQueue::enqueue(const std::string& path, const std::string& toPath,
                                                         Progress progress, Completion completion) {
    auto opened = std::make_shared<foundation::FileDescriptor>(foundation::FileDescriptor::open(path, O_RDONLY));
    struct stat info {};
    if (!opened->valid() || ::fstat(opened->get(), &info) != 0) return foundation::Error::posix(errno, path);
    if (!S_ISREG(info.st_mode)) return foundation::Error::posix(S_ISDIR(info.st_mode) ? EISDIR : EINVAL, path);
    const uint64_t identifier = nextIdentifier_++;
    // A large movie is copied away from the screen's thread, while it uploads.
    auto made = std::make_shared<std::promise<foundation::Result<std::string>>>();
    std::shared_future<foundation::Result<std::string>> copy = made->get_future().share();
    entries_.push_back({identifier, opened, path, copy, {}, toPath, std::move(progress), std::move(completion), false});
    std::weak_ptr<bool> alive = alive_;
    foundation::DispatchQueue::global().async(
        [this, alive, identifier, opened, made, copy, name = foundation::path::lastComponent(path)] {
            made->set_value(Outbox::addFile(*opened, name));
            // Once the queue is gone its entries are listed or not: the next
            // launch removes what no list keeps.
            foundation::DispatchQueue::main().async([this, alive, identifier, copy] {
                if (!alive.expired()) copied(identifier, copy.get());
            });
        });
    startNext();
    return identifier;
}

void DropboxUploadQueue::copied(uint64_t identifier, const foundation::Result<std::string>& copy) {
    if (!copy) {
        std::fprintf(stderr, "Dropbox: an upload cannot be kept for the next launch: %s\n",
                     copy.error().description.c_str());
        return;
    }
    auto entry = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.identifier == identifier; });
    if (entry == entries_.end()) {  // answered or cancelled meanwhile
        removeAway(*copy);
        return;
    }
    entry->outboxPath = *copy;
    saveList();
}

std::vector<std::string> DropboxUploadQueue::restore() {
    auto queued = [this](const std::string& link) {
        return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.outboxPath == link; });
    };
    if (keepsList_) {
        auto list = foundation::plist::readFile(Outbox::listPath(kListName));
        const foundation::Array items = list && list->isArray() ? list->asArray() : foundation::Array();
        for (const foundation::Value& item : items) {
            if (!item.isDictionary()) continue;
            auto file = item.asDictionary().get(kListFileKey).stringValue();
            auto toPath = item.asDictionary().get(kListToKey).stringValue();
            auto link = file ? Outbox::existingEntry(*file) : std::nullopt;
            if (!link || !toPath || !toPath->starts_with('/') || queued(*link)) continue;
            entries_.push_back({nextIdentifier_++, nullptr, {}, {}, *link, *toPath, nullptr, nullptr, false});
        }
        saveList();
    }
    std::vector<std::string> links;
    for (const Entry& entry : entries_) links.push_back(entry.outboxPath);
    return links;
}

void DropboxUploadQueue::saveList() const {
    if (!keepsList_) return;
    const std::string path = Outbox::listPath(kListName);
    if (entries_.empty()) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            std::fprintf(stderr, "Dropbox: %s\n", foundation::Error::posix(errno, path).description.c_str());
        return;
    }
    foundation::Array items;
    for (const Entry& entry : entries_) {
        auto file = Outbox::relativeEntryPath(entry.outboxPath);
        if (!file) continue;
        items.push_back(foundation::Dictionary{{kListFileKey, foundation::Value(*file)},
                                               {kListToKey, foundation::Value(entry.toPath)}});
    }
    if (auto written = foundation::plist::writeFile(foundation::Value(items), path); !written)
        std::fprintf(stderr, "Dropbox: the waiting uploads could not be noted: %s\n",
                     written.error().description.c_str());
}

void DropboxUploadQueue::startNext() {
    if (running_ || entries_.empty()) return;
    if (!transport_) {
        finishFront(foundation::Error("DropboxUploadQueue", 1, "Dropbox is not set up on this computer."));
        return;
    }
    running_ = true;
    const uint64_t attempt = ++attempt_;
    Entry& entry = entries_.front();
    const uint64_t identifier = entry.identifier;
    std::weak_ptr<bool> alive = alive_;
    transport_->upload(
        entry.opened ? entry.queuedPath : entry.outboxPath, entry.opened, entry.toPath,
        [this, alive, attempt](double fraction) {
            if (alive.expired() || attempt != attempt_ || entries_.empty()) return;
            if (entries_.front().progress) entries_.front().progress(fraction);
        },
        [this, alive, attempt, identifier](const std::optional<foundation::Error>& error) {
            if (alive.expired() || attempt != attempt_) return;
            answered(identifier, error);
        });
}

void DropboxUploadQueue::answered(uint64_t identifier, const std::optional<foundation::Error>& error) {
    if (entries_.empty() || entries_.front().identifier != identifier) return;
    Entry& entry = entries_.front();
    if (error && error->code == kUnauthorizedCode && !entry.retried && relink_) {
        // The queue waits for the answer: nothing else goes out with a dead link.
        entry.retried = true;
        const uint64_t attempt = ++attempt_;
        std::weak_ptr<bool> alive = alive_;
        relink_([this, alive, attempt, identifier, error](bool relinked) {
            if (alive.expired() || attempt != attempt_) return;
            if (entries_.empty() || entries_.front().identifier != identifier) return;
            if (!relinked) {
                finishFront(error);
                return;
            }
            running_ = false;
            startNext();
        });
        return;
    }
    finishFront(error);
}

void DropboxUploadQueue::finishFront(const std::optional<foundation::Error>& error) {
    Entry entry = std::move(entries_.front());
    entries_.pop_front();
    running_ = false;
    removeAway(entry.outboxPath);
    saveList();
    if (entry.completion) entry.completion(error);
    startNext();
}

void DropboxUploadQueue::cancel(uint64_t identifier) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->identifier != identifier) continue;
        const bool front = it == entries_.begin();
        removeAway(it->outboxPath);
        entries_.erase(it);
        saveList();
        if (front && running_) {
            ++attempt_;
            running_ = false;
            if (transport_) transport_->cancel();
            startNext();
        }
        return;
    }
}
