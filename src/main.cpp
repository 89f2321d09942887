// The process entry: makes sure one copy runs per data folder, then hands
// control to the application loop with TollivarAppDelegate as the
// application's delegate, and returns its status.
//
// An argument that starts with "-" and is none of the options Qt takes on
// the platform it starts on is refused by name (status 2) before anything
// else happens, as is an option whose value is missing and a file that is
// neither a project archive nor a sound (TollivarAppDelegate::kindOfFile),
// and an address that is no file and none this program opens (a web page);
// after "--" every argument is a file or URL.
//
// A launch while another copy runs for the same data folder hands that copy
// the files and URLs it was given (relative paths resolved against the
// folder it was started in), which opens them and comes to the front; the
// launch exits with status 0 once they are open (or the copy has told the
// user why not), whatever else the copy is busy with. A copy that is
// quitting takes nothing: the launch waits for it to end and runs by
// itself; when the copy quits before it opened what it took, the launch says
// so and exits 1. A copy that does not take them within kHandOffSeconds is
// left, and does not open them later (exit 1; a copy of another build might,
// and the launch says so). When that copy cannot be reached (it found no
// place for its socket), the launch says a copy is already running and
// exits: with status 0 when it had nothing to open, else 1.
//
// The window is tablet-sized unless a phone is asked for: the environment
// variable TOLLIVAR_DEVICE ("phone" or "tablet") wins over the setting
// "device_preference" in the user defaults.

#include "TestDrives.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectImportProcessor.h"
#include "app/screens/ProjectExplorer.h"
#include "app/screens/TollivarAppDelegate.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Memory.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/SingleInstance.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/library/DocumentPickerViewController.h"
#include "platform/library/FileChooserPortal.h"
#include "platform/media/SystemVolume.h"
#include "platform/ui/host/Application.h"
#include "platform/ui/host/ApplicationMain.h"
#include "platform/ui/host/Device.h"
#include "platform/ui/host/OpenArguments.h"
#include "platform/ui/host/WindowHost.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kDeviceVariable = "TOLLIVAR_DEVICE";
constexpr const char* kDevicePreferenceKey = "device_preference";
constexpr const char* kLockFile = "tollivar.lock";
constexpr const char* kSocketPrefix = "tollivar";
// How long a launch waits for a running copy (still starting up, or busy)
// to take its files.
constexpr double kHandOffSeconds = 30.0;
// The exit status of a launch whose command line, or a file it names, was
// refused.
constexpr int kRefusedArguments = 2;
// How long quitting waits for background work to end.
constexpr double kPoolWorkSeconds = 2.0;

void chooseDevice() {
    std::string choice;
    if (const char* variable = std::getenv(kDeviceVariable); variable && *variable) {
        choice = variable;
    } else if (auto setting = foundation::UserDefaults::standard().stringForKey(kDevicePreferenceKey)) {
        choice = *setting;
    }
    if (choice == "phone") ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
    if (choice == "tablet") ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Pad);
}

std::string dataFolder() { return foundation::path::deletingLastComponent(foundation::Paths::documentsDirectory()); }

// The copy that runs for this data folder opens what a later launch hands it,
// and says when it has.
void openHandedOver(const std::vector<std::string>& urls, std::function<void()> opened) {
    ui::Application::shared().openHandedOverURLs(urls, std::move(opened));
    ui::activateWindows();
}

// What a launch that did not run says after "a copy is already running", and
// its exit status.
struct HandOffOutcome {
    std::string text;
    int status = 0;
};

HandOffOutcome handOffOutcome(const foundation::Result<foundation::SingleInstance::Role>& role, bool anyFiles,
                              bool severalFiles) {
    if (role && *role == foundation::SingleInstance::Role::HandedOff)
        return {anyFiles ? "it took the files given here." : "it comes to the front.", 0};
    if (role && !anyFiles) return {"it cannot be reached.", 0};
    if (role) return {"it cannot be reached, so the files given here were not opened.", 1};
    const std::string why = role.error().description + ".";
    if (!anyFiles) return {"it did not answer: " + why, 1};
    if (role.error().code == EINPROGRESS) return {"the files given here may still be opened: " + why, 1};
    // A copy that quit may have opened some of several files before.
    if (role.error().code == ECANCELED && severalFiles)
        return {"the files given here were not opened, or not all of them: " + why, 1};
    return {"the files given here were not opened: " + why, 1};
}

}  // namespace

