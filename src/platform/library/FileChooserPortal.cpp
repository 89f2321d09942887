#include "platform/library/FileChooserPortal.h"

#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/library/DBusWire.h"

#include <dbus/dbus.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace library {

namespace {

using Outcome = FileChooserPortal::Outcome;
using Result = FileChooserPortal::Result;

constexpr uint32_t kGlobPattern = 0, kMimeType = 1;
// The codes of a Response: the user chose, the user cancelled, it failed.
constexpr uint32_t kResponseSuccess = 0, kResponseCancelled = 1;

// Appends to a message through libdbus's iterators, one container deep at a time.
class Appender {
public:
    explicit Appender(DBusMessage* message) { dbus_message_iter_init_append(message, &iter_); }

    void text(const std::string& value) { basic(DBUS_TYPE_STRING, value.c_str()); }
    void boolean(bool value) {
        dbus_bool_t flag = value;
        dbus_message_iter_append_basic(&iter_, DBUS_TYPE_BOOLEAN, &flag);
    }
    void number(uint32_t value) { dbus_message_iter_append_basic(&iter_, DBUS_TYPE_UINT32, &value); }
    // Fills a container of the type (with the contents' signature for
    // arrays and variants) with what `fill` appends.
    template <class Fill>
    void container(int type, const char* signature, Fill fill) {
        Appender inner;
        dbus_message_iter_open_container(&iter_, type, signature, &inner.iter_);
        fill(inner);
        dbus_message_iter_close_container(&iter_, &inner.iter_);
    }

private:
    Appender() = default;
    void basic(int type, const char* value) { dbus_message_iter_append_basic(&iter_, type, &value); }
    DBusMessageIter iter_{};
};

// One filter as the portal takes it: (name, [(kind, pattern)]).
void appendFilter(Appender& out, const FileChooserPortal::Filter& filter) {
    out.container(DBUS_TYPE_STRUCT, nullptr, [&](Appender& entry) {
        entry.text(filter.name);
        entry.container(DBUS_TYPE_ARRAY, "(us)", [&](Appender& patterns) {
            auto add = [&](uint32_t kind, const std::string& pattern) {
                patterns.container(DBUS_TYPE_STRUCT, nullptr, [&](Appender& pair) {
                    pair.number(kind);
                    pair.text(pattern);
                });
            };
            for (const std::string& glob : filter.globs) add(kGlobPattern, glob);
            for (const std::string& type : filter.mimeTypes) add(kMimeType, type);
        });
    });
}

template <class Fill>
void appendOption(Appender& options, const char* key, const char* signature, Fill fill) {
    options.container(DBUS_TYPE_DICT_ENTRY, nullptr, [&](Appender& entry) {
        entry.text(key);
        entry.container(DBUS_TYPE_VARIANT, signature, fill);
    });
}

dbus::Message openFileCall(const FileChooserPortal::Request& request, const std::string& token) {
    dbus::Message call(dbus_message_new_method_call(FileChooserPortal::kService, FileChooserPortal::kObjectPath,
                                                    FileChooserPortal::kFileChooserInterface, "OpenFile"));
    if (!call) return call;
    Appender args(call.get());
    args.text(request.parentWindow);
    args.text(request.title);
    args.container(DBUS_TYPE_ARRAY, "{sv}", [&](Appender& options) {
        appendOption(options, "handle_token", "s", [&](Appender& value) { value.text(token); });
        appendOption(options, "modal", "b", [](Appender& value) { value.boolean(true); });
        appendOption(options, "multiple", "b", [](Appender& value) { value.boolean(false); });
        if (!request.acceptLabel.empty())
            appendOption(options, "accept_label", "s", [&](Appender& value) { value.text(request.acceptLabel); });
        if (request.filters.empty()) return;
        appendOption(options, "filters", "a(sa(us))", [&](Appender& value) {
            value.container(DBUS_TYPE_ARRAY, "(sa(us))", [&](Appender& list) {
                for (const auto& filter : request.filters) appendFilter(list, filter);
            });
        });
        appendOption(options, "current_filter", "(sa(us))",
                     [&](Appender& value) { appendFilter(value, request.filters.front()); });
    });
    return call;
}

// The path of the request object the portal makes for our token, known
// before the call so that the answer cannot come before we listen for it.
std::string requestPath(const std::string& uniqueName, const std::string& token) {
    std::string sender = uniqueName.starts_with(':') ? uniqueName.substr(1) : uniqueName;
    std::replace(sender.begin(), sender.end(), '.', '_');
    return std::string(FileChooserPortal::kObjectPath) + "/request/" + sender + "/" + token;
}

std::string nextToken() {
    static std::atomic<unsigned> counter{0};
    return "tollivar_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

// Asks the bus for the Response of the request, as the portal sends it:
// anyone else's signal on that path never reaches us through this rule.
bool subscribe(dbus::Wire& wire, const std::string& handle, std::string* failure) {
    const std::string rule = std::string("type='signal',sender='") + FileChooserPortal::kService + "',interface='" +
                             FileChooserPortal::kRequestInterface + "',member='Response',path='" + handle + "'";
    return wire.call(dbus::Wire::busCall("AddMatch", rule.c_str()), FileChooserPortal::kBusCallSeconds, failure) !=
           nullptr;
}

// Whether someone owns the portal's name, or the bus can start someone for it.
bool portalIsOffered(dbus::Wire& wire, std::string* failure) {
    dbus::Message owner = wire.call(dbus::Wire::busCall("NameHasOwner", FileChooserPortal::kService),
                                    FileChooserPortal::kBusCallSeconds, failure);
    dbus_bool_t owned = FALSE;
    if (!owner || !dbus_message_get_args(owner.get(), nullptr, DBUS_TYPE_BOOLEAN, &owned, DBUS_TYPE_INVALID))
        return false;
    if (owned) return true;
    dbus::Message activatable =
        wire.call(dbus::Wire::busCall("ListActivatableNames"), FileChooserPortal::kBusCallSeconds, failure);
    char** names = nullptr;
    int count = 0;
    if (!activatable || !dbus_message_get_args(activatable.get(), nullptr, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING, &names,
                                               &count, DBUS_TYPE_INVALID))
        return false;
    const bool listed = std::any_of(names, names + count,
                                    [](const char* name) { return std::string_view(name) == FileChooserPortal::kService; });
    dbus_free_string_array(names);
    if (!listed && failure) *failure = "nobody offers the portal";
    return listed;
}

// The first URI of a Response's results ("uris", a variant of strings).
std::optional<std::string> firstUri(DBusMessageIter* results) {
    if (dbus_message_iter_get_arg_type(results) != DBUS_TYPE_ARRAY) return std::nullopt;
    DBusMessageIter entries;
    dbus_message_iter_recurse(results, &entries);
    for (; dbus_message_iter_get_arg_type(&entries) == DBUS_TYPE_DICT_ENTRY; dbus_message_iter_next(&entries)) {
        DBusMessageIter entry, value, uris;
        dbus_message_iter_recurse(&entries, &entry);
        const char* key = nullptr;
        if (dbus_message_iter_get_arg_type(&entry) != DBUS_TYPE_STRING) continue;
        dbus_message_iter_get_basic(&entry, &key);
        if (std::string_view(key) != "uris" || !dbus_message_iter_next(&entry) ||
            dbus_message_iter_get_arg_type(&entry) != DBUS_TYPE_VARIANT)
            continue;
        dbus_message_iter_recurse(&entry, &value);
        if (dbus_message_iter_get_arg_type(&value) != DBUS_TYPE_ARRAY) return std::nullopt;
        dbus_message_iter_recurse(&value, &uris);
        if (dbus_message_iter_get_arg_type(&uris) != DBUS_TYPE_STRING) return std::nullopt;
        const char* uri = nullptr;
        dbus_message_iter_get_basic(&uris, &uri);
        return std::string(uri);
    }
    return std::nullopt;
}

Result readResponse(DBusMessage* response) {
    DBusMessageIter args;
    uint32_t code = 0;
    if (!dbus_message_iter_init(response, &args) || dbus_message_iter_get_arg_type(&args) != DBUS_TYPE_UINT32)
        return Result{Outcome::Unavailable, {}, "the portal answered without a response code"};
    dbus_message_iter_get_basic(&args, &code);
    if (code == kResponseCancelled) return Result{Outcome::Cancelled, {}, {}};
    if (code != kResponseSuccess)
        return Result{Outcome::Unavailable, {}, "the portal's chooser failed (" + std::to_string(code) + ")"};
    dbus_message_iter_next(&args);
    if (auto uri = firstUri(&args)) return Result{Outcome::Picked, *uri, {}};
    return Result{Outcome::Cancelled, {}, {}};
}

// The whole conversation, on the conversation's thread.
Result converse(const std::string& address, const FileChooserPortal::Request& request,
                const dbus::Interrupt& interrupt, const std::function<void()>& shown) {
    auto unavailable = [&](const std::string& why) {
        return interrupt.fired() ? Result{Outcome::Cancelled, {}, {}} : Result{Outcome::Unavailable, {}, why};
    };
    std::string failure;
    std::unique_ptr<dbus::Wire> wire =
        dbus::Wire::connect(address, FileChooserPortal::kBusCallSeconds, interrupt, &failure);
    if (!wire) return unavailable("no session bus: " + failure);
    if (!portalIsOffered(*wire, &failure)) return unavailable(failure);

    const std::string token = nextToken();
    std::string handle = requestPath(wire->uniqueName(), token);
    if (!subscribe(*wire, handle, &failure)) return unavailable(failure);
    dbus::Message reply = wire->call(openFileCall(request, token), FileChooserPortal::kPortalCallSeconds, &failure);
    const char* given = nullptr;
    if (!reply || !dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_OBJECT_PATH, &given, DBUS_TYPE_INVALID)) {
        if (interrupt.fired()) {
            // The dialog may be up by now: it goes with the request.
            dbus::Message close(dbus_message_new_method_call(FileChooserPortal::kService, handle.c_str(),
                                                             FileChooserPortal::kRequestInterface, "Close"));
            if (close) dbus_message_set_no_reply(close.get(), TRUE);
            wire->send(std::move(close));
        }
        return unavailable("the portal refused the request: " + failure);
    }
    // The connection that answered the call is the portal. Any connection on
    // the bus may send a signal straight to us, so only that one's Response
    // counts: anyone else could otherwise pick the file we import.
    const char* answeredBy = dbus_message_get_sender(reply.get());
    if (!answeredBy) return unavailable("the portal's answer came from nobody");
    const std::string portal = answeredBy;
    // Older portals ignore the token and name the request otherwise.
    if (handle != given) {
        handle = given;
        if (!subscribe(*wire, handle, &failure)) return unavailable(failure);
    }
    shown();
    for (;;) {
        dbus::Message message = wire->next();
        if (!message) break;
        if (dbus_message_is_signal(message.get(), FileChooserPortal::kRequestInterface, "Response") &&
            dbus_message_has_path(message.get(), handle.c_str()) &&
            dbus_message_has_sender(message.get(), portal.c_str()))
            return readResponse(message.get());
    }
    if (!interrupt.fired()) return Result{Outcome::Unavailable, {}, "the bus connection was lost"};
    dbus::Message close(dbus_message_new_method_call(FileChooserPortal::kService, handle.c_str(),
                                                     FileChooserPortal::kRequestInterface, "Close"));
    if (close) dbus_message_set_no_reply(close.get(), TRUE);
    wire->send(std::move(close));
    return Result{Outcome::Cancelled, {}, {}};
}

}  // namespace

