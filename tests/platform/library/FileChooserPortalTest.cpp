// The document picker and the desktop's file-chooser portal, on a private
// bus (dbus-daemon started for the test, with nothing it could start itself)
// with a fake portal that answers as the real one does: which answers keep
// the desktop's chooser, which bring up our own, what the request carries,
// taking an open dialog down, and the portals that name their request
// otherwise. And where the session bus is found without ever starting one.

#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/RunLoop.h"
#include "platform/library/DBusWire.h"
#include "PickerRecorder.h"
#include "platform/library/DocumentPickerViewController.h"
#include "platform/library/FileChooserPortal.h"
#include "platform/library/FileChooserViewController.h"
#include "platform/ui/controls/Label.h"
#include "support/ChildProcess.h"
#include "support/ScopedEnvironment.h"
#include "support/TempAppFolders.h"
#include "support/WindowFixture.h"

#include <dbus/dbus.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>

namespace {

using library::DocumentPickerViewController;
using library::FileChooserPortal;
using State = DocumentPickerViewController::State;

constexpr const char* kArchiveType = "com.marrowick.tollivar.archive";
constexpr const char* kPickedUri = "file:///home/someone/Films/Robot%20dance.tollivarmobile";
constexpr uint32_t kPicked = 0, kCancelled = 1, kFailed = 2;

// A bus of the test's own: no service files, so nothing is started on it.
class PrivateBus {
public:
    explicit PrivateBus(const std::string& folder) {
        const std::string config = folder + "/bus.conf";
        std::ofstream(config) << "<busconfig><type>session</type><listen>unix:path=" << folder
                              << "/bus</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                                 "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                                 "<allow own=\"*\"/></policy></busconfig>";
        testsupport::ChildProcess::Options options;
        options.captureOutput = true;
        daemon_.emplace(testsupport::ChildProcess::spawn(
            {"dbus-daemon", "--config-file=" + config, "--nofork", "--print-address"}, options));
        EXPECT_TRUE(daemon_->readUntil('\n', &address_)) << "dbus-daemon did not start";
    }
    const std::string& address() const { return address_; }

private:
    std::optional<testsupport::ChildProcess> daemon_;
    std::string address_;
};

void appendString(DBusMessageIter* iter, const std::string& text) {
    const char* value = text.c_str();
    dbus_message_iter_append_basic(iter, DBUS_TYPE_STRING, &value);
}

// The Response signal of a request, as the portal sends it.
void sendResponse(library::dbus::Wire& wire, const std::string& handle, uint32_t code, const std::string& uri) {
    library::dbus::Message signal(
        dbus_message_new_signal(handle.c_str(), FileChooserPortal::kRequestInterface, "Response"));
    DBusMessageIter args, results, entry, value, uris;
    dbus_message_iter_init_append(signal.get(), &args);
    dbus_message_iter_append_basic(&args, DBUS_TYPE_UINT32, &code);
    dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &results);
    if (!uri.empty()) {
        dbus_message_iter_open_container(&results, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
        appendString(&entry, "uris");
        dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "as", &value);
        dbus_message_iter_open_container(&value, DBUS_TYPE_ARRAY, "s", &uris);
        appendString(&uris, uri);
        dbus_message_iter_close_container(&value, &uris);
        dbus_message_iter_close_container(&entry, &value);
        dbus_message_iter_close_container(&results, &entry);
    }
    dbus_message_iter_close_container(&args, &results);
    ASSERT_TRUE(wire.send(std::move(signal)));
}

std::string text(DBusMessageIter* iter) {
    const char* value = "";
    if (dbus_message_iter_get_arg_type(iter) == DBUS_TYPE_STRING) dbus_message_iter_get_basic(iter, &value);
    return value;
}

