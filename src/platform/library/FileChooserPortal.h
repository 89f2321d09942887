#pragma once

// The desktop's own file chooser, through the XDG desktop portal: the method
// OpenFile of org.freedesktop.portal.FileChooser on the session bus, whose
// answer comes later as the Response signal of the request it hands back.
// Only the portal's own Response counts: a signal on that request from any
// other connection of the bus is ignored.
//
// The conversation runs on a thread of its own and counts as background
// work from the call until its outcome is posted: the answer may come at
// any moment, so a virtual clock stands still while the dialog is open. A machine without a session bus, a bus on which nobody
// offers the portal (nor can be started for it), a portal that refuses the
// call or whose chooser fails all answer Unavailable, so that the caller
// offers a chooser of its own instead. The bus is never started here: with
// no address in the environment and no socket at $XDG_RUNTIME_DIR/bus there
// is none.
//
// Main thread only (the conversation's thread is its own business).

#include "platform/foundation/Lifetime.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace library {

namespace dbus {
class Interrupt;
}

class FileChooserPortal {
public:
    static constexpr const char* kService = "org.freedesktop.portal.Desktop";
    static constexpr const char* kObjectPath = "/org/freedesktop/portal/desktop";
    static constexpr const char* kFileChooserInterface = "org.freedesktop.portal.FileChooser";
    static constexpr const char* kRequestInterface = "org.freedesktop.portal.Request";
    // The bus itself answers at once; the portal may first have to be started.
    static constexpr double kBusCallSeconds = 5.0;
    static constexpr double kPortalCallSeconds = 20.0;

    // Files of one kind: glob patterns ("*.zip") and MIME types.
    struct Filter {
        std::string name;
        std::vector<std::string> globs;
        std::vector<std::string> mimeTypes;
    };
    struct Request {
        // The window the dialog belongs to ("x11:<hex id>"), or empty.
        std::string parentWindow;
        std::string title;
        // The chooser's own accept button when empty.
        std::string acceptLabel;
        // The first is chosen at the start.
        std::vector<Filter> filters;
    };
    enum class Outcome { Picked, Cancelled, Unavailable };
    struct Result {
        Outcome outcome = Outcome::Unavailable;
        // The picked file's URI ("file:///...").
        std::string uri;
        // Why the portal could not be used, for the log.
        std::string reason;
    };

    // The session bus's address, as libdbus would find it but without ever
    // starting a bus: DBUS_SESSION_BUS_ADDRESS (less its "autolaunch:"
    // entries), else the socket $XDG_RUNTIME_DIR/bus when it exists; none
    // otherwise.
    static std::optional<std::string> sessionBusAddress();

    explicit FileChooserPortal(std::string busAddress);
    // Closes a dialog still open and waits for the conversation's thread;
    // no callback runs afterwards.
    ~FileChooserPortal();
    FileChooserPortal(const FileChooserPortal&) = delete;
    FileChooserPortal& operator=(const FileChooserPortal&) = delete;

    const std::string& busAddress() const { return busAddress_; }

    // Asks for the dialog that picks one file. `shown` runs once the portal
    // has taken the request (its dialog is coming up); `completion` runs
    // exactly once with the outcome. Both on the main queue. One request per
    // object (std::logic_error for a second).
    void openFile(Request request, std::function<void()> shown, std::function<void(const Result&)> completion);
    // Takes the dialog down (the request's Close): the outcome is Cancelled,
    // unless the answer came first.
    void close();

private:
    void startConversation(Request request);
    void finish(const Result& result);

    std::string busAddress_;
    std::shared_ptr<dbus::Interrupt> interrupt_;
    std::thread thread_;
    std::function<void()> shown_;
    std::function<void(const Result&)> completion_;
    foundation::LifeToken life_;
};

}  // namespace library
