#pragma once

// The base of the share services that work on one project: each signs in
// (when its service needs an account), offers the export types of the type
// identifiers it takes, and uploads (or hands over) a rendered file with a
// title, a caption and the file's type identifier. The share screen
// (ShareViewController) drives every service the same way and hears back
// through ConnectHandlerDelegate, always on the main thread.
//
// A service whose credentials this computer lacks stays on the sheet and
// says so when chosen, rather than vanishing without a word.

#include "app/core/ProjectModel.h"
#include "app/render/MovieExportType.h"
#include "platform/foundation/Error.h"
#include "platform/library/Activity.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ConnectHandler;

class ConnectHandlerDelegate {
public:
    virtual ~ConnectHandlerDelegate() = default;
    virtual void connectHandlerDidLogin(ConnectHandler& handler) { (void)handler; }
    // No error: the user cancelled the sign-in.
    virtual void connectHandlerDidFailLogin(ConnectHandler& handler, const std::optional<foundation::Error>& error) {
        (void)handler;
        (void)error;
    }
    virtual void connectHandlerDidLogout(ConnectHandler& handler) { (void)handler; }
    // A screen the service needs over the share screen (its sign-in).
    virtual void connectHandlerShowViewController(ConnectHandler& handler,
                                                  const std::shared_ptr<ui::ViewController>& screen) {
        (void)handler;
        (void)screen;
    }
    // 0 to 1.
    virtual void connectHandlerUploadProgress(ConnectHandler& handler, double fraction) {
        (void)handler;
        (void)fraction;
    }
    virtual void connectHandlerDidFinishUpload(ConnectHandler& handler) { (void)handler; }
    virtual void connectHandlerDidFailUpload(ConnectHandler& handler, const foundation::Error& error) {
        (void)handler;
        (void)error;
    }
};

class ConnectHandler : public library::Activity, public std::enable_shared_from_this<ConnectHandler> {
public:
    // The project being shared; null before the sheet prepared the service.
    const ProjectModelPtr& project() const { return project_; }
    void setProject(ProjectModelPtr project) { project_ = std::move(project); }

    // Not owned; the delegate clears it before it goes.
    void setDelegate(ConnectHandlerDelegate* delegate) { delegate_ = delegate; }
    ConnectHandlerDelegate* delegate() const { return delegate_; }

    // Whether this computer has what the service needs (credentials, a
    // program); when not, choosing it shows notSetUpText().
    virtual bool isConfigured() const { return true; }
    virtual std::string notSetUpText() const { return {}; }
    // Services on the network are checked for a connection first.
    virtual bool needsNetwork() const { return false; }
    // Whether the screen asks for a title and a caption.
    virtual bool usesTitleAndCaption() const { return true; }
    virtual std::string captionPlaceholder() const;

    virtual bool isLoggedIn() const { return true; }
    // Reports through the delegate, later or at once.
    virtual void login();
    // For an account signed in already: loads what the screen shows of it
    // and reports with connectHandlerDidLogin; nothing to load by default.
    virtual void loadAccount() {}
    virtual void logout();
    // Whether the screen offers to sign the account out.
    virtual bool canLogout() const { return false; }
    // The signed-in account's name; empty when there is none to show.
    virtual std::string accountName() const { return {}; }

    virtual std::vector<std::string> getSupportedUTIs() const = 0;
    // The renderers' export types for those identifiers, in their order.
    std::vector<MovieExportType> getSupportedExportTypes() const;
    // The categories the upload may go under; the screen offers them when
    // there are any, the first chosen.
    virtual std::vector<std::string> getCategories() const { return {}; }
    virtual void chooseCategory(size_t index) { (void)index; }
    virtual std::optional<size_t> chosenCategory() const { return std::nullopt; }
    // Who may see the upload; the screen offers them when there are any.
    virtual std::vector<std::string> privacyChoices() const { return {}; }
    virtual void choosePrivacy(size_t index) { (void)index; }
    virtual size_t chosenPrivacy() const { return 0; }

    // Uploads or hands over the file; reports through the delegate.
    virtual void uploadFile(const std::string& path, const std::string& title, const std::string& caption,
                            const std::string& typeIdentifier) = 0;
    virtual void cancel() {}
    // After a failed upload: whether the service can carry on from what
    // the server holds instead of sending the file again.
    virtual bool canResumeUpload() const { return false; }
    virtual void resumeUpload() {}
    // Whether the panel shows a failed upload's domain and code after its
    // text, as a service's server may want them told; a service whose
    // errors say all there is in the user's words shows none.
    virtual bool showsErrorCodes() const { return true; }

    // The panel's texts while uploading and after success.
    virtual std::string uploadingText() const = 0;
    virtual std::string successText() const = 0;
    // A button the panel offers after success, left of Done, and what it
    // does; none (an empty title) by default.
    virtual std::string successActionTitle() const { return {}; }
    virtual void performSuccessAction() {}

    // The sheet's side.
    bool canPerformWithActivityItems(const library::ActivityItems& items) const override;
    void prepareWithActivityItems(const library::ActivityItems& items) override;
    std::shared_ptr<ui::ViewController> activityViewController() override;
    // Reached only when the service is not set up: says so and ends.
    void performActivity() override;

protected:
    ProjectModelPtr project_;
    ConnectHandlerDelegate* delegate_ = nullptr;
};
