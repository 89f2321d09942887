// The document picker and the desktop's file-chooser portal, on a private
// bus (dbus-daemon started for the test, with nothing it could start itself)
// with a fake portal that answers as the real one does. And where the
// session bus is found without ever starting one.

#include "PickerFixture.h"
#include "platform/foundation/RunLoop.h"
#include "platform/library/DBusWire.h"
#include "platform/library/FileChooserPortal.h"
#include "platform/library/FileChooserViewController.h"
#include "platform/ui/controls/Label.h"
#include "support/ChildProcess.h"
#include "support/ScopedEnvironment.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <dbus/dbus.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using library::FileChooserPortal;
using State = library::DocumentPickerViewController::State;

constexpr const char* kPickedUri = "file:///home/someone/Films/Robot%20dance.tollivarmobile";
constexpr uint32_t kPicked = 0, kCancelled = 1, kFailed = 2;
// How a test tells the fake portal to answer now: a call on the bus, so that
// what the caller sent before it has been routed before the answer goes out.
constexpr const char* kFakeInterface = "org.tollivar.test.FakePortal";

// A bus of the test's own in `folder`: no service files, so nothing is
// started on it. Its address goes to `address`.
testsupport::ChildProcess startBus(const std::string& folder, std::string* address) {
    testsupport::writeFileBytes(folder + "/bus.conf",
                                "<busconfig><type>session</type><listen>unix:path=" + folder +
                                    "/bus</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                                    "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                                    "<allow own=\"*\"/></policy></busconfig>");
    testsupport::ChildProcess::Options options;
    options.captureOutput = true;
    auto daemon = testsupport::ChildProcess::spawn(
        {"dbus-daemon", "--config-file=" + folder + "/bus.conf", "--nofork", "--print-address"}, options);
    EXPECT_TRUE(daemon.readUntil('\n', address)) << "dbus-daemon did not start";
    return daemon;
}

// The Response signal of a request, as the portal sends it (to everyone
// listening, or to one connection only).
void sendResponse(library::dbus::Wire& wire, const std::string& handle, uint32_t code, const std::string& uri,
                  const std::string& destination = {}) {
    library::dbus::Message signal(
        dbus_message_new_signal(handle.c_str(), FileChooserPortal::kRequestInterface, "Response"));
    if (!destination.empty()) dbus_message_set_destination(signal.get(), destination.c_str());
    DBusMessageIter args, results, entry, value, uris;
    auto appendString = [](DBusMessageIter* iter, const char* text) {
        dbus_message_iter_append_basic(iter, DBUS_TYPE_STRING, &text);
    };
    dbus_message_iter_init_append(signal.get(), &args);
    dbus_message_iter_append_basic(&args, DBUS_TYPE_UINT32, &code);
    dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &results);
    if (!uri.empty()) {
        dbus_message_iter_open_container(&results, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
        appendString(&entry, "uris");
        dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "as", &value);
        dbus_message_iter_open_container(&value, DBUS_TYPE_ARRAY, "s", &uris);
        appendString(&uris, uri.c_str());
        dbus_message_iter_close_container(&value, &uris);
        dbus_message_iter_close_container(&entry, &value);
        dbus_message_iter_close_container(&results, &entry);
    }
    dbus_message_iter_close_container(&args, &results);
    ASSERT_TRUE(wire.send(std::move(signal)));
}

// A value as text: texts as they are, numbers and truth values in
// decimal, what a container holds in brackets.
std::string dump(DBusMessageIter* iter) {
    const int type = dbus_message_iter_get_arg_type(iter);
    if (type == DBUS_TYPE_INVALID) return "<none>";
    if (dbus_type_is_container(type)) {
        DBusMessageIter inner;
        std::string out;
        for (dbus_message_iter_recurse(iter, &inner); dbus_message_iter_get_arg_type(&inner) != DBUS_TYPE_INVALID;
             dbus_message_iter_next(&inner))
            out += (out.empty() ? "" : " ") + dump(&inner);
        return "(" + out + ")";
    }
    DBusBasicValue value{};
    dbus_message_iter_get_basic(iter, &value);
    if (type == DBUS_TYPE_STRING || type == DBUS_TYPE_OBJECT_PATH) return value.str;
    return std::to_string(type == DBUS_TYPE_BOOLEAN ? value.bool_val : value.u32);
}

