#pragma once

// The online services' base: each needs this computer's application
// credentials (ShareConfiguration); without them it says it is not set up.
// YouTube, once set up, opens its own upload sheet (account, categories,
// privacy, resume). Dropbox is DropboxConnectHandler.

#include "app/share/ConnectHandler.h"

class OnlineConnectHandler : public ConnectHandler {
public:
    bool needsNetwork() const override { return true; }
    // Credentials and a client: this version has no client yet.
    bool isConfigured() const override { return false; }
    std::string notSetUpText() const override;
    void uploadFile(const std::string& path, const std::string& title, const std::string& caption,
                    const std::string& typeIdentifier) override;
    std::string uploadingText() const override;
    std::string successText() const override;

protected:
    virtual bool hasCredentials() const = 0;
    // "YouTube", "Dropbox".
    virtual std::string serviceName() const = 0;
};

class YoutubeConnectHandler : public OnlineConnectHandler {
public:
    static inline const char* kActivityType = "com.marrowick.tollivar.activity.youtube";
    static inline const char* kIconName = "share_icon_youtube";
    static inline const char* kNotSetUpText = "YouTube is not set up on this computer.";

    std::string activityType() const override { return kActivityType; }
    std::string activityTitle() const override;
    graphics::Image activityImage() const override;
    std::vector<std::string> getSupportedUTIs() const override;
    bool isConfigured() const override { return hasCredentials(); }
    // The upload sheet, in a navigation stack of its own so the sign-in
    // screen can be pushed over it.
    std::shared_ptr<ui::ViewController> activityViewController() override;

protected:
    bool hasCredentials() const override;
    std::string serviceName() const override { return "YouTube"; }
};
