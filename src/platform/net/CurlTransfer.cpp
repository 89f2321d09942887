#include "platform/net/CurlTransfer.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/net/ResponseHead.h"
#include "platform/net/SocketCork.h"
#include "platform/net/URLError.h"
#include "platform/net/URLParsing.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <curl/curl.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <unistd.h>
#include <vector>

namespace net::detail {

namespace {

// How often the transfer loop looks at the cancel flag and the idle time
// when the network is quiet.
constexpr int kPollMilliseconds = 20;
// Bodies at least this long are written into a corked socket (SocketCork.h).
constexpr uint64_t kCorkedBodyLength = 64 * 1024;

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

// Transfers of the whole process share TLS sessions and DNS answers. Open
// connections live in a multi handle's cache, which curl lets only one
// thread use at a time; so a finished transfer hands its multi handle back
// to a pool, and the next transfer to the same origin takes it up with the
// kept-alive connection inside instead of a new TCP and TLS handshake.
//
// Each transfer has an easy handle of its own, made for it and cleaned up
// after it. An easy handle is never reset and used again: curl 7.88 keeps a
// pointer to the last field line of a handle's previous response across
// curl_easy_reset, and a folded first field line of the next response
// (" a: 1") is glued onto that freed memory. Any device on the network can
// send such a reply.
class TransferHandles {
public:
    struct Pooled {
        std::unique_ptr<CURLM, MultiDeleter> multi;
        std::string origin;
        // What curl opened for the multi handle's connections, the cached
        // one among them.
        OpenedSockets sockets;
    };

    static TransferHandles& shared() {
        static TransferHandles* handles = new TransferHandles;  // transfers may run until exit
        return *handles;
    }

    Pooled take(const std::string& origin) {
        {
            std::lock_guard lock(mutex_);
            auto found = std::find_if(idle_.begin(), idle_.end(), [&](const Pooled& p) { return p.origin == origin; });
            if (found != idle_.end()) {
                Pooled pooled = std::move(*found);
                idle_.erase(found);
                return pooled;
            }
        }
        Pooled pooled{std::unique_ptr<CURLM, MultiDeleter>(curl_multi_init()), origin, {}};
        if (pooled.multi) curl_multi_setopt(pooled.multi.get(), CURLMOPT_MAXCONNECTS, 1L);
        return pooled;
    }

    // A multi handle whose transfer completed (and was removed from it); its
    // connection stays open for reuse.
    void give(Pooled pooled) {
        std::lock_guard lock(mutex_);
        if (idle_.size() >= kMaximumIdle) idle_.erase(idle_.begin());
        idle_.push_back(std::move(pooled));
    }

    CURLSH* share() const { return share_; }

private:
    static constexpr size_t kMaximumIdle = 8;

    TransferHandles() : share_(curl_share_init()) {
        if (!share_) return;
        curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, lock);
        curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, unlock);
        curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* context) {
        static_cast<TransferHandles*>(context)->shareMutexes_[slot(data)].lock();
    }
    static void unlock(CURL*, curl_lock_data data, void* context) {
        static_cast<TransferHandles*>(context)->shareMutexes_[slot(data)].unlock();
    }
    static size_t slot(curl_lock_data data) { return static_cast<size_t>(data) % CURL_LOCK_DATA_LAST; }

    std::mutex mutex_;
    std::vector<Pooled> idle_;
    std::mutex shareMutexes_[CURL_LOCK_DATA_LAST];
    CURLSH* share_;
};

struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct TransferState {
    CURL* easy = nullptr;
    const TransferControl* control = nullptr;
    TransferOutcome* outcome = nullptr;
    TransferProgress progress;
    TransferProgress reported;  // the last progress passed on
    std::chrono::steady_clock::time_point reportedAt;
    bool active = false;  // something moved since the loop last looked
    bool failedInCallback = false;
    bool streamsBody = false;  // the body goes to control->onBodyChunk
    // A body read as it is sent: from a file range when bodyDescriptor is
    // set (the request's open file, or openedBodyFile), else from memory
    // (bodyBytes).
    foundation::FileDescriptor openedBodyFile;
    int bodyDescriptor = -1;
    const uint8_t* bodyBytes = nullptr;
    uint64_t bodyStart = 0;
    uint64_t bodyLength = 0;
    uint64_t bodyOffset = 0;
    uint64_t bodyLeft = 0;
    bool bodyReadFailed = false;
    const URLRequest* request = nullptr;
    bool digestAnswered = false;
    bool responseBegan = false;  // a status line arrived on this transfer
    bool bodyReplayRefused = false;
    // The connection the request goes out on, once curl has one, and the
    // cork on its socket while curl writes a large body.
    const OpenedSockets* sockets = nullptr;
    std::optional<ConnectionEnds> connection;
    SocketCork cork;
    bool corkTried = false;
};

