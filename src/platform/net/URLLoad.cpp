#include "platform/net/URLLoad.h"

#include "platform/net/URLError.h"
#include "platform/net/URLParsing.h"

namespace net::detail {

namespace {

// Header fields that carry the caller's identity or describe a body; which of
// them survive a redirect depends on where it leads and what it does.
constexpr const char* kCredentialFields[] = {"Authorization", "Cookie", "Proxy-Authorization"};
constexpr const char* kBodyFields[] = {"Content-Type", "Content-Length", "Content-Encoding", "Content-Language",
                                       "Content-Location"};

}  // namespace

foundation::Result<URLRequest> requestAfterRedirect(const URLRequest& hop, const URLOrigin& origin,
                                                    const RedirectStep& step) {
    foundation::Result<URLOrigin> nextOrigin = originOfURL(step.url);
    if (!nextOrigin) return nextOrigin.error();
    URLRequest next = hop;
    if (!(*nextOrigin == origin)) {
        for (const char* field : kCredentialFields) next.headers.remove(field);
        next.digestCredential.reset();
    }
    if (!step.keepsBody) {
        next.httpBody.clear();
        next.httpBodyFile.reset();
        for (const char* field : kBodyFields) next.headers.remove(field);
    }
    next.url = step.url;
    next.httpMethod = step.method;
    return next;
}

URLLoadResult loadFollowingRedirects(URLRequest hop, const TransferControl& control,
                                     const FinalResponseHead& onFinalHead) {
    for (int redirects = 0;; ++redirects) {
        foundation::Result<URLOrigin> origin = originOfURL(hop.url);
        if (!origin) return {std::nullopt, {}, origin.error()};
        if (control.cancelled && control.cancelled->load())
            return {std::nullopt, {}, urlError(kURLErrorCancelled, origin->host)};

        TransferControl hopControl = control;
        if (onFinalHead) {
            // A redirect that will be followed keeps its (small) body to
            // itself; only the answer that ends the load is announced.
            hopControl.onResponseHead = [&hop, &onFinalHead](int statusCode, const HTTPHeaders& headers) {
                if (redirectFor(statusCode, headers.value("Location"), hop.url, hop.httpMethod)) return false;
                return onFinalHead(HTTPURLResponse{hop.url, statusCode, headers});
            };
        }
        TransferOutcome outcome = performTransfer(hop, origin->host, hopControl);
        if (outcome.error) return {std::nullopt, {}, outcome.error};

        std::optional<RedirectStep> step =
            redirectFor(outcome.statusCode, outcome.headers.value("Location"), hop.url, hop.httpMethod);
        if (!step) {
            HTTPURLResponse response{hop.url, outcome.statusCode, std::move(outcome.headers)};
            return {std::move(response), std::move(outcome.body), std::nullopt};
        }
        if (redirects == URLConnection::kMaximumRedirects)
            return {std::nullopt, {}, urlError(kURLErrorHTTPTooManyRedirects)};

        foundation::Result<URLRequest> next = requestAfterRedirect(hop, *origin, *step);
        if (!next) return {std::nullopt, {}, next.error()};
        hop = std::move(*next);
    }
}

}  // namespace net::detail