std::optional<std::string> FileChooserPortal::sessionBusAddress() {
    // "autolaunch:" would start a bus (and an X client to find it): only
    // the other addresses of the list count.
    std::string usable;
    const char* listed = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    for (std::string_view rest = listed ? listed : ""; !rest.empty();) {
        const size_t end = rest.find(';');
        const std::string_view address = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (address.empty() || address.starts_with("autolaunch:")) continue;
        usable += (usable.empty() ? "" : ";") + std::string(address);
    }
    if (!usable.empty()) return usable;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || *runtime != '/') return std::nullopt;
    const std::string socket = std::string(runtime) + "/bus";
    struct stat info {};
    if (::stat(socket.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) return std::nullopt;
    return "unix:path=" + socket;
}

FileChooserPortal::FileChooserPortal(std::string busAddress)
    : busAddress_(std::move(busAddress)), interrupt_(std::make_shared<dbus::Interrupt>()) {}

FileChooserPortal::~FileChooserPortal() {
    interrupt_->fire();
    if (thread_.joinable()) thread_.join();
}

void FileChooserPortal::openFile(Request request, std::function<void()> shown,
                                 std::function<void(const Result&)> completion) {
    if (thread_.joinable()) throw std::logic_error("FileChooserPortal: one request per portal");
    shown_ = std::move(shown);
    completion_ = std::move(completion);
    // Counted from now, not from when the thread gets going: the main loop
    // must not move a virtual clock on in between.
    foundation::BackgroundActivity::begin();
    try {
        startConversation(std::move(request));
    } catch (...) {
        foundation::BackgroundActivity::end();
        throw;
    }
}

void FileChooserPortal::startConversation(Request request) {
    thread_ = std::thread([this, observer = life_.observer(), address = busAddress_, request = std::move(request),
                           interrupt = interrupt_] {
        foundation::ScopedBackgroundActivity activity{foundation::ScopedBackgroundActivity::Adopt{}};
        // `this` is only touched on the main queue, and only while it lives.
        auto onMain = [&observer](std::function<void()> block) {
            foundation::DispatchQueue::main().async([observer, block = std::move(block)] {
                if (observer.alive()) block();
            });
        };
        const Result result = converse(address, request, *interrupt, [&] {
            onMain([this] {
                if (shown_) shown_();
            });
        });
        onMain([this, result] { finish(result); });
    });
}

void FileChooserPortal::close() { interrupt_->fire(); }

void FileChooserPortal::finish(const Result& result) {
    auto completion = std::move(completion_);
    completion_ = nullptr;
    shown_ = nullptr;
    if (completion) completion(result);
}

}  // namespace library
