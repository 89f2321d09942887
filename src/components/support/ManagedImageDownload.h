#pragma once

// The image manager's downloads over the network: each is an
// SDWebImageDownloader whose answers go to the manager that started it.
//
//     auto manager = SDWebImageManager::create(cache, support::startManagedImageDownload);

#include "components/support/SDWebImageManager.h"

#include <any>
#include <memory>
#include <string>

namespace support {

// A started download of `url` (a WebImageDownloadStarter). The manager owns
// the result; once it lets go, the download's answers go nowhere.
std::shared_ptr<WebImageDownload> startManagedImageDownload(const std::string& url, std::any userInfo, bool lowPriority,
                                                            std::weak_ptr<SDWebImageManager> manager);

}  // namespace support