size_t onBody(char* data, size_t size, size_t count, void* context) {
    auto* state = static_cast<TransferState*>(context);
    size_t length = size * count;
    try {
        if (state->streamsBody)
            state->control->onBodyChunk(reinterpret_cast<const uint8_t*>(data), length);
        else
            state->outcome->body.insert(state->outcome->body.end(), data, data + length);
    } catch (...) {
        state->failedInCallback = true;
        return 0;  // makes curl stop with a write error
    }
    state->active = true;
    return length;
}

size_t onHeaderLine(char* data, size_t size, size_t count, void* context) {
    auto* state = static_cast<TransferState*>(context);
    size_t length = size * count;
    state->active = true;
    try {
        switch (readResponseHeadLine(std::string_view(data, length), state->outcome->headers)) {
        case ResponseHeadLine::StatusLine:
            state->responseBegan = true;
            // A new status line: an interim 1xx response (or a proxy's) came
            // before; only the last response's fields describe the body.
            state->outcome->headers = HTTPHeaders();
            state->outcome->body.clear();
            break;
        case ResponseHeadLine::EndOfHead:
            if (state->control->onResponseHead) {
                long status = 0;
                curl_easy_getinfo(state->easy, CURLINFO_RESPONSE_CODE, &status);
                // The first 401 of a request with a Digest credential is the
                // challenge curl answers itself; only its answer counts.
                bool digestChallenge = status == 401 && state->request->digestCredential && !state->digestAnswered;
                if (digestChallenge) state->digestAnswered = true;
                if (status >= 200 && !digestChallenge) {
                    state->streamsBody =
                        state->control->onResponseHead(static_cast<int>(status), state->outcome->headers) &&
                        state->control->onBodyChunk;
                }
            }
            break;
        case ResponseHeadLine::Field:
        case ResponseHeadLine::Ignored:
            break;
        }
    } catch (...) {
        state->failedInCallback = true;
        return 0;
    }
    return length;
}

