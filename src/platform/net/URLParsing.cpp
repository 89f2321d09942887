#include "platform/net/URLParsing.h"

#include "platform/net/URLError.h"

#include <algorithm>
#include <curl/curl.h>
#include <memory>

namespace net {

namespace {

struct URLHandleDeleter {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
using URLHandle = std::unique_ptr<CURLU, URLHandleDeleter>;

std::optional<std::string> part(CURLU* handle, CURLUPart which, unsigned flags = 0) {
    char* text = nullptr;
    if (curl_url_get(handle, which, &text, flags) != CURLUE_OK || !text) return std::nullopt;
    std::string result(text);
    curl_free(text);
    return result;
}

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

}  // namespace

foundation::Result<URLOrigin> originOfURL(const std::string& url) {
    URLHandle handle(curl_url());
    if (!handle) return urlError(kURLErrorUnknown);
    // Without CURLU_NON_SUPPORT_SCHEME curl would refuse schemes it was built
    // without before we could tell "unsupported" from "malformed".
    if (curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        return urlError(kURLErrorBadURL);
    URLOrigin origin;
    origin.scheme = lowercase(part(handle.get(), CURLUPART_SCHEME).value_or(""));
    if (origin.scheme != "http" && origin.scheme != "https") return urlError(kURLErrorUnsupportedURL);
    std::optional<std::string> host = part(handle.get(), CURLUPART_HOST);
    if (!host || host->empty()) return urlError(kURLErrorBadURL);
    origin.host = lowercase(*host);
    std::optional<std::string> port = part(handle.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    origin.port = port ? std::atoi(port->c_str()) : 0;
    return origin;
}

std::optional<std::string> resolveURL(const std::string& base, const std::string& reference) {
    URLHandle handle(curl_url());
    if (!handle) return std::nullopt;
    if (curl_url_set(handle.get(), CURLUPART_URL, base.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        return std::nullopt;
    // Setting a URL on a handle that already holds one resolves it relative to that.
    if (curl_url_set(handle.get(), CURLUPART_URL, reference.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        return std::nullopt;
    // The fragment stays with the page that asked for it, not the server.
    curl_url_set(handle.get(), CURLUPART_FRAGMENT, nullptr, 0);
    return part(handle.get(), CURLUPART_URL);
}

std::optional<RedirectStep> redirectFor(int statusCode, const std::optional<std::string>& location,
                                        const std::string& currentURL, const std::string& method) {
    if (statusCode != 301 && statusCode != 302 && statusCode != 303 && statusCode != 307 && statusCode != 308)
        return std::nullopt;
    if (!location || location->empty()) return std::nullopt;
    std::optional<std::string> next = resolveURL(currentURL, *location);
    if (!next) return std::nullopt;
    RedirectStep step{*next, method, true};
    bool becomesGet =
        (statusCode == 303 && method != "HEAD") || ((statusCode == 301 || statusCode == 302) && method == "POST");
    if (becomesGet) {
        step.method = "GET";
        step.keepsBody = false;
    }
    return step;
}

std::optional<std::string> percentDecoded(std::string_view text, bool plusIsSpace) {
    auto hexValue = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+' && plusIsSpace) {
            decoded += ' ';
        } else if (text[i] == '%') {
            if (i + 2 >= text.size()) return std::nullopt;
            int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            decoded += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

}  // namespace net
