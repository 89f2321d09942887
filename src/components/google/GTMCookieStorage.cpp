#include "components/google/GTMCookieStorage.h"

#include "platform/foundation/Value.h"

#include <algorithm>

namespace google {

namespace {

double now() { return foundation::Date::now().unixTime(); }

}  // namespace

std::vector<net::HTTPCookie> GTMCookieStorage::cookiesForURL(const std::string& url) {
    std::lock_guard lock(mutex_);
    double time = now();
    std::vector<net::HTTPCookie> found;
    for (const net::HTTPCookie& cookie : cookies_)
        if (!cookie.isExpired(time) && cookie.matchesURL(url)) found.push_back(cookie);
    // RFC 6265 5.4: longer paths first; equal ones keep their age order.
    std::stable_sort(found.begin(), found.end(),
                     [](const net::HTTPCookie& a, const net::HTTPCookie& b) { return a.path.size() > b.path.size(); });
    return found;
}

void GTMCookieStorage::setCookies(const std::vector<net::HTTPCookie>& cookies) {
    std::lock_guard lock(mutex_);
    double time = now();
    for (const net::HTTPCookie& cookie : cookies) {
        std::erase_if(cookies_, [&](const net::HTTPCookie& kept) { return kept.isSameCookie(cookie); });
        // An expiry in the past is how a server deletes a cookie.
        if (!cookie.isExpired(time)) cookies_.push_back(cookie);
    }
}

std::vector<net::HTTPCookie> GTMCookieStorage::cookies() const {
    std::lock_guard lock(mutex_);
    return cookies_;
}

void GTMCookieStorage::deleteCookie(const net::HTTPCookie& cookie) {
    std::lock_guard lock(mutex_);
    std::erase_if(cookies_, [&](const net::HTTPCookie& kept) { return kept.isSameCookie(cookie); });
}

void GTMCookieStorage::removeAllCookies() {
    std::lock_guard lock(mutex_);
    cookies_.clear();
}

void GTMCookieStorage::removeExpiredCookies() {
    std::lock_guard lock(mutex_);
    double time = now();
    std::erase_if(cookies_, [&](const net::HTTPCookie& kept) { return kept.isExpired(time); });
}

}  // namespace google
