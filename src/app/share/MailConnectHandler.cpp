#include "app/share/MailConnectHandler.h"

#include "app/core/BundleImage.h"
#include "app/share/ExternalProgram.h"
#include "app/share/Outbox.h"
#include "app/share/ShareConfiguration.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"

std::string MailConnectHandler::activityTitle() const { return foundation::localized("Mail"); }

graphics::Image MailConnectHandler::activityImage() const {
    return bundleImageNamed(kIconName).value_or(graphics::Image());
}

std::vector<std::string> MailConnectHandler::getSupportedUTIs() const { return {kUTTypeQuickTimeMovie, kUTTypeGIF}; }

std::string MailConnectHandler::uploadingText() const { return foundation::localized("Opening your mail program…"); }

std::string MailConnectHandler::successText() const {
    return foundation::localized("Your movie was handed to your mail program.");
}

bool MailConnectHandler::isMailProgramAvailable() {
    auto outcome = runProgram({"xdg-mime", "query", "default", "x-scheme-handler/mailto"}, true);
    if (!outcome || outcome->status != 0) return false;
    return outcome->output.find_first_not_of(" \t\r\n") != std::string::npos;
}

std::vector<std::string> MailConnectHandler::mailArguments(const std::string& title, const std::string& caption,
                                                           const std::string& attachmentPath) {
    return {"xdg-email", "--subject", title, "--body", appendingShareSignature(caption), "--attach", attachmentPath};
}

void MailConnectHandler::uploadFile(const std::string& path, const std::string& title, const std::string& caption,
                                    const std::string&) {
    std::weak_ptr<ConnectHandler> weak = weak_from_this();
    auto fail = [weak](foundation::Error error) {
        auto self = weak.lock();
        if (self && self->delegate()) self->delegate()->connectHandlerDidFailUpload(*self, error);
    };
    // The attachment is a copy of its own; a large movie is copied away from
    // the screen's thread.
    foundation::DispatchQueue::global().async([weak, fail, path, title, caption] {
        auto entry = Outbox::addFile(path);
        foundation::DispatchQueue::main().async([weak, fail, entry, title, caption] {
            if (!entry) {
                fail(entry.error());
                return;
            }
            runProgramAsync(
                mailArguments(title, caption, *entry),
                [weak, fail, entry = *entry](const foundation::Result<ProgramOutcome>& outcome) {
                    if (!outcome || outcome->status != 0) {
                        // Nothing took the file: no reason to keep it until the next launch.
                        Outbox::removeEntry(entry);
                        fail(foundation::Error(kErrorDomain, outcome ? outcome->status : outcome.error().code,
                                               foundation::localized(kCouldNotOpenText)));
                        return;
                    }
                    auto self = weak.lock();
                    if (!self || !self->delegate()) return;
                    self->delegate()->connectHandlerUploadProgress(*self, 1.0);
                    self->delegate()->connectHandlerDidFinishUpload(*self);
                });
        });
    });
}
