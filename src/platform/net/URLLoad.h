#pragma once

// One whole load on the calling thread: the transfer and every redirect it
// leads to. Shared by the connection that hands over the body whole and the
// one that streams it.

#include "platform/net/CurlTransfer.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLConnection.h"

#include <functional>

namespace net::detail {

// Called on the loading thread with the head of the response that ends the
// load (never a redirect that is followed); answering true streams its body
// to control.onBodyChunk.
using FinalResponseHead = std::function<bool(const HTTPURLResponse& response)>;

// Loads `request`, following redirects as URLConnection describes. With
// `onFinalHead` set, `control.onResponseHead` is taken over for it.
URLLoadResult loadFollowingRedirects(URLRequest request, const TransferControl& control,
                                     const FinalResponseHead& onFinalHead = {});

}  // namespace net::detail