size_t onReadBody(char* buffer, size_t size, size_t count, void* context) {
    auto* state = static_cast<TransferState*>(context);
    size_t wanted = static_cast<size_t>(std::min<uint64_t>(state->bodyLeft, uint64_t(size) * count));
    if (wanted == 0) return 0;
    // The first read of a large body: nothing of it is written yet.
    if (!state->corkTried && state->bodyLeft >= kCorkedBodyLength && state->connection) {
        state->corkTried = true;
        state->cork.attach(*state->sockets, *state->connection);
    }
    if (state->bodyDescriptor < 0) {
        std::memcpy(buffer, state->bodyBytes + state->bodyOffset, wanted);
        state->bodyOffset += wanted;
        state->bodyLeft -= wanted;
        state->active = true;
        return wanted;
    }
    for (;;) {
        ssize_t got = ::pread(state->bodyDescriptor, buffer, wanted, static_cast<off_t>(state->bodyOffset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            // The file shrank or cannot be read: stop rather than send a short body.
            state->bodyReadFailed = true;
            return CURL_READFUNC_ABORT;
        }
        state->bodyOffset += static_cast<uint64_t>(got);
        state->bodyLeft -= static_cast<uint64_t>(got);
        state->active = true;
        return static_cast<size_t>(got);
    }
}

// curl rewinds the body when it must send it again: to answer an
// authentication challenge, or, with no answer at all, when a kept-alive
// connection turned out dead. In the second case some of the body may
// already have reached the server (a line cut mid-upload), and a silent
// resend on a fresh connection would hide that from the caller, who may
// know better (a resumable upload asks the server what it holds). So a
// body is rewound after a response only, or while none of it went out;
// otherwise the transfer fails as a lost connection.
int onSeekBody(void* context, curl_off_t offset, int origin) {
    auto* state = static_cast<TransferState*>(context);
    if (origin != SEEK_SET || offset < 0 || uint64_t(offset) > state->bodyLength) return CURL_SEEKFUNC_FAIL;
    if (!state->responseBegan && state->bodyOffset != state->bodyStart) {
        state->bodyReplayRefused = true;
        return CURL_SEEKFUNC_FAIL;
    }
    state->bodyOffset = state->bodyStart + uint64_t(offset);
    state->bodyLeft = state->bodyLength - uint64_t(offset);
    state->corkTried = false;  // a body sent again is corked again
    return CURL_SEEKFUNC_OK;
}

// Replaces the trust store that curl built with one holding only the
// request's anchors; certificates that do not parse are left out.
CURLcode installAnchorCertificates(CURL*, void* sslContext, void* context) {
    const auto* request = static_cast<const URLRequest*>(context);
    X509_STORE* store = X509_STORE_new();
    if (!store) return CURLE_OUT_OF_MEMORY;
    for (const foundation::Bytes& der : request->anchorCertificates) {
        const unsigned char* cursor = der.data();
        X509* certificate = d2i_X509(nullptr, &cursor, static_cast<long>(der.size()));
        if (!certificate) continue;
        X509_STORE_add_cert(store, certificate);
        X509_free(certificate);
    }
    SSL_CTX_set_cert_store(static_cast<SSL_CTX*>(sslContext), store);  // the context owns it now
    return CURLE_OK;
}

int noteOpenedSocket(void* context, curl_socket_t socket, curlsocktype purpose) {
    if (purpose == CURLSOCKTYPE_IPCXN) static_cast<OpenedSockets*>(context)->note(socket);
    return CURL_SOCKOPT_OK;
}

// Called once curl has a connection for the request, new or kept alive,
// before the request goes out on it.
int noteConnection(void* context, char* peerAddress, char* localAddress, int peerPort, int localPort) {
    auto* state = static_cast<TransferState*>(context);
    state->connection = ConnectionEnds{localAddress, localPort, peerAddress, peerPort};
    // A request sent again (on this connection or another) is corked anew
    // once its body is read, on whatever socket it goes out on.
    state->cork.detach();
    state->corkTried = false;
    return CURL_PREREQFUNC_OK;
}

// After a pass of curl's that may have written some of the body: what the
// cork held back goes out before the transfer waits, and once curl has
// written the whole body, the socket is corked no more.
void releaseCorkAfterPass(CURL* easy, TransferState& state) {
    if (!state.cork.isAttached()) return;
    state.cork.release();
    curl_off_t sent = 0;
    if (curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &sent) == CURLE_OK && uint64_t(sent) >= state.bodyLength)
        state.cork.detach();
}

// Whether `now` finishes sending or receiving, which `before` had not.
bool finishesASide(const TransferProgress& before, const TransferProgress& now) {
    auto finishes = [](int64_t done, int64_t total, int64_t doneBefore) {
        return total > 0 && done == total && doneBefore != done;
    };
    return finishes(now.bytesSent, now.bytesToSend, before.bytesSent) ||
           finishes(now.bytesReceived, now.bytesToReceive, before.bytesReceived);
}

// Passes the progress on when it changed since the last report: at once
// when it is the first, finishes a side or `always`, else once the interval
// since the last report is over.
void reportProgress(TransferState& state, bool always) {
    if (!state.control->onProgress || state.progress == state.reported) return;
    const auto now = std::chrono::steady_clock::now();
    const bool first = state.reported == TransferProgress{};
    if (!always && !first && !finishesASide(state.reported, state.progress) &&
        now - state.reportedAt < kProgressInterval)
        return;
    state.reported = state.progress;
    state.reportedAt = now;
    state.control->onProgress(state.progress);
}

int onProgress(void* context, curl_off_t downloadTotal, curl_off_t downloaded, curl_off_t uploadTotal,
               curl_off_t uploaded) {
    auto* state = static_cast<TransferState*>(context);
    TransferProgress now{uploaded, uploadTotal, downloaded, downloadTotal};
    if (now == state->progress) return 0;
    if (now.bytesSent != state->progress.bytesSent || now.bytesReceived != state->progress.bytesReceived)
        state->active = true;
    state->progress = now;
    reportProgress(*state, false);
    return 0;
}

std::unique_ptr<curl_slist, ListDeleter> headerList(const URLRequest& request) {
    curl_slist* list = nullptr;
    auto append = [&](const std::string& line) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (grown) list = grown;
    };
    for (const auto& [name, value] : request.headers.fields()) {
        // "Name;" is curl's way of sending a field with an empty value.
        append(value.empty() ? name + ";" : name + ": " + value);
    }
    // curl waits for "100 Continue" before larger bodies; many servers never
    // send it, which costs a second per upload.
    if (!request.headers.contains("Expect")) append("Expect:");
    // curl would label a file's bytes as a form; they are whatever the
    // caller says, or unlabelled.
    if (request.httpBodyFile && !request.headers.contains("Content-Type")) append("Content-Type:");
    return std::unique_ptr<curl_slist, ListDeleter>(list);
}

