#pragma once

// The YouTube Data API's service: version "v3" and the two JSON-RPC
// endpoints on the configured API host.

#include "components/google/GTLService.h"

#include <memory>
#include <string>

namespace google {

class GTLServiceYouTube : public GTLService {
public:
    // apiHost: "host" or "host:port" of the video service's API servers.
    static std::shared_ptr<GTLServiceYouTube> create(const std::string& apiHost);
    explicit GTLServiceYouTube(const std::string& apiHost);
};

}  // namespace google
