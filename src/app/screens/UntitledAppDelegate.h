#pragma once

// The application delegate's base: owns the window and the root screen and
// runs the launch sequence up to the project browser.
//
// The first-launch set-up of the project store (introduction project, project
// list, data version) runs once, before anything may add a project to the
// list: it is prepared at the very start of the launch, so an archive import
// that starts during the launch only ever adds to the finished list.
//
// All of it runs on the main thread.

#include "app/screens/MainViewController.h"
#include "components/crashreporting/BWQuincyManager.h"
#include "platform/foundation/Value.h"
#include "platform/ui/Window.h"
#include "platform/ui/host/Application.h"

#include <memory>
#include <string>
#include <vector>

class UntitledAppDelegate : public ui::ApplicationDelegate,
                            public BWQuincyManagerDelegate,
                            public std::enable_shared_from_this<UntitledAppDelegate> {
public:
    static inline const char* kVersionPreferenceKey = "version_preference";
    static inline const char* kResetSettingsKey = "isResetSettings";
    // Where crash reports are posted.
    static inline const char* kCrashReportSubmissionURL = "https://crashes.marrowick.com/tollivar/crash_v200.php";
    // The question before crash reports of earlier runs are sent.
    static inline const char* kCrashAlertTitle = "Unexpected Quit";
    static inline const char* kCrashAlertMessage =
        "The app quit unexpectedly the last time it was used. Would you like to send a report so that the "
        "problem can be fixed?";

    UntitledAppDelegate();
    ~UntitledAppDelegate() override;

    std::shared_ptr<ui::Window> window;
    std::shared_ptr<MainViewController> mainViewController;

    // Builds the window and the root screen, hands a launch URL on and queues
    // loadApplication. Always true.
    bool applicationDidFinishLaunchingWithOptions(ui::Application& application,
                                                  const foundation::Dictionary& launchOptions) override;
    // Version text, settings, first-launch set-up (when still due), browser,
    // crash reporting, launch count, window look. Runs once.
    void loadApplication();
    // Version text, settings reset after a crash or on request, settings
    // loaded, the first-launch set-up of the project store, and the whole
    // project folders that a kill left unlisted listed. Runs once; later
    // calls do nothing.
    void prepareProjectStore();

    // Names of the documents folder's entries that begin with "kelbrin-", in
    // listing order.
    static std::vector<std::string> searchForFiles();

    void applicationWillResignActive(ui::Application& application) override;
    void applicationDidEnterBackground(ui::Application& application) override;
    void applicationWillTerminate(ui::Application& application) override;

    // The Dropbox login hand-off only.
    bool applicationOpenURL(ui::Application& application, const std::string& url, const std::string& sourceApplication,
                            const foundation::Value& annotation) override;

protected:
    // Offers the URL to the Dropbox link object and returns its answer. Every
    // address of the session's scheme posts the login outcome (true only for
    // a connect callback that linked); other schemes are left alone.
    bool handleDropboxURL(const std::string& url);

    bool didCrashInLastSession() const { return crashedInLastSession_; }

private:
    // The introduction project, the project list and the data version, for a
    // store whose data version is below 3.0.
    void setUpProjectStoreForFirstLaunch();
    void applyWindowLook();
    // Whether the previous run left a crash report, asked before the crash
    // manager starts (the manager itself knows only once it has started).
    static bool previousRunLeftCrashReport();
    // Sets up and starts the crash manager; it asks the user with an alert
    // before it sends reports of earlier runs.
    void startCrashReporting();
    // Sweeps the render cache, the temporary, documents and caches folders,
    // on a background queue, of the temporaries that no writer holds: what
    // killed renders, recordings, duplicates, imports and deletions left.
    static void removeAbandonedFiles();

    bool storePrepared_ = false;
    bool applicationLoaded_ = false;
    bool crashedInLastSession_ = false;
};