void configureMethod(CURL* easy, const URLRequest& request, TransferState& state) {
    const std::string& method = request.httpMethod;
    if (method == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        return;
    }
    // Bodies go through the reader, never curl's own copy, so that curl
    // cannot resend one without asking (see onSeekBody).
    const bool readsBody = request.httpBodyFile || !request.httpBody.empty();
    if (readsBody) {
        if (request.httpBodyFile) {
            state.bodyStart = state.bodyOffset = request.httpBodyFile->offset;
            state.bodyLength = state.bodyLeft = request.httpBodyFile->length;
        } else {
            state.bodyBytes = request.httpBody.data();
            state.bodyLength = state.bodyLeft = request.httpBody.size();
        }
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(state.bodyLeft));
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, onReadBody);
        curl_easy_setopt(easy, CURLOPT_READDATA, &state);
        curl_easy_setopt(easy, CURLOPT_SEEKFUNCTION, onSeekBody);
        // Large reads: a file body is megabytes, and each read is a system call.
        curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, 512L * 1024);
        curl_easy_setopt(easy, CURLOPT_SEEKDATA, &state);
        if (method != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
        return;
    }
    if (method == "GET") {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        return;
    }
    if (method == "POST") {
        // An empty body: nothing that could be resent.
        static const char kNoBody[] = "";
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t{0});
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, kNoBody);
    }
    if (method != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
}

}  // namespace

