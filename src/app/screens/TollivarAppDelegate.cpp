#include "app/screens/TollivarAppDelegate.h"

#include "app/audio/KWAudioImporter.h"
#include "app/capture/CaptureViewController.h"
#include "app/core/KWWatchKitLocalStorage.h"
#include "app/core/ProjectImportProcessor.h"
#include "app/share/ShareConfiguration.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RegularFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Uuid.h"
#include "platform/ui/Window.h"

#include <QUrl>
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>
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

// A copy of the file under its own name in a fresh folder of the temporary
// folder, for an importer that consumes what it gets.
std::optional<std::string> copyForAudioInbox(const std::string& file) {
    auto& files = foundation::FileManager::defaultManager();
    std::string staging =
        path::appending(foundation::Paths::temporaryDirectory(), "opened-" + foundation::makeUuidString());
    // The user's alone, as the temporary folder is: no one else may read
    // the copy or swap it before it is imported.
    if (::mkdir(staging.c_str(), 0700) != 0) return std::nullopt;
    std::string copy = path::appending(staging, path::lastComponent(file));
    if (!files.copyItem(file, copy).ok()) {
        (void)files.removeItem(staging);
        return std::nullopt;
    }
    struct stat copied {};
    if (foundation::FileDescriptor opened = foundation::FileDescriptor::open(copy, O_RDONLY | O_NOFOLLOW);
        opened && ::fstat(opened.get(), &copied) == 0 && S_ISREG(copied.st_mode))
        (void)::fchmod(opened.get(), 0600);
    return copy;
}

// Whether an archive in the inbox is as complete as it gets: it ends like a
// whole zip, or its first bytes already show that it is no zip at all (it
// fails at once, as any failed import does).
bool nothingToWaitFor(const std::string& archive) {
    return ProjectImportProcessor::looksComplete(archive) || ProjectImportProcessor::isPlainlyNoZip(archive);
}

}  // namespace

bool TollivarAppDelegate::applicationDidFinishLaunchingWithOptions(ui::Application& application,
                                                                   const foundation::Dictionary& launchOptions) {
    createInboxFolder();
    // The first-launch set-up writes the project list; every import below
    // adds to it only afterwards, so nothing of the set-up is lost.
    prepareProjectStore();
    importProjectsFromInbox();
    watchInbox();
    KWAudioImporter::createSharedAudioInboxFolder();
    return UntitledAppDelegate::applicationDidFinishLaunchingWithOptions(application, launchOptions);
}

std::string TollivarAppDelegate::inboxPath() { return ProjectImportProcessor::inboxPath(); }

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

void TollivarAppDelegate::showStickyAlert(const std::string& message) {
    auto alert = ui::makeView<ui::AlertView>(std::string{}, message, nullptr, foundation::localized("OK"),
                                             std::vector<std::string>{});
    importAlert_ = alert;
    if (ui::Window::keyWindow())
        alert->show();
    else
        foundation::RunLoop::main().post([alert] { alert->show(); });
}

void TollivarAppDelegate::importProjectsFromInbox() {
    auto entries = foundation::FileManager::defaultManager().contentsOfDirectory(inboxPath());
    if (!entries) return;
    std::vector<std::string> archives;
    bool stillArriving = false;
    for (const std::string& name : *entries) {
        if (!name.ends_with(kArchiveSuffix)) continue;
        std::string archive = path::appending(inboxPath(), name);
        if (inboxInFlight_.contains(archive)) continue;
        // One that is still being copied in is left to the inbox watch.
        if (!nothingToWaitFor(archive)) {
            stillArriving = true;
            continue;
        }
        archives.push_back(archive);
    }
    if (stillArriving) inboxDidChange();
    if (archives.empty()) return;
    importArchives(std::move(archives), ImportSource::Inbox);
}

void TollivarAppDelegate::watchInbox() {
    if (inboxWatcher_) return;
    auto weak = foundation::weakFrom(this);
    auto watcher = foundation::FolderWatcher::watch(inboxPath(), [weak] {
        if (auto self = weak.lock()) self->inboxDidChange();
    });
    if (!watcher) {
        std::fprintf(stderr, "Import: %s\n", watcher.error().description.c_str());
        return;
    }
    inboxWatcher_ = std::move(*watcher);
}

void TollivarAppDelegate::inboxDidChange() {
    static constexpr const char* kCheckKey = "inbox";
    foundation::RunLoop& loop = foundation::RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kCheckKey);
    auto weak = foundation::weakFrom(this);
    loop.performAfter(
        kInboxSettleSeconds,
        [weak] {
            if (auto self = weak.lock()) self->checkInbox();
        },
        this, kCheckKey);
}