// The filters of an OpenFile as one text: "name: kind pattern, ...; ...".
std::string filtersText(DBusMessageIter* list) {
    std::string out;
    DBusMessageIter filter, field, patterns, pattern;
    for (dbus_message_iter_recurse(list, &filter); dbus_message_iter_get_arg_type(&filter) == DBUS_TYPE_STRUCT;
         dbus_message_iter_next(&filter)) {
        dbus_message_iter_recurse(&filter, &field);
        out += (out.empty() ? "" : "; ") + text(&field) + ":";
        dbus_message_iter_next(&field);
        for (dbus_message_iter_recurse(&field, &patterns); dbus_message_iter_get_arg_type(&patterns) == DBUS_TYPE_STRUCT;
             dbus_message_iter_next(&patterns)) {
            uint32_t kind = 0;
            dbus_message_iter_recurse(&patterns, &pattern);
            dbus_message_iter_get_basic(&pattern, &kind);
            dbus_message_iter_next(&pattern);
            out += " " + std::to_string(kind) + " " + text(&pattern);
        }
    }
    return out;
}

// The portal as xdg-desktop-portal answers OpenFile: a request object named
// after the caller and its token (or, as older portals do, otherwise), and
// then the Response on it, unless it waits for someone to answer.
class FakePortal {
public:
    struct Call {
        std::string parentWindow, title, acceptLabel, token, filters;
        bool modal = false;
        std::string handle;
    };

    FakePortal(const std::string& address, std::optional<uint32_t> answer, bool renamesRequest = false)
        : answer_(answer), renamesRequest_(renamesRequest) {
        std::string failure;
        wire_ = library::dbus::Wire::connect(address, 5, interrupt_, &failure);
        EXPECT_NE(wire_, nullptr) << failure;
        library::dbus::Message request(dbus_message_new_method_call(
            library::dbus::kBusService, library::dbus::kBusPath, library::dbus::kBusInterface, "RequestName"));
        const char* name = FileChooserPortal::kService;
        uint32_t flags = 0;
        dbus_message_append_args(request.get(), DBUS_TYPE_STRING, &name, DBUS_TYPE_UINT32, &flags, DBUS_TYPE_INVALID);
        EXPECT_NE(wire_->call(std::move(request), 5, &failure), nullptr) << failure;
        thread_ = std::thread([this] { serve(); });
    }
    ~FakePortal() {
        interrupt_.fire();
        thread_.join();
    }

    Call call() {
        std::lock_guard lock(mutex_);
        return call_;
    }
    // The path of the request that was closed, once one was (real seconds).
    std::string waitForClose() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10), [&] { return !closed_.empty(); });
        return closed_;
    }

private:
    void serve() {
        while (library::dbus::Message message = wire_->next()) {
            if (dbus_message_is_method_call(message.get(), FileChooserPortal::kRequestInterface, "Close")) {
                std::lock_guard lock(mutex_);
                closed_ = dbus_message_get_path(message.get());
                changed_.notify_all();
            }
            if (!dbus_message_is_method_call(message.get(), FileChooserPortal::kFileChooserInterface, "OpenFile"))
                continue;
            Call call = readCall(message.get());
            std::string sender = dbus_message_get_sender(message.get()) + 1;
            std::replace(sender.begin(), sender.end(), '.', '_');
            call.handle = std::string(FileChooserPortal::kObjectPath) + "/request/" +
                          (renamesRequest_ ? "elsewhere/1" : sender + "/" + call.token);
            library::dbus::Message reply(dbus_message_new_method_return(message.get()));
            const char* handle = call.handle.c_str();
            dbus_message_append_args(reply.get(), DBUS_TYPE_OBJECT_PATH, &handle, DBUS_TYPE_INVALID);
            wire_->send(std::move(reply));
            {
                std::lock_guard lock(mutex_);
                call_ = call;
            }
            if (answer_) sendResponse(*wire_, call.handle, *answer_, *answer_ == kPicked ? kPickedUri : "");
        }
    }

    static Call readCall(DBusMessage* message) {
        Call call;
        DBusMessageIter args, options, entry, value;
        dbus_message_iter_init(message, &args);
        call.parentWindow = text(&args);
        dbus_message_iter_next(&args);
        call.title = text(&args);
        dbus_message_iter_next(&args);
        for (dbus_message_iter_recurse(&args, &options); dbus_message_iter_get_arg_type(&options) == DBUS_TYPE_DICT_ENTRY;
             dbus_message_iter_next(&options)) {
            dbus_message_iter_recurse(&options, &entry);
            const std::string key = text(&entry);
            dbus_message_iter_next(&entry);
            dbus_message_iter_recurse(&entry, &value);
            if (key == "handle_token") call.token = text(&value);
            if (key == "accept_label") call.acceptLabel = text(&value);
            if (key == "filters") call.filters = filtersText(&value);
            if (key == "modal") {
                dbus_bool_t modal = FALSE;
                dbus_message_iter_get_basic(&value, &modal);
                call.modal = modal;
            }
        }
        return call;
    }

    std::optional<uint32_t> answer_;
    bool renamesRequest_;
    library::dbus::Interrupt interrupt_;
    std::unique_ptr<library::dbus::Wire> wire_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Call call_;
    std::string closed_;
    std::thread thread_;
};