TransferOutcome performTransfer(const URLRequest& request, const std::string& host, const TransferControl& control) {
    initialiseCurlOnce();
    // Transfers run on pool threads and may wait on a server for minutes (a
    // held stream, a slow upload); the pool must not run short of workers
    // for the queues meanwhile, the ones delivering this transfer's data included.
    foundation::ScopedBlockingWork waitingOnTheNetwork;
    TransferOutcome outcome;
    std::string originKey;
    if (foundation::Result<URLOrigin> origin = originOfURL(request.url))
        originKey = origin->scheme + "://" + origin->host + ":" + std::to_string(origin->port);
    TransferHandles::Pooled pooled = TransferHandles::shared().take(originKey);
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    auto& multi = pooled.multi;
    if (!easy || !multi) {
        outcome.error = urlError(kURLErrorUnknown, host);
        return outcome;
    }
    TransferState state;
    state.easy = easy.get();
    state.control = &control;
    state.outcome = &outcome;
    state.request = &request;
    auto headers = headerList(request);
    if (request.httpBodyFile && request.httpMethod != "HEAD") {
        int failure = 0;
        if (const auto& open = request.httpBodyFile->descriptor) {
            state.bodyDescriptor = open->get();
            if (state.bodyDescriptor < 0) failure = EBADF;
        } else {
            state.openedBodyFile = foundation::FileDescriptor::open(request.httpBodyFile->path, O_RDONLY);
            state.bodyDescriptor = state.openedBodyFile.get();
            if (state.bodyDescriptor < 0) failure = errno;
        }
        if (failure) {
            outcome.error = foundation::Error::posix(failure, request.httpBodyFile->path);
            return outcome;
        }
    }

    CURL* e = easy.get();
    curl_easy_setopt(e, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!request.anchorCertificates.empty()) {
        // The anchors replace the trust store, so curl need not read the
        // system's bundle into it first: that parse of a few hundred
        // certificates costs tens of milliseconds a connection.
        curl_easy_setopt(e, CURLOPT_CAINFO, nullptr);
        curl_easy_setopt(e, CURLOPT_CAPATH, nullptr);
        curl_easy_setopt(e, CURLOPT_SSL_CTX_FUNCTION, installAnchorCertificates);
        curl_easy_setopt(e, CURLOPT_SSL_CTX_DATA, const_cast<URLRequest*>(&request));
        curl_easy_setopt(e, CURLOPT_SSL_SESSIONID_CACHE, 0L);
        // curl caches the trust store a multi handle's handshake used and
        // gives it to the handle's next handshake; from a pooled handle that
        // is the store of an earlier request's anchors, not this one's.
        curl_easy_setopt(e, CURLOPT_CA_CACHE_TIMEOUT, 0L);
        curl_easy_setopt(e, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
    } else if (control.additionalCertificateAuthorities) {
        // CAINFO replaces curl's default bundle file; the system's hashed
        // folder keeps every ordinary certificate authority trusted as well.
        curl_easy_setopt(e, CURLOPT_CAINFO, control.additionalCertificateAuthorities->c_str());
        curl_easy_setopt(e, CURLOPT_CAPATH, "/etc/ssl/certs");
    }
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
    configureMethod(e, request, state);
    if (request.digestCredential) {
        curl_easy_setopt(e, CURLOPT_HTTPAUTH, CURLAUTH_DIGEST);
        curl_easy_setopt(e, CURLOPT_USERNAME, request.digestCredential->user.c_str());
        curl_easy_setopt(e, CURLOPT_PASSWORD, request.digestCredential->password.c_str());
    }
    if (CURLSH* share = TransferHandles::shared().share()) curl_easy_setopt(e, CURLOPT_SHARE, share);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, onHeaderLine);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &state);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &state);
    state.sockets = &pooled.sockets;
    curl_easy_setopt(e, CURLOPT_SOCKOPTFUNCTION, noteOpenedSocket);
    curl_easy_setopt(e, CURLOPT_SOCKOPTDATA, &pooled.sockets);
    curl_easy_setopt(e, CURLOPT_PREREQFUNCTION, noteConnection);
    curl_easy_setopt(e, CURLOPT_PREREQDATA, &state);
    curl_multi_add_handle(multi.get(), e);

    using SteadyClock = std::chrono::steady_clock;
    const auto idleLimit = std::chrono::duration<double>(
        request.timeoutInterval > 0 ? request.timeoutInterval : URLRequest::kDefaultTimeoutInterval);
    auto lastActivity = SteadyClock::now();
    int running = 1;
    while (running) {
        state.cork.hold();
        const CURLMcode performed = curl_multi_perform(multi.get(), &running);
        releaseCorkAfterPass(e, state);
        if (performed != CURLM_OK) {
            outcome.error = urlError(kURLErrorUnknown, host);
            break;
        }
        if (!running) break;
        if (control.cancelled && control.cancelled->load()) {
            outcome.error = urlError(kURLErrorCancelled, host);
            break;
        }
        const auto now = SteadyClock::now();
        if (state.active) {
            state.active = false;
            lastActivity = now;
        } else if (now - lastActivity > idleLimit) {
            outcome.error = urlError(kURLErrorTimedOut, host);
            break;
        }
        if (control.deadline && now >= *control.deadline) {
            outcome.error = urlError(kURLErrorTimedOut, host);
            break;
        }
        curl_multi_poll(multi.get(), nullptr, 0, kPollMilliseconds, nullptr);
    }

    if (!outcome.error) {
        int left = 0;
        CURLcode result = CURLE_OK;
        while (CURLMsg* message = curl_multi_info_read(multi.get(), &left))
            if (message->msg == CURLMSG_DONE) result = message->data.result;
        if (result != CURLE_OK) {
            long osErrno = 0;
            curl_easy_getinfo(e, CURLINFO_OS_ERRNO, &osErrno);
            if (state.bodyReplayRefused)
                outcome.error = urlError(kURLErrorNetworkConnectionLost, host);
            else if (state.bodyReadFailed)
                outcome.error = foundation::Error::posix(EIO, request.httpBodyFile->path);
            else if (result == CURLE_BAD_FUNCTION_ARGUMENT && state.responseBegan)
                // curl's store of the response's fields refuses what it cannot
                // hold, such as a folded line that continues no field.
                outcome.error = urlError(kURLErrorBadServerResponse, host);
            else
                outcome.error = state.failedInCallback ? urlError(kURLErrorUnknown, host)
                                                       : urlErrorForTransferFailure(result, osErrno, host);
        } else {
            long status = 0;
            curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &status);
            outcome.statusCode = static_cast<int>(status);
        }
    }
    // Whatever became of the body, the connection goes back uncorked.
    state.cork.detach();
    // What the last interval held back.
    reportProgress(state, true);
    curl_multi_remove_handle(multi.get(), e);
    // A transfer that failed or was cut short leaves nothing worth keeping.
    if (!outcome.error) TransferHandles::shared().give(std::move(pooled));
    if (outcome.error) {
        outcome.body.clear();
        outcome.headers = HTTPHeaders();
    }
    return outcome;
}

}  // namespace net::detail
