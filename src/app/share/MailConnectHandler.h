#pragma once

// Hands the rendered file to the desktop's mail program through xdg-email:
// subject the title, body the caption and the signature, the file attached
// from the Outbox (the mail program may read it long after xdg-email has
// returned, so the entry stays until the next launch). Handing over is all
// this service can know: it completes when xdg-email reports success.

#include "app/share/ConnectHandler.h"

class MailConnectHandler : public ConnectHandler {
public:
    static inline const char* kActivityType = "com.marrowick.tollivar.activity.mail";
    static inline const char* kIconName = "share_icon_mail";
    static inline const char* kErrorDomain = "MailConnectHandler";
    static inline const char* kCouldNotOpenText = "Your mail program could not be opened.";

    std::string activityType() const override { return kActivityType; }
    std::string activityTitle() const override;
    graphics::Image activityImage() const override;

    std::vector<std::string> getSupportedUTIs() const override;
    void uploadFile(const std::string& path, const std::string& title, const std::string& caption,
                    const std::string& typeIdentifier) override;
    std::string uploadingText() const override;
    std::string successText() const override;

    // Whether the desktop names a program for mailto addresses.
    static bool isMailProgramAvailable();
    // What xdg-email is given for a file already in the Outbox.
    static std::vector<std::string> mailArguments(const std::string& title, const std::string& caption,
                                                  const std::string& attachmentPath);
};
