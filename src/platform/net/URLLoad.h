#pragma once

// One whole load on the calling thread: the transfer and every redirect it
// leads to. Shared by the connection that hands over the body whole and the
// one that streams it.

#include "platform/net/CurlTransfer.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLParsing.h"

#include <functional>

namespace net::detail {

// Called on the loading thread with the head of the response that ends the
// load (never a redirect that is followed); answering true streams its body
// to control.onBodyChunk.
using FinalResponseHead = std::function<bool(const HTTPURLResponse& response)>;

// The request that follows `hop` (sent to `origin`) through a redirect:
// credentials stay behind when scheme, host or port change, and the body
// when the method becomes GET. An error for a target we do not load.
foundation::Result<URLRequest> requestAfterRedirect(const URLRequest& hop, const URLOrigin& origin,
                                                    const RedirectStep& step);

// Loads `request`, following redirects as URLConnection describes. With
// `onFinalHead` set, `control.onResponseHead` is taken over for it.
URLLoadResult loadFollowingRedirects(URLRequest request, const TransferControl& control,
                                     const FinalResponseHead& onFinalHead = {});

}  // namespace net::detail