// The portal as xdg-desktop-portal answers OpenFile: a request object named
// after the caller and its token (or, as older portals do, otherwise), and
// then the Response on it, unless it waits to be told (answerNow).
class FakePortal {
public:
    // What an OpenFile carried by name ("window", "title" and each option),
    // the "handle" it was given and the "caller"'s bus name.
    using Call = std::map<std::string, std::string>;

    // Makes the portal send its Response with the code (and, for a pick,
    // kPickedUri) now, over `wire`: after everything sent on it before.
    static void answerNow(library::dbus::Wire& wire, uint32_t code) {
        library::dbus::Message call(dbus_message_new_method_call(
            FileChooserPortal::kService, FileChooserPortal::kObjectPath, kFakeInterface, "Answer"));
        dbus_message_append_args(call.get(), DBUS_TYPE_UINT32, &code, DBUS_TYPE_INVALID);
        std::string failure;
        EXPECT_NE(wire.call(std::move(call), 5, &failure), nullptr) << failure;
    }

    FakePortal(const std::string& address, std::optional<uint32_t> answer, bool renamesRequest = false)
        : answer_(answer), renamesRequest_(renamesRequest) {
        std::string failure;
        wire_ = library::dbus::Wire::connect(address, 5, interrupt_, &failure);
        EXPECT_NE(wire_, nullptr) << failure;
        library::dbus::Message request(dbus_message_new_method_call(library::dbus::kBusService, library::dbus::kBusPath,
                                                                    library::dbus::kBusInterface, "RequestName"));
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
        closed_.wait_for(lock, std::chrono::seconds(10), [&] { return call_.contains("closed"); });
        return call_["closed"];
    }

private:
    void serve() {
        while (library::dbus::Message message = wire_->next()) {
            if (dbus_message_is_method_call(message.get(), FileChooserPortal::kRequestInterface, "Close")) {
                std::lock_guard lock(mutex_);
                call_["closed"] = dbus_message_get_path(message.get());
                closed_.notify_all();
            }
            if (dbus_message_is_method_call(message.get(), kFakeInterface, "Answer")) {
                uint32_t code = kCancelled;
                dbus_message_get_args(message.get(), nullptr, DBUS_TYPE_UINT32, &code, DBUS_TYPE_INVALID);
                wire_->send(library::dbus::Message(dbus_message_new_method_return(message.get())));
                sendResponse(*wire_, call()["handle"], code, code == kPicked ? kPickedUri : "");
                continue;
            }
            if (!dbus_message_is_method_call(message.get(), FileChooserPortal::kFileChooserInterface, "OpenFile"))
                continue;
            Call call = readCall(message.get());
            call["caller"] = dbus_message_get_sender(message.get());
            std::string sender = call["caller"].substr(1);
            std::replace(sender.begin(), sender.end(), '.', '_');
            call["handle"] = std::string(FileChooserPortal::kObjectPath) + "/request/" +
                             (renamesRequest_ ? "elsewhere/1" : sender + "/" + call["handle_token"]);
            // Recorded before the reply: once the caller has the handle, a
            // test may ask for the call.
            {
                std::lock_guard lock(mutex_);
                call_ = call;
            }
            library::dbus::Message reply(dbus_message_new_method_return(message.get()));
            const char* handle = call["handle"].c_str();
            dbus_message_append_args(reply.get(), DBUS_TYPE_OBJECT_PATH, &handle, DBUS_TYPE_INVALID);
            wire_->send(std::move(reply));
            if (answer_) sendResponse(*wire_, call["handle"], *answer_, *answer_ == kPicked ? kPickedUri : "");
        }
    }

    static Call readCall(DBusMessage* message) {
        DBusMessageIter args, options, entry, value;
        dbus_message_iter_init(message, &args);
        Call call{{"window", dump(&args)}};
        dbus_message_iter_next(&args);
        call["title"] = dump(&args);
        dbus_message_iter_next(&args);
        for (dbus_message_iter_recurse(&args, &options);
             dbus_message_iter_get_arg_type(&options) == DBUS_TYPE_DICT_ENTRY; dbus_message_iter_next(&options)) {
            dbus_message_iter_recurse(&options, &entry);
            const std::string key = dump(&entry);
            dbus_message_iter_next(&entry);
            dbus_message_iter_recurse(&entry, &value);
            call[key] = dump(&value);
        }
        return call;
    }

