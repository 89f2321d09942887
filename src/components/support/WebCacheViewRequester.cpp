#include "components/support/WebCacheViewRequester.h"

#include <map>
#include <mutex>

namespace support {

namespace {

struct Entry {
    const WebCacheViewRequester* requester;
    std::weak_ptr<WebCacheViewRequester> weak;
};

// Cancelling takes this lock, so a cancel from another thread sees a whole entry.
std::mutex registryMutex;

std::map<const ui::View*, Entry>& registry() {
    static std::map<const ui::View*, Entry> entries;
    return entries;
}

}  // namespace

WebCacheViewRequester::WebCacheViewRequester(ui::View& view) : key_(&view), view_(view.weak_from_this()) {}

WebCacheViewRequester::~WebCacheViewRequester() {
    std::lock_guard guard(registryMutex);
    auto entry = registry().find(key_);
    if (entry != registry().end() && entry->second.requester == this) registry().erase(entry);
}

std::shared_ptr<WebCacheViewRequester> WebCacheViewRequester::find(const ui::View& view) {
    std::lock_guard guard(registryMutex);
    auto entry = registry().find(&view);
    if (entry == registry().end()) return nullptr;
    auto requester = entry->second.weak.lock();
    // A requester of an earlier view at the same address is not this view's.
    if (!requester || requester->view_.lock().get() != &view) return nullptr;
    return requester;
}

void WebCacheViewRequester::enter(const ui::View& view, const std::shared_ptr<WebCacheViewRequester>& requester) {
    std::lock_guard guard(registryMutex);
    registry()[&view] = Entry{requester.get(), requester};
}

void WebCacheViewRequester::cancelRequests(const ui::View& view) {
    auto requester = find(view);
    if (requester) SDWebImageManager::sharedManager().cancelForDelegate(requester.get());
}

}  // namespace support
