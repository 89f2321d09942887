#include "platform/library/DBusWire.h"

#include <dbus/dbus.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace library::dbus {

namespace {

double monotonicSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct ErrorText {
    DBusError error;
    ErrorText() { dbus_error_init(&error); }
    ~ErrorText() { dbus_error_free(&error); }
    ErrorText(const ErrorText&) = delete;
    ErrorText& operator=(const ErrorText&) = delete;
    std::string text() const {
        if (!dbus_error_is_set(&error)) return "unknown error";
        return std::string(error.name) + ": " + (error.message ? error.message : "");
    }
};

void fail(std::string* failure, std::string why) {
    if (failure) *failure = std::move(why);
}

}  // namespace

void MessageUnref::operator()(DBusMessage* message) const {
    if (message) dbus_message_unref(message);
}

Interrupt::Interrupt() : event_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void Interrupt::fire() {
    const uint64_t one = 1;
    // A full counter means it has fired already.
    [[maybe_unused]] ssize_t written = ::write(event_.get(), &one, sizeof one);
}

bool Interrupt::fired() const {
    pollfd event{event_.get(), POLLIN, 0};
    return !event_ || ::poll(&event, 1, 0) > 0;
}

Wire::Wire(DBusConnection* connection, const Interrupt& interrupt) : connection_(connection), interrupt_(interrupt) {}

Wire::~Wire() {
    inbox_.clear();
    dbus_connection_close(connection_);
    dbus_connection_unref(connection_);
}

std::unique_ptr<Wire> Wire::connect(const std::string& address, double timeoutSeconds, const Interrupt& interrupt,
                                    std::string* failure) {
    static std::once_flag threads;
    std::call_once(threads, [] { dbus_threads_init_default(); });
    ErrorText error;
    DBusConnection* connection = dbus_connection_open_private(address.c_str(), &error.error);
    if (!connection) {
        fail(failure, error.text());
        return nullptr;
    }
    // A lost bus is an answer like any other here, never a reason to exit.
    dbus_connection_set_exit_on_disconnect(connection, FALSE);
    std::unique_ptr<Wire> wire(new Wire(connection, interrupt));
    Message hello = wire->call(busCall("Hello"), timeoutSeconds, failure);
    const char* name = nullptr;
    if (!hello) return nullptr;
    if (!dbus_message_get_args(hello.get(), &error.error, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID)) {
        fail(failure, error.text());
        return nullptr;
    }
    wire->uniqueName_ = name;
    return wire;
}

Message Wire::busCall(const char* member, const char* argument) {
    Message message(dbus_message_new_method_call(kBusService, kBusPath, kBusInterface, member));
    if (message && argument) dbus_message_append_args(message.get(), DBUS_TYPE_STRING, &argument, DBUS_TYPE_INVALID);
    return message;
}

bool Wire::pump(double deadline) {
    const size_t before = inbox_.size();
    for (;;) {
        // Writes what is queued (the handshake first) and reads what came,
        // without blocking.
        dbus_connection_read_write(connection_, 0);
        while (DBusMessage* message = dbus_connection_pop_message(connection_)) inbox_.emplace_back(message);
        if (inbox_.size() > before) return true;
        if (interrupt_.fired() || !dbus_connection_get_is_connected(connection_)) return false;
        int socket = -1;
        if (!dbus_connection_get_unix_fd(connection_, &socket)) return false;
        int timeout = -1;
        if (deadline >= 0) {
            const double left = deadline - monotonicSeconds();
            if (left <= 0) return false;
            timeout = static_cast<int>(std::ceil(left * 1000));
        }
        const short outgoing = dbus_connection_has_messages_to_send(connection_) ? POLLOUT : 0;
        pollfd watched[2] = {{socket, static_cast<short>(POLLIN | outgoing), 0},
                             {interrupt_.descriptor(), POLLIN, 0}};
        if (::poll(watched, 2, timeout) < 0 && errno != EINTR) return false;
    }
}

std::string Wire::whyNothingCame() const {
    if (interrupt_.fired()) return "interrupted";
    if (!dbus_connection_get_is_connected(connection_)) return "the bus connection was lost";
    return "no answer in time";
}

Message Wire::call(Message message, double timeoutSeconds, std::string* failure) {
    dbus_uint32_t serial = 0;
    if (!message || !dbus_connection_send(connection_, message.get(), &serial)) {
        fail(failure, "out of memory");
        return nullptr;
    }
    const double deadline = monotonicSeconds() + timeoutSeconds;
    for (;;) {
        for (auto it = inbox_.begin(); it != inbox_.end(); ++it) {
            if (dbus_message_get_reply_serial(it->get()) != serial) continue;
            Message answer = std::move(*it);
            inbox_.erase(it);
            if (dbus_message_get_type(answer.get()) != DBUS_MESSAGE_TYPE_ERROR) return answer;
            ErrorText error;
            dbus_set_error_from_message(&error.error, answer.get());
            fail(failure, error.text());
            return nullptr;
        }
        if (!pump(deadline)) {
            fail(failure, whyNothingCame());
            return nullptr;
        }
    }
}

bool Wire::send(Message message) {
    if (!message || !dbus_connection_send(connection_, message.get(), nullptr)) return false;
    dbus_connection_flush(connection_);
    return true;
}

Message Wire::next() {
    if (inbox_.empty() && !pump(-1)) return nullptr;
    Message first = std::move(inbox_.front());
    inbox_.pop_front();
    return first;
}

}  // namespace library::dbus