    std::optional<uint32_t> answer_;
    bool renamesRequest_;
    library::dbus::Interrupt interrupt_;
    std::unique_ptr<library::dbus::Wire> wire_;
    std::mutex mutex_;
    Call call_;
    std::condition_variable closed_;
    std::thread thread_;
};

class FileChooserPortalTest : public testsupport::PickerFixture {
protected:
    bool runUntil(const std::function<bool()>& done) { return foundation::RunLoop::main().runUntil(done, 10.0); }

    testsupport::TempAppFolders folders;
    std::string bus;
    testsupport::ChildProcess daemon = startBus(folders.root(), &bus);
};

TEST_F(FileChooserPortalTest, TheDesktopsChooserIsUsedWhereItAnswersAndOursWhereItDoesNot) {
    const std::string nowhere = "unix:path=" + folders.root() + "/no-bus-here";
    const struct {
        const char* what;
        std::optional<std::string> bus;
        std::optional<uint32_t> answer;  // none: nobody offers the portal
        bool ownChooser;
        std::vector<std::string> picked;
        int cancelled;
    } cases[] = {
        {"no session bus", std::nullopt, std::nullopt, true, {}, 0},
        {"no bus listens at the address", nowhere, std::nullopt, true, {}, 0},
        {"nobody offers the portal", bus, std::nullopt, true, {}, 0},
        {"the user picks", bus, kPicked, false, {kPickedUri}, 0},
        {"the user cancels", bus, kCancelled, false, {}, 1},
        {"the portal's chooser fails", bus, kFailed, true, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        recorder = std::make_shared<testsupport::PickerRecorder>();
        std::optional<FakePortal> portal;
        if (c.answer) portal.emplace(bus, c.answer);
        present(c.bus);
        EXPECT_TRUE(c.bus || picker->state() == State::InAppChooser) << "nothing is asked without a bus";
        ASSERT_TRUE(runUntil([&] { return recorder->answered() || picker->state() == State::InAppChooser; }));
        advance(1.0);
        EXPECT_EQ(picker->fileChooser() != nullptr, c.ownChooser);
        EXPECT_EQ(recorder->picked, c.picked);
        EXPECT_EQ(recorder->cancelled, c.cancelled);
        if (picker->fileChooser()) {
            picker->fileChooser()->cancel();
            advance(1.0);
        }
        EXPECT_EQ(root->presentedViewController(), nullptr);
        if (!portal) continue;
        FakePortal::Call call = portal->call();
        for (const char* varies : {"handle", "handle_token", "caller"}) call.erase(varies);
        const std::string archives =
            "Tollivar project archive ((0 *.tollivarmobile) (1 application/x-tollivar-archive))";
        // An offscreen window has no name on the desktop.
        EXPECT_EQ(call, (FakePortal::Call{{"window", ""},
                                          {"title", "Import"},
                                          {"accept_label", "Open"},
                                          {"modal", "1"},
                                          {"multiple", "0"},
                                          {"filters", "((" + archives + "))"},
                                          {"current_filter", "(" + archives + ")"}}));
    }
}

// Older portals name the request otherwise: the picker waits on that one,
// hears its answer, and Escape closes it. Anyone on the session bus can send
// a signal on the request's path, to everyone or to the picker alone: only
// the portal's own answer counts.
TEST_F(FileChooserPortalTest, ARequestNamedOtherwiseIsHeardFromThePortalAloneAndEscapeTakesItDown) {
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "answered");
        recorder = std::make_shared<testsupport::PickerRecorder>();
        FakePortal portal(bus, std::nullopt, true);
        // While the desktop's chooser is open the virtual clock stands
        // still, so the sheet comes without its slide.
        present(bus, false);
        ASSERT_TRUE(runUntil([&] { return picker->state() == State::PortalOpen; }));
        EXPECT_FALSE(picker->portalMessageLabel()->isHidden());
        EXPECT_EQ(picker->portalMessageLabel()->text(), "Choose the file in the desktop's file chooser.");
        const std::string handle = portal.call()["handle"];
        library::dbus::Interrupt never;
        std::string failure;
        auto wire = library::dbus::Wire::connect(bus, 5, never, &failure);
        ASSERT_NE(wire, nullptr) << failure;
        if (escape) {
            savePicture("document_picker_portal_open.png");
            fingers.press(ui::Key::Escape);
        } else {
            for (const std::string& to : {std::string(), portal.call().at("caller")})
                sendResponse(*wire, handle, kPicked, "file:///tmp/planted.tollivarmobile", to);
            FakePortal::answerNow(*wire, kPicked);
        }
        ASSERT_TRUE(runUntil([&] { return recorder->answered(); }));
        EXPECT_EQ(recorder->cancelled, escape ? 1 : 0);
        EXPECT_EQ(recorder->picked, escape ? std::vector<std::string>{} : std::vector<std::string>{kPickedUri});
        EXPECT_EQ(escape ? portal.waitForClose() : "", escape ? handle : "");
    }
}

