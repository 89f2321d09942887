#include "app/screens/TollivarAppDelegate.h"

#include "app/audio/KWAudioImporter.h"
#include "app/core/KWWatchKitLocalStorage.h"
#include "app/core/ProjectImportProcessor.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Window.h"

#include <QUrl>
#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

namespace {

namespace path = foundation::path;

constexpr const char* kImportingMessage = "Import.";
constexpr const char* kImportedMessage = "Project successfully imported.";
constexpr const char* kImportFailedMessage = "There was a problem copying the project. Please try again.";

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The type identifiers this application tells apart by file-name extension:
// its own archives and the sound files it takes in.
bool isArchiveExtension(const std::string& extension) {
    return lowercase(extension) == TollivarAppDelegate::kArchiveSuffix;
}

bool isAudioExtension(const std::string& extension) {
    static constexpr std::array<const char*, 12> kAudio = {"mp3",  "m4a",  "aac", "wav", "wave", "aif",
                                                           "aiff", "aifc", "caf", "m4r", "amr",  "flac"};
    std::string lower = lowercase(extension);
    return std::any_of(kAudio.begin(), kAudio.end(), [&](const char* known) { return lower == known; });
}

// The extension of a URL's path ("file:///a/b.m4a" → "m4a").
std::string urlPathExtension(const std::string& url) {
    QUrl parsed(QString::fromStdString(url));
    std::string urlPath = parsed.isValid() ? parsed.path().toStdString() : url;
    return path::extension(urlPath);
}

std::string urlScheme(const std::string& url) {
    size_t colon = url.find(':');
    if (colon == std::string::npos) return {};
    return lowercase(url.substr(0, colon));
}

}  // namespace

bool TollivarAppDelegate::applicationDidFinishLaunchingWithOptions(ui::Application& application,
                                                                   const foundation::Dictionary& launchOptions) {
    createInboxFolder();
    // The first-launch set-up writes the project list; every import below
    // adds to it only afterwards, so nothing of the set-up is lost.
    prepareProjectStore();
    importProjectsFromInbox();
    KWAudioImporter::createSharedAudioInboxFolder();
    return UntitledAppDelegate::applicationDidFinishLaunchingWithOptions(application, launchOptions);
}

std::string TollivarAppDelegate::inboxPath() {
    return path::appending(foundation::Paths::documentsDirectory(), kInboxFolder);
}

void TollivarAppDelegate::createInboxFolder() {
    auto& files = foundation::FileManager::defaultManager();
    if (files.fileExists(inboxPath())) return;
    (void)files.createDirectory(inboxPath(), true);
}

std::shared_ptr<ui::AlertView> TollivarAppDelegate::showImportAlert() {
    auto alert = ui::makeView<ui::AlertView>(std::string{}, foundation::localized(kImportingMessage), nullptr,
                                             std::nullopt, std::vector<std::string>{});
    importAlert_ = alert;
    if (ui::Window::keyWindow()) {
        alert->show();
    } else {
        // The inbox import starts before the launch has made the window; an
        // alert shown now would have nothing to appear on. It comes up as
        // soon as the launch is through, before the import can report.
        foundation::RunLoop::main().post([alert] { alert->show(); });
    }
    return alert;
}

void TollivarAppDelegate::importProjectsFromInbox() {
    auto entries = foundation::FileManager::defaultManager().contentsOfDirectory(inboxPath());
    if (!entries) return;
    std::vector<std::string> archives;
    for (const std::string& name : *entries)
        if (name.ends_with(kArchiveSuffix)) archives.push_back(path::appending(inboxPath(), name));
    if (archives.empty()) return;

    auto alert = showImportAlert();
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::global(foundation::QueuePriority::Default).async([weak, alert, archives] {
        size_t imported = 0;
        for (const std::string& archive : archives) {
            // The processor removes an imported archive and sets a failed one
            // aside, so the inbox never imports the same file twice.
            ProjectImportProcessor processor;
            if (processor.importProjectAtPath(archive)) ++imported;
        }
        // The processor has queued each new project for the list on the main
        // queue already; this runs after them.
        foundation::DispatchQueue::main().sync([weak, alert, imported, total = archives.size()] {
            auto self = weak.lock();
            if (!self) return;
            self->finishImport(alert, imported == total, imported > 0);
        });
    });
}

void TollivarAppDelegate::finishImport(const std::shared_ptr<ui::AlertView>& alert, bool allSucceeded,
                                       bool anyImported) {
    alert->setMessage(foundation::localized(allSucceeded ? kImportedMessage : kImportFailedMessage));
    // Projects that did arrive must show in the browser even when another
    // archive failed.
    if (anyImported) foundation::NotificationCenter::defaultCenter().post(kDidImportProjectNotification, this);
    auto weak = foundation::weakFrom(this);
    foundation::RunLoop::main().performAfter(kImportAlertSeconds, [weak, alert] {
        if (auto self = weak.lock()) self->dismissAlertView(alert);
    });
}

void TollivarAppDelegate::dismissAlertView(const std::shared_ptr<ui::AlertView>& alertView) {
    if (alertView) alertView->dismissWithClickedButtonIndex(0, true);
}

bool TollivarAppDelegate::applicationOpenURL(ui::Application&, const std::string& url, const std::string&,
                                             const foundation::Value&) {
    if (urlScheme(url) == "tollivar") return true;

    std::string extension = urlPathExtension(url);
    if (isArchiveExtension(extension)) {
        auto alert = showImportAlert();
        auto weak = foundation::weakFrom(this);
        auto processor = std::make_shared<ProjectImportProcessor>();
        processor->importProjectAtUrl(url, [weak, alert, processor](bool success) {
            foundation::DispatchQueue::main().sync([weak, alert, success] {
                if (auto self = weak.lock()) self->finishImport(alert, success, success);
            });
        });
        return true;
    }

    if (isAudioExtension(extension)) {
        KWAudioImporter::importAudioFromFileURL(url);
        auto alert = ui::makeView<ui::AlertView>(std::string{}, foundation::localized("Audio file imported."), nullptr,
                                                 foundation::localized("OK"), std::vector<std::string>{});
        alert->show();
        return true;
    }

    return handleDropboxURL(url);
}

void TollivarAppDelegate::applicationHandleWatchKitExtensionRequest(ui::Application&,
                                                                    const foundation::Dictionary& request,
                                                                    std::function<void(foundation::Dictionary)> reply) {
    foundation::Value action = request.get("action");
    if (action.isString() && action.asString() == "capture")
        foundation::NotificationCenter::defaultCenter().post(kWatchKitActionCaptureNotification, this);

    foundation::Dictionary answer;
    KWWatchKitLocalStorage& storage = KWWatchKitLocalStorage::sharedWatchKitLocalStorage();
    if (storage.isReady()) {
        // Texts the capture screen has not written yet go out empty: a reply
        // is a property list, which has no place for nothing.
        answer.set("INFO", foundation::Value(storage.info().value_or("")));
        answer.set("PROJECT", foundation::Value(storage.name().value_or("")));
        answer.set("READY_TO_CAPTURE", foundation::Value(storage.isReadyToCapture()));
    }
    if (reply) reply(answer);
}
