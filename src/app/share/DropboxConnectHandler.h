#pragma once

// The Dropbox share service on the session of this computer's application
// key (installed on first use, root "sandbox"). Linking goes through the
// session's hand-off; the application delegate answers with
// "DropboxLoginNotification", whose boolean says whether the account is
// linked now. Only a link this service started takes the answer: YES goes on
// (the account's display name is loaded), NO ends the sign-in as cancelled,
// or as failed when an error comes with it.
// Files go to the app folder through the serial DropboxUploadQueue, whose
// transport and relink handler this service installs.

#include "app/share/ConnectHandler.h"
#include "platform/foundation/NotificationCenter.h"

#include <memory>
#include <optional>
#include <string>

class DBSession;

class DropboxConnectHandler : public ConnectHandler {
public:
    static inline const char* kActivityType = "com.marrowick.tollivar.activity.dropbox";
    static inline const char* kIconName = "share_icon_dropbox";
    static inline const char* kLoginNotification = "DropboxLoginNotification";
    // Beside a NO: why the link was refused (a native foundation::Error),
    // when the user should hear of it.
    static inline const char* kLoginErrorKey = "ERROR";
    static inline const char* kNotSetUpText = "Dropbox is not set up on this computer.";
    static inline const char* kNotInstalledText =
        "Linking Dropbox needs the application installed on this desktop (see the README).";
    static inline const char* kExpiredText = "Your Dropbox link has expired. Link your account again?";
    static inline const char* kErrorDomain = "DropboxConnectHandler";

    DropboxConnectHandler();
    ~DropboxConnectHandler() override;

    std::string activityType() const override { return kActivityType; }
    std::string activityTitle() const override;
    graphics::Image activityImage() const override;

    bool isConfigured() const override;
    std::string notSetUpText() const override;
    bool needsNetwork() const override { return true; }
    bool isLoggedIn() const override;
    void login() override;
    void loadAccount() override;
    void logout() override;
    std::string accountName() const override { return accountName_; }

    std::vector<std::string> getSupportedUTIs() const override;
    void uploadFile(const std::string& path, const std::string& title, const std::string& caption,
                    const std::string& typeIdentifier) override;
    void cancel() override;
    std::string uploadingText() const override;
    std::string successText() const override;

    // The shared session, installed from the configuration when missing;
    // null when this computer has no application key.
    static std::shared_ptr<DBSession> session();
    // Gives the upload queue its transport and relink handler (once).
    static void prepareQueue();
    // At launch: takes up the uploads the last run left waiting and sends
    // them; returns the Outbox copies of the queue's entries, for the launch
    // to keep (DropboxUploadQueue::restore).
    static std::vector<std::string> resumeUploads();

    bool isWaitingForLogin() const { return waitingForLogin_; }

private:
    void loginAnswered(bool linked, const foundation::Error* error);

    bool waitingForLogin_ = false;
    std::string accountName_;
    std::optional<uint64_t> queued_;
    foundation::ObserverToken loginObserver_;
    std::shared_ptr<struct DropboxAccountLoader> accountLoader_;
};