// A test that is killed (a crash, a time limit, SIGKILL) takes its bus
// with it. The keeper stands in for whatever ran the killed test: as a
// subreaper it inherits the orphaned bus and sees how it ended.
TEST(FileChooserPortalBus, ATestKilledMidRunLeavesNoBusBehind) {
    testsupport::TempAppFolders folders;
    // Text still in stdout's buffer as the test forks goes to the console
    // once, not ahead of the bus's number in the killed test's output.
    std::fputs("a bus for a test that is killed: ", stdout);
    auto keeper = testsupport::ChildProcess::forked([&] {
        ::alarm(30);  // a bus that lives on fails the check here
        if (::prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) return 2;
        testsupport::ChildProcess::Options options;
        options.captureOutput = true;
        auto test = testsupport::ChildProcess::forked(
            [&] {
                std::string address;
                auto daemon = startBus(folders.root(), &address);
                std::printf("%d\n", int(daemon.pid()));
                std::fflush(stdout);
                ::pause();
                return 0;
            },
            options);
        std::string pid;
        if (!test.readUntil('\n', &pid)) return 3;
        if (test.stop(SIGKILL) != 128 + SIGKILL) return 4;
        int status = 0;
        if (::waitpid(std::stoi(pid), &status, 0) < 0) return 5;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL ? 0 : 6;
    });
    EXPECT_EQ(keeper.wait(), 0) << "128 + SIGALRM: the bus outlived the test; 125: the keeper threw";
    std::puts("gone");
}

TEST(FileChooserPortalAddress, TheSessionBusIsFoundButNeverStarted) {
    testsupport::TempAppFolders folders;
    const std::string withSocket = folders.root() + "/with", withFile = folders.root() + "/without";
    testsupport::writeFileBytes(withFile + "/bus", "not a socket");
    std::filesystem::create_directories(withSocket);
    ASSERT_EQ(::mknod((withSocket + "/bus").c_str(), S_IFSOCK | 0600, 0), 0);
    const std::string socket = "unix:path=" + withSocket + "/bus";

    const struct {
        std::optional<std::string> address, runtime, expected;
    } cases[] = {
        {"unix:path=/run/elsewhere", withSocket, "unix:path=/run/elsewhere"},
        {std::nullopt, withSocket, socket},
        {"", withSocket, socket},
        {"autolaunch:", withSocket, socket},
        {"autolaunch:", std::nullopt, std::nullopt},
        {"unix:path=/a;autolaunch:scope=x;tcp:host=localhost,port=1", std::nullopt,
         "unix:path=/a;tcp:host=localhost,port=1"},
        {std::nullopt, withFile, std::nullopt},
        {std::nullopt, std::nullopt, std::nullopt},
        {std::nullopt, "relative/run", std::nullopt},
    };
    for (const auto& c : cases) {
        testsupport::ScopedEnvironment environment(
            {{"DBUS_SESSION_BUS_ADDRESS", c.address}, {"XDG_RUNTIME_DIR", c.runtime}});
        EXPECT_EQ(FileChooserPortal::sessionBusAddress(), c.expected)
            << c.address.value_or("-") << " " << c.runtime.value_or("-");
    }
}

}  // namespace