int main(int argc, char** argv) {
    foundation::memory::returnLargeBlocksToTheSystem();
    std::error_code noFolder;
    std::string workingFolder = std::filesystem::current_path(noFolder).string();
    ui::OpenArguments arguments = ui::readOpenArguments({argv + std::min(argc, 1), argv + argc}, workingFolder);
    for (const ui::RefusedArgument& refused : arguments.refused) {
        const char* argument = refused.argument.c_str();
        switch (refused.reason) {
            case ui::RefusedArgument::Reason::Empty:
                std::fprintf(stderr, "tollivar: an empty argument names no file.\n");
                break;
            case ui::RefusedArgument::Reason::MissingValue:
                std::fprintf(stderr, "tollivar: \"%s\" needs a value after it.\n", argument);
                break;
            case ui::RefusedArgument::Reason::Unknown:
                std::fprintf(stderr,
                             "tollivar: \"%s\" is not an option this program knows; to open a file of that name, "
                             "give \"./%s\" or put \"--\" before it.\n",
                             argument, argument);
                break;
        }
    }
    // A file that nothing here opens is refused by name as well, before a
    // window opens or a running copy is handed what it could only drop.
    bool refused = !arguments.refused.empty();
    for (const std::string& url : arguments.urls) {
        std::optional<std::string> file = foundation::path::fromFileURL(url);
        if (!file) {
            if (!TollivarAppDelegate::opensLink(url)) {
                std::fprintf(stderr, "tollivar: \"%s\" cannot be opened: it is neither a file nor a link this "
                             "program opens.\n", url.c_str());
                refused = true;
            }
            continue;
        }
        if (auto kind = TollivarAppDelegate::kindOfFile(*file, true); !kind) {
            std::fprintf(stderr, "tollivar: \"%s\" cannot be opened: %s.\n", file->c_str(),
                         kind.error().description.c_str());
            refused = true;
        }
    }
    if (refused) return kRefusedArguments;
    const std::vector<std::string>& urls = arguments.urls;
    // Qt reads its options from what comes before "--" alone: a file named
    // "-reverse" after it stays a file.
    std::vector<char*> qtArguments(argv, argv + std::min(argc, 1) + int(arguments.qtArgumentCount));
    int qtArgumentCount = int(qtArguments.size());
    qtArguments.push_back(nullptr);

    // The folders made for this run alone go when it ends, however main ends.
    struct FoldersOfThisRun {
        ~FoldersOfThisRun() { foundation::Paths::removeFoldersOfThisRun(); }
    } foldersOfThisRun;

    // The lock is taken whatever becomes of the socket: it is what keeps a
    // second copy off the data folder.
    auto instance = std::make_unique<foundation::SingleInstance>(
        foundation::path::appending(dataFolder(), kLockFile),
        foundation::SingleInstance::socketNameFor(dataFolder(), kSocketPrefix));
    auto role = instance->claimOrHandOff(urls, kHandOffSeconds);
    if (!role && !instance->foundRunningCopy()) {
        std::fprintf(stderr, "tollivar: cannot lock %s: %s\n", dataFolder().c_str(), role.error().description.c_str());
        return 1;
    }
    if (!role || *role != foundation::SingleInstance::Role::Running) {
        // Another copy runs for this data folder: this launch does not.
        HandOffOutcome outcome = handOffOutcome(role, !urls.empty(), urls.size() > 1);
        std::fprintf(stderr, "tollivar: a copy is already running for %s; %s\n", dataFolder().c_str(),
                     outcome.text.c_str());
        return outcome.status;
    }

    chooseDevice();
    // The browser's Import: the desktop's file chooser where its portal
    // answers on the session bus, else the chooser of our own (always, when
    // the window is served over VNC: the desktop's dialog would show
    // elsewhere).
    ProjectExplorer::setDocumentPickerFactory([](const std::string& documentType) {
        auto bus = ui::windowsShowOnDesktop() ? library::FileChooserPortal::sessionBusAddress() : std::nullopt;
        return std::make_shared<library::DocumentPickerViewController>(
            std::vector<std::string>{documentType}, library::DocumentPickerMode::Import, std::move(bus));
    });
    // The keyboard's volume keys are the device's volume buttons.
    ui::WindowHost::setVolumeKeyHandler([](int step) { media::SystemVolume::shared().stepVolume(step); });
    // A quit stops taking files first, before anything of it can let a
    // handed-over file go unopened.
    ui::Application::shared().setTerminationStartHandler([&instance] { instance->stopListening(); });
    int status = ui::ApplicationMain(qtArgumentCount, qtArguments.data(), urls, [&instance] {
        instance->startListening(openHandedOver);
        testdrives::driveCardForTests();
        testdrives::driveDropboxLoginForTests();
        return std::make_shared<TollivarAppDelegate>();
    });
    // The delegate owns the window and every screen: release them before the
    // process's static objects go, in a known order.
    ui::Application::shared().setDelegate(nullptr);
    // Work still on the pool ends while this copy holds the data folder; an
    // import or a duplicate stops at its next file. Work that does not end in
    // time is left behind rather than hold the exit (what must survive is
    // written atomically, what is built aside is swept at the next start).
    ProjectImportProcessor::stopImports();
    KWProjects::stopDuplicates();
    if (!foundation::DispatchQueue::finishPoolWork(kPoolWorkSeconds)) {
        std::fprintf(stderr, "tollivar: background work did not end in time; quitting without it.\n");
        std::fflush(nullptr);
        std::_Exit(status);
    }
    instance.reset();
    return status;
}