class FileChooserPortalTest : public testsupport::WindowFixture {
protected:
    void SetUp() override {
        root = std::make_shared<ui::ViewController>();
        window->setRootViewController(root);
    }
    void TearDown() override {
        if (root->presentedViewController()) root->dismissViewController(false);
        picker.reset();
        WindowFixture::TearDown();
    }

    // While the desktop's chooser is open, a virtual clock stands still
    // (its answer may come at any moment): a sheet meant to be seen then
    // comes without its slide.
    void present(const std::string& bus, bool animated = true) {
        picker = std::make_shared<DocumentPickerViewController>(std::vector<std::string>{kArchiveType},
                                                                library::DocumentPickerMode::Import, bus);
        picker->delegate = recorder;
        root->presentViewController(picker, animated);
    }
    bool runUntil(const std::function<bool()>& done) { return foundation::RunLoop::main().runUntil(done, 10.0); }
    bool answered() { return recorder->answered(); }

    testsupport::TempAppFolders folders;
    PrivateBus bus{folders.root()};
    std::shared_ptr<ui::ViewController> root;
    std::shared_ptr<DocumentPickerViewController> picker;
    std::shared_ptr<testsupport::PickerRecorder> recorder = std::make_shared<testsupport::PickerRecorder>();
};

TEST_F(FileChooserPortalTest, TheDesktopsChooserIsUsedWhereItAnswersAndOursWhereItDoesNot) {
    const struct {
        const char* what;
        bool portal;
        std::optional<uint32_t> answer;
        bool ownChooser;
        std::vector<std::string> picked;
        int cancelled;
    } cases[] = {
        {"nobody offers the portal", false, std::nullopt, true, {}, 0},
        {"the user picks", true, kPicked, false, {kPickedUri}, 0},
        {"the user cancels", true, kCancelled, false, {}, 1},
        {"the portal's chooser fails", true, kFailed, true, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        recorder = std::make_shared<testsupport::PickerRecorder>();
        std::optional<FakePortal> portal;
        if (c.portal) portal.emplace(bus.address(), c.answer);
        present(bus.address());
        ASSERT_TRUE(runUntil([&] { return answered() || picker->state() == State::InAppChooser; }));
        advance(1.0);
        EXPECT_EQ(picker->fileChooser() != nullptr, c.ownChooser);
        EXPECT_EQ(recorder->picked, c.picked);
        EXPECT_EQ(recorder->cancelled, c.cancelled);
        if (c.ownChooser) {
            picker->fileChooser()->cancel();
            advance(1.0);
        }
        EXPECT_EQ(root->presentedViewController(), nullptr);
        if (!portal) continue;
        const FakePortal::Call call = portal->call();
        EXPECT_EQ(call.title, "Import");
        EXPECT_EQ(call.acceptLabel, "Open");
        EXPECT_TRUE(call.modal);
        EXPECT_EQ(call.parentWindow, "") << "an offscreen window has no name on the desktop";
        EXPECT_EQ(call.filters, "Tollivar project archive: 0 *.tollivarmobile 1 application/x-tollivar-archive");
    }
}

TEST_F(FileChooserPortalTest, WithoutABusOrAtAnAddressWhereNoneListensOurChooserComesAtOnce) {
    present("unix:path=" + folders.root() + "/no-bus-here");
    ASSERT_TRUE(runUntil([&] { return picker->state() == State::InAppChooser; }));
    advance(1.0);
    root->dismissViewController(false);

    picker = std::make_shared<DocumentPickerViewController>(std::vector<std::string>{kArchiveType},
                                                            library::DocumentPickerMode::Import, std::nullopt);
    EXPECT_EQ(picker->state(), State::InAppChooser) << "nothing is asked without a bus";
}

TEST_F(FileChooserPortalTest, EscapeTakesTheDesktopsChooserDown) {
    FakePortal portal(bus.address(), std::nullopt);
    present(bus.address(), false);
    ASSERT_TRUE(runUntil([&] { return picker->state() == State::PortalOpen; }));
    EXPECT_FALSE(picker->portalMessageLabel()->isHidden());
    EXPECT_EQ(picker->portalMessageLabel()->text(), "Choose the file in the desktop's file chooser.");
    savePicture("document_picker_portal_open.png");
    fingers.press(ui::Key::Escape);
    ASSERT_TRUE(runUntil([&] { return answered(); }));
    EXPECT_EQ(recorder->cancelled, 1);
    EXPECT_EQ(portal.waitForClose(), portal.call().handle);
}

TEST_F(FileChooserPortalTest, ARequestTheOlderPortalsNameOtherwiseIsStillHeard) {
    FakePortal portal(bus.address(), std::nullopt, true);
    present(bus.address());
    ASSERT_TRUE(runUntil([&] { return picker->state() == State::PortalOpen; }));
    const std::string handle = portal.call().handle;
    EXPECT_EQ(handle, std::string(FileChooserPortal::kObjectPath) + "/request/elsewhere/1");
    library::dbus::Interrupt never;
    std::string failure;
    auto wire = library::dbus::Wire::connect(bus.address(), 5, never, &failure);
    ASSERT_NE(wire, nullptr) << failure;
    sendResponse(*wire, handle, kPicked, kPickedUri);
    ASSERT_TRUE(runUntil([&] { return answered(); }));
    EXPECT_EQ(recorder->picked, std::vector<std::string>{kPickedUri});
}

TEST(FileChooserPortalAddress, TheSessionBusIsFoundButNeverStarted) {
    testsupport::TempAppFolders folders;
    const std::string withSocket = folders.root() + "/with", withFile = folders.root() + "/without";
    std::filesystem::create_directories(withSocket);
    std::filesystem::create_directories(withFile);
    std::ofstream(withFile + "/bus") << "not a socket";
    foundation::FileDescriptor listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = withSocket + "/bus";
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    const struct {
        std::optional<std::string> address, runtime, expected;
    } cases[] = {
        {"unix:path=/run/elsewhere", withSocket, "unix:path=/run/elsewhere"},
        {std::nullopt, withSocket, "unix:path=" + socketPath},
        {"", withSocket, "unix:path=" + socketPath},
        {"autolaunch:", withSocket, "unix:path=" + socketPath},
        {"autolaunch:", std::nullopt, std::nullopt},
        {"unix:path=/a;autolaunch:scope=x;tcp:host=localhost,port=1", std::nullopt,
         "unix:path=/a;tcp:host=localhost,port=1"},
        {std::nullopt, withFile, std::nullopt},
        {std::nullopt, std::nullopt, std::nullopt},
        {std::nullopt, "relative/run", std::nullopt},
    };
    for (const auto& c : cases) {
        testsupport::ScopedEnvironment environment({{"DBUS_SESSION_BUS_ADDRESS", c.address}, {"XDG_RUNTIME_DIR", c.runtime}});
        EXPECT_EQ(FileChooserPortal::sessionBusAddress(), c.expected) << c.address.value_or("-") << " " << c.runtime.value_or("-");
    }
}

}  // namespace