void TollivarAppDelegate::checkInbox() {
    auto entries = foundation::FileManager::defaultManager().contentsOfDirectory(inboxPath());
    if (!entries) return;
    std::map<std::string, InboxFile> waiting;
    std::vector<std::string> ready;
    for (const std::string& name : *entries) {
        if (!name.ends_with(kArchiveSuffix)) continue;
        std::string archive = path::appending(inboxPath(), name);
        struct stat status {};
        if (inboxInFlight_.contains(archive) || ::stat(archive.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
            continue;
        InboxFile seen{status.st_size, int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec, 0};
        auto before = inboxWaiting_.find(archive);
        if (before != inboxWaiting_.end() && before->second.size == seen.size &&
            before->second.modifiedNanoseconds == seen.modifiedNanoseconds)
            seen.quietChecks = before->second.quietChecks + 1;
        bool settled = seen.quietChecks > 0 && (nothingToWaitFor(archive) || seen.quietChecks >= kIncompleteChecks);
        if (settled)
            ready.push_back(archive);
        else
            waiting[archive] = seen;
    }
    inboxWaiting_ = std::move(waiting);
    if (!inboxWaiting_.empty()) inboxDidChange();
    if (!ready.empty()) importArchives(std::move(ready), ImportSource::Inbox);
}

void TollivarAppDelegate::HandedOverFiles::oneEnded() {
    if (--pending == 0 && opened) std::exchange(opened, nullptr)();
}

void TollivarAppDelegate::importArchives(std::vector<std::string> archives, ImportSource source,
                                         HandedOver handedOver) {
    if (source == ImportSource::Inbox) inboxInFlight_.insert(archives.begin(), archives.end());
    if (handedOver) handedOver->pending += int(archives.size());
    // Views live and die on the main thread: the import holds the alert
    // weakly (while it shows, the list of shown alerts keeps it).
    std::weak_ptr<ui::AlertView> alert = showImportAlert();
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::global(foundation::QueuePriority::Default)
        .async([weak, alert, archives, source, handedOver] {
            // The launch hears of a project in the step that lists it: a quit
            // that comes before the report below cannot make that untrue.
            std::function<void()> listed;
            if (handedOver) listed = [handedOver] { handedOver->oneEnded(); };
            std::vector<ImportOutcome> outcomes;
            for (const std::string& archive : archives) {
                foundation::Error error;
                bool imported = ProjectImportProcessor().importProjectAtPath(archive, &error, listed);
                outcomes.push_back({archive, imported ? std::nullopt : std::optional<foundation::Error>(error)});
            }
            // Each new project is listed (on the main queue) before its import
            // returns, so the browser finds them all when it is told below.
            foundation::DispatchQueue::main().sync([weak, alert, &outcomes, source, &handedOver] {
                if (auto self = weak.lock()) self->finishImport(alert.lock(), outcomes, source, handedOver);
            });
        });
}

std::string TollivarAppDelegate::importSummary(const std::vector<ImportOutcome>& outcomes) {
    size_t imported = 0;
    for (const ImportOutcome& outcome : outcomes)
        if (!outcome.error) ++imported;
    if (imported == outcomes.size()) {
        if (imported == 1) return foundation::localized(kImportedMessage);
        return foundation::localizedFormat("%ld projects successfully imported.",
                                           {foundation::Value(int64_t(imported))});
    }
    std::string message = foundation::localized(kImportFailedMessage);
    if (outcomes.size() > 1) {
        message += "\n" + foundation::localizedFormat(
                              "%ld of %ld projects imported.",
                              {foundation::Value(int64_t(imported)), foundation::Value(int64_t(outcomes.size()))});
    }
    for (const ImportOutcome& outcome : outcomes) {
        if (!outcome.error) continue;
        message += "\n" + foundation::localizedFormat(
                              "“%@”: %@", {foundation::Value(path::lastComponent(outcome.archive)),
                                           foundation::Value(ProjectImportProcessor::failureReason(*outcome.error))});
    }
    return message;
}

void TollivarAppDelegate::finishImport(const std::shared_ptr<ui::AlertView>& alert,
                                       const std::vector<ImportOutcome>& outcomes, ImportSource source,
                                       const HandedOver& handedOver) {
    bool anyImported = false, anyFailed = false, anyStopped = false;
    for (const ImportOutcome& outcome : outcomes) {
        inboxInFlight_.erase(outcome.archive);
        (outcome.error ? anyFailed : anyImported) = true;
        anyStopped |= outcome.error && outcome.error->domain == ProjectImportProcessor::kErrorDomain &&
                      outcome.error->code == ProjectImportProcessor::kErrorStopped;
    }
    // A launch hears of its files only when they truly came in or were
    // reported; after a stop they were neither, and it hears that.
    if (handedOver && anyStopped) handedOver->opened = nullptr;
    // After an inbox run the browser always reloads; an opened archive makes
    // it reload only when the project came in.
    if (source == ImportSource::Inbox || anyImported)
        foundation::NotificationCenter::defaultCenter().post(kDidImportProjectNotification, this);

    if (anyFailed) {
        // A failure must stay readable until the user has seen it.
        if (alert) alert->dismissWithClickedButtonIndex(0, true);
        showStickyAlert(importSummary(outcomes));
        if (handedOver)
            for (const ImportOutcome& outcome : outcomes)
                if (outcome.error) handedOver->oneEnded();
        return;
    }
    // An "Import." alert closed meanwhile (Escape) gets a successor.
    std::shared_ptr<ui::AlertView> shown = alert ? alert : showImportAlert();
    shown->setMessage(importSummary(outcomes));
    auto weak = foundation::weakFrom(this);
    foundation::RunLoop::main().performAfter(kImportAlertSeconds, [weak, shown] {
        if (auto self = weak.lock()) self->dismissAlertView(shown);
    });
}

void TollivarAppDelegate::dismissAlertView(const std::shared_ptr<ui::AlertView>& alertView) {
    if (alertView) alertView->dismissWithClickedButtonIndex(0, true);
}

bool TollivarAppDelegate::applicationOpenURL(ui::Application&, const std::string& url, const std::string&,
                                             const foundation::Value&) {
    return openURL(url, nullptr);
}

void TollivarAppDelegate::applicationOpenHandedOverURLs(ui::Application&, const std::vector<std::string>& urls,
                                                        std::function<void()> opened) {
    // Held until every URL has been looked at, so that an archive that comes
    // in at once does not answer for those after it.
    auto handedOver = std::make_shared<HandedOverFiles>(HandedOverFiles{1, std::move(opened)});
    for (const std::string& url : urls) openURL(url, handedOver);
    handedOver->oneEnded();
}

foundation::Result<TollivarAppDelegate::FileKind> TollivarAppDelegate::kindOfFile(const std::string& file,
                                                                                  bool lookForProject) {
    const std::string extension = path::extension(file);
    if (isArchiveExtension(extension)) return FileKind::Archive;
    if (isAudioExtension(extension)) return FileKind::Audio;
    const auto refused = [](const char* why) {
        return foundation::Error(foundation::kPOSIXErrorDomain, EINVAL, foundation::localized(why));
    };
    // Looked into through a descriptor of the file itself, a regular one: a
    // FIFO would hold the reader, and one put in its place meanwhile is
    // never opened.
    foundation::Result<foundation::FileDescriptor> opened = foundation::openRegularFile(file);
    if (!opened && opened.error().code == EINVAL) return refused("it is not a regular file");
    if (!opened) return foundation::Error::posix(int(opened.error().code), "");
    const std::string contents = "/proc/self/fd/" + std::to_string(opened->get());
    if (!ProjectImportProcessor::startsLikeZip(contents))
        return refused("it is neither a project archive nor a sound file");
    if (lookForProject && !ProjectImportProcessor::holdsProject(contents))
        return refused("it is a zip archive that holds no project");
    return FileKind::Archive;
}

bool TollivarAppDelegate::opensLink(const std::string& url) {
    const std::string scheme = urlScheme(url);
    if (scheme == "tollivar") return true;
    return ShareConfiguration::isDropboxConfigured() &&
           scheme == lowercase("db-" + ShareConfiguration::getDropboxAppKey());
}

bool TollivarAppDelegate::openURL(const std::string& url, const HandedOver& handedOver) {
    if (urlScheme(url) == "tollivar") return true;

    std::string extension = urlPathExtension(url);
    bool archive = isArchiveExtension(extension);
    const bool audio = isAudioExtension(extension);
    std::optional<std::string> file = path::fromFileURL(url);
    if ((archive || audio) && file && !foundation::FileManager::defaultManager().attributesOfItem(*file).ok()) {
        showStickyAlert(foundation::localizedFormat("The file “%@” could not be found.", {foundation::Value(*file)}));
        return false;
    }
    if (file && !archive && !audio) {
        // A file is never the Dropbox login's: what it holds decides. Whether
        // a zip holds a project the import finds out, off the main thread.
        foundation::Result<FileKind> kind = kindOfFile(*file, false);
        if (!kind) {
            showStickyAlert(
                foundation::localizedFormat("The file “%@” could not be opened: %@.",
                                            {foundation::Value(*file), foundation::Value(kind.error().description)}));
            return false;
        }
        archive = *kind == FileKind::Archive;
    }

    if (archive) {
        importArchives({file.value_or(url)}, ImportSource::OpenedFile, handedOver);
        return true;
    }

    if (audio) {
        // The audio importer moves what it is given into its inbox: hand it a
        // copy, so the user's own file stays where it is.
        std::optional<std::string> copy = file ? copyForAudioInbox(*file) : std::nullopt;
        if (!copy) {
            showStickyAlert(foundation::localizedFormat("The file “%@” could not be read.",
                                                        {foundation::Value(file.value_or(url))}));
            return false;
        }
        KWAudioImporter::importAudioFromFileURL(*copy);
        // The copy has moved on into the inbox; its folder is left empty.
        (void)foundation::FileManager::defaultManager().removeItem(path::deletingLastComponent(*copy));
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
        foundation::NotificationCenter::defaultCenter().post(CaptureViewController::kWatchKitActionCaptureNotification,
                                                             this);

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
