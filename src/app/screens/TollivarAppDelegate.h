#pragma once

// The application's delegate: the launch of its base plus the "Import" inbox
// of project archives, the files and URLs other applications hand over, and
// the requests of the watch extension.

#include "app/core/ProjectImportProcessor.h"
#include "app/screens/UntitledAppDelegate.h"
#include "platform/foundation/FolderWatcher.h"
#include "platform/ui/controllers/AlertView.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class TollivarAppDelegate : public UntitledAppDelegate {
public:
    static inline const char* kInboxFolder = ProjectImportProcessor::kInboxFolder;
    static inline const char* kArchiveSuffix = ProjectImportProcessor::kArchiveSuffix;
    static inline const char* kDidImportProjectNotification = ProjectImportProcessor::kDidImportProjectNotification;
    // How long an import's outcome stays on screen.
    static constexpr double kImportAlertSeconds = 3.0;

    // Inbox folder, first-launch set-up of the project store, inbox import,
    // audio inbox, then the base launch.
    bool applicationDidFinishLaunchingWithOptions(ui::Application& application,
                                                  const foundation::Dictionary& launchOptions) override;

    // Creates "Import" in the documents folder when missing.
    void createInboxFolder();
    // Imports every "Import" entry whose name ends with "tollivarmobile" on a
    // global queue, with an alert that tells the outcome. An archive that may
    // still be being copied in (the start of a zip, no end of its directory
    // yet) is left for the inbox watch; a file that is plainly no zip fails
    // at once.
    void importProjectsFromInbox();
    // Archives put into "Import" while the application runs are imported
    // once they have stopped changing: an event of the folder watch starts
    // a look every kInboxSettleSeconds until nothing waits any more. An
    // archive is taken when it was unchanged since the previous look and
    // ends like a complete zip or begins like no zip, or when it has been
    // unchanged for kIncompleteChecks looks all the same (it then fails as
    // damaged).
    static constexpr double kInboxSettleSeconds = 1.0;
    static constexpr int kIncompleteChecks = 30;
    // Starts the folder watch of "Import".
    void watchInbox();
    // Something in "Import" changed: look again once it has been quiet.
    void inboxDidChange();

    // Closes an alert as if its first button had been tapped.
    void dismissAlertView(const std::shared_ptr<ui::AlertView>& alertView);

    // "tollivar:" URLs, project archives, audio files, then the Dropbox login.
    // A file that does not exist, or that nothing here opens, gets an alert
    // that names it. Archives and audio files are taken in as copies: the
    // user's file stays as it is.
    bool applicationOpenURL(ui::Application& application, const std::string& url, const std::string& sourceApplication,
                            const foundation::Value& annotation) override;
    // Each URL as applicationOpenURL opens it; `opened` once each of these
    // archives has been listed or its failure shown (other launches' imports
    // are no matter); dropped when the quit stopped one of them.
    void applicationOpenHandedOverURLs(ui::Application& application, const std::vector<std::string>& urls,
                                       std::function<void()> opened) override;
    // "action" = "capture" asks the capture screen for a picture; every
    // request is answered with the capture screen's state.
    void applicationHandleWatchKitExtensionRequest(ui::Application& application, const foundation::Dictionary& request,
                                                   std::function<void(foundation::Dictionary)> reply) override;

    static std::string inboxPath();

    // How a file is opened: as a project archive or a sound by its name's
    // extension; under any other name as an archive when it begins as a zip
    // (only a regular file is looked into) and, with `lookForProject`, its
    // directory lists a project; without, the import finds that out and
    // says so. For anything else the error tells the user why nothing here
    // opens it.
    enum class FileKind { Archive, Audio };
    static foundation::Result<FileKind> kindOfFile(const std::string& file, bool lookForProject);
    // Whether an address that names no file is one this program opens: one
    // of its own scheme, or the Dropbox login's answer where Dropbox is set
    // up. Anything else (a web page, say) would be dropped without a word.
    static bool opensLink(const std::string& url);

    // The alert of the last import, while it is up (tests read its text).
    std::shared_ptr<ui::AlertView> importAlert() const { return importAlert_.lock(); }

    // What an import of several archives tells the user: the usual texts
    // for a clean result, else how many arrived and, per failed archive, its
    // file name and what was wrong.
    struct ImportOutcome {
        std::string archive;
        std::optional<foundation::Error> error;
    };
    static std::string importSummary(const std::vector<ImportOutcome>& outcomes);

private:
    enum class ImportSource { Inbox, OpenedFile };
    // The files one later launch handed over, while they are opened (main
    // thread): `opened` once none is pending any more.
    struct HandedOverFiles {
        int pending = 0;
        std::function<void()> opened;
        void oneEnded();
    };
    using HandedOver = std::shared_ptr<HandedOverFiles>;

    // applicationOpenURL, on behalf of a later launch when `handedOver` is set.
    bool openURL(const std::string& url, const HandedOver& handedOver);

    // Shows the "Import." alert, the start of every import.
    std::shared_ptr<ui::AlertView> showImportAlert();
    // Imports the archives one after the other on a global queue, then
    // reports on the main queue; each one listed or reported counts as ended
    // for `handedOver`.
    void importArchives(std::vector<std::string> archives, ImportSource source, HandedOver handedOver = nullptr);
    // A clean result shows in the "Import." alert, which closes 3 s later; a
    // failure replaces it with an alert that stays until its OK. The browser
    // reloads after every inbox run and after an opened archive came in.
    void finishImport(const std::shared_ptr<ui::AlertView>& alert, const std::vector<ImportOutcome>& outcomes,
                      ImportSource source, const HandedOver& handedOver);
    // An alert with an OK button that stays until the user closes it.
    void showStickyAlert(const std::string& message);

    std::weak_ptr<ui::AlertView> importAlert_;
    // One look at the inbox (see kInboxSettleSeconds).
    void checkInbox();

    // Inbox archives being imported right now, which no other run may take.
    std::set<std::string> inboxInFlight_;
    // What the last look saw of each archive still waiting.
    struct InboxFile {
        int64_t size = 0;
        int64_t modifiedNanoseconds = 0;
        int quietChecks = 0;
    };
    std::map<std::string, InboxFile> inboxWaiting_;
    std::unique_ptr<foundation::FolderWatcher> inboxWatcher_;
};
