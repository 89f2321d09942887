#pragma once

// The application's delegate: the launch of its base plus the "Import" inbox
// of project archives, the files and URLs other applications hand over, and
// the requests of the watch extension.

#include "app/screens/UntitledAppDelegate.h"
#include "platform/ui/controllers/AlertView.h"

#include <memory>
#include <string>

class TollivarAppDelegate : public UntitledAppDelegate {
public:
    static inline const char* kInboxFolder = "Import";
    static inline const char* kArchiveSuffix = "tollivarmobile";
    static inline const char* kArchiveTypeIdentifier = "com.marrowick.tollivar.archive";
    static inline const char* kDidImportProjectNotification = "PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT";
    static inline const char* kWatchKitActionCaptureNotification = "WatchKitActionCapture";
    // How long an import's outcome stays on screen.
    static constexpr double kImportAlertSeconds = 3.0;

    // Inbox folder, first-launch set-up of the project store, inbox import,
    // audio inbox, then the base launch.
    bool applicationDidFinishLaunchingWithOptions(ui::Application& application,
                                                  const foundation::Dictionary& launchOptions) override;

    // Creates "Import" in the documents folder when missing.
    void createInboxFolder();
    // Imports every "Import" entry whose name ends with "tollivarmobile" on a
    // global queue, with an alert that tells the outcome.
    void importProjectsFromInbox();
    // Closes an alert as if its first button had been tapped.
    void dismissAlertView(const std::shared_ptr<ui::AlertView>& alertView);

    // "tollivar:" URLs, project archives, audio files, then the Dropbox login.
    bool applicationOpenURL(ui::Application& application, const std::string& url, const std::string& sourceApplication,
                            const foundation::Value& annotation) override;
    // "action" = "capture" asks the capture screen for a picture; every
    // request is answered with the capture screen's state.
    void applicationHandleWatchKitExtensionRequest(ui::Application& application, const foundation::Dictionary& request,
                                                   std::function<void(foundation::Dictionary)> reply) override;

    static std::string inboxPath();

    // The alert of the last import, while it is up (tests read its text).
    std::shared_ptr<ui::AlertView> importAlert() const { return importAlert_.lock(); }

private:
    // Shows the "Import." alert, the start of every import.
    std::shared_ptr<ui::AlertView> showImportAlert();
    // Tells the outcome in the alert (success only when every archive came
    // in), has the browser reload when any did, and closes the alert 3 s
    // later. Main thread.
    void finishImport(const std::shared_ptr<ui::AlertView>& alert, bool allSucceeded, bool anyImported);

    std::weak_ptr<ui::AlertView> importAlert_;
};
