#pragma once

// A cookie store in memory: cookies replace older ones of the same name,
// domain and path, expired ones go away, and a request gets those whose
// domain and path match its address, longer paths first.

#include "components/google/GTMHTTPFetcherProtocols.h"

#include <mutex>
#include <vector>

namespace google {

class GTMCookieStorage : public GTMCookieStorageProtocol {
public:
    std::vector<net::HTTPCookie> cookiesForURL(const std::string& url) override;
    void setCookies(const std::vector<net::HTTPCookie>& cookies) override;

    // Every cookie still kept.
    std::vector<net::HTTPCookie> cookies() const;
    void deleteCookie(const net::HTTPCookie& cookie);
    void removeAllCookies();
    // Drops the cookies whose time has passed.
    void removeExpiredCookies();

private:
    mutable std::mutex mutex_;
    std::vector<net::HTTPCookie> cookies_;
};

}  // namespace google
