#pragma once

// A private connection to a D-Bus bus (libdbus), driven by one thread at a
// time: method calls that wait for their reply, and signals and
// calls waited for as they come, every wait ending early when someone on
// another thread interrupts it. Nothing here ever starts a bus.
//
// libdbus's own blocking calls cannot be interrupted, so the connection's
// socket is polled here together with an event descriptor that interrupt()
// signals; a thread that must be ended from outside (a dialog the user
// leaves open) is thus never stuck.

#include "platform/foundation/FileDescriptor.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>

struct DBusConnection;
struct DBusMessage;

namespace library::dbus {

struct MessageUnref {
    void operator()(DBusMessage* message) const;
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

// Ends the waits of a wire from any thread, for good: an event descriptor
// that the wire polls beside its socket.
class Interrupt {
public:
    Interrupt();
    void fire();
    bool fired() const;
    int descriptor() const { return event_.get(); }

private:
    foundation::FileDescriptor event_;
};

inline constexpr const char* kBusService = "org.freedesktop.DBus";
inline constexpr const char* kBusPath = "/org/freedesktop/DBus";
inline constexpr const char* kBusInterface = "org.freedesktop.DBus";

class Wire {
public:
    // Connects to the bus at the address and registers with it (Hello);
    // none, with the reason, when that fails or the interrupt comes first.
    // The interrupt must outlive the wire.
    static std::unique_ptr<Wire> connect(const std::string& address, double timeoutSeconds,
                                         const Interrupt& interrupt, std::string* failure);
    ~Wire();
    Wire(const Wire&) = delete;
    Wire& operator=(const Wire&) = delete;

    // The name the bus gave this connection (":1.42").
    const std::string& uniqueName() const { return uniqueName_; }

    // Sends a method call and waits for its answer: the reply, or none with
    // the error's name and text (or the timeout, the interrupt, the lost
    // connection) in `failure`. What else comes meanwhile waits for next().
    Message call(Message message, double timeoutSeconds, std::string* failure);
    // Sends a message that wants no answer, and waits until it has left.
    bool send(Message message);
    // The next message that came (signals, calls), waiting as long as it
    // takes; none after an interrupt or when the connection is lost.
    Message next();

    // A call to the bus itself ("NameHasOwner", ...) with one text argument, or none.
    static Message busCall(const char* member, const char* argument = nullptr);

private:
    Wire(DBusConnection* connection, const Interrupt& interrupt);
    // Waits until a new message came or the deadline passed (negative:
    // none); false on a timeout, an interrupt or a lost connection.
    bool pump(double deadline);
    // Why a wait ended without a message.
    std::string whyNothingCame() const;

    DBusConnection* connection_;
    const Interrupt& interrupt_;
    std::deque<Message> inbox_;
    std::string uniqueName_;
};

}  // namespace library::dbus
