#pragma once

// The one share screen of every service: it checks the connection (for
// online services), signs in, asks for a title and a caption where the
// service uses them, lists the service's export types with their size
// estimates, renders the chosen one (or reuses a current output) under the
// render progress panel, polled once a second, and then has the service
// upload or hand over the file, showing its progress, its success, or its
// error with "Try Again", which sends the same file again without
// rendering, or renders it again when it is gone ("Resume" for a service
// that carries on from what its server holds). A service with an account to sign out, categories or a privacy
// choice gets those controls on the same form.
//
// An estimate shows beside its type's title when it is ready. Estimates are
// measured away from the main thread, from what the screen reads of the
// project once, for the types the screen shows while it shows them: they
// stop when the screen goes or is covered (a sign-in on top) and go on when
// it shows again, and end when a type is chosen.
//
// It is the service's screen on the share sheet; it ends by telling the
// service it finished, which closes the sheet with it. Main thread only.
//
// The success text names what the render could not read and left out (a
// frame's picture, a sound, a file of the project folder).

#include "app/render/MovieExportType.h"
#include "app/render/MovieRenderer.h"
#include "app/share/ConnectHandler.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Progress.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/ViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class RenderProgressViewController;

namespace ui {
class Button;
class Label;
class SegmentedControl;
class TextField;
}  // namespace ui

class ShareViewController : public ui::ViewController, public ConnectHandlerDelegate, public ui::ActionSheetDelegate {
public:
    static inline const char* kWaitText = "Please wait while your video is being prepared.";
    static inline const char* kRenderFailedFormat =
        "The project could not be prepared because an error occurred. - (%@)";
    static inline const char* kOfflineTitle = "No internet connection";
    static inline const char* kOfflineMessage = "Try again once you have an internet connection.";
    static inline const char* kTryAgainTitle = "Try Again";
    static inline const char* kResumeTitle = "Resume";
    static inline const char* kNotSignedInText = "Not signed in";
    static constexpr double kPollSeconds = 1.0;
    // A server's or program's error text (with its code) is shown as plain
    // text, this long at most.
    static constexpr size_t kMaxErrorLength = 200;

    explicit ShareViewController(std::shared_ptr<ConnectHandler> handler);
    ~ShareViewController() override;

    const std::shared_ptr<ConnectHandler>& handler() const { return handler_; }
    const std::vector<MovieExportType>& exportTypes() const { return exportTypes_; }
    // The export-type buttons, in the order of exportTypes().
    const std::vector<std::shared_ptr<ui::Button>>& typeButtons() const { return typeButtons_; }
    ui::TextField* titleField() const { return titleField_.get(); }
    ui::TextField* captionField() const { return captionField_.get(); }
    // Who is signed in; only for a service with an account (one on the
    // network, or one that can sign out). The navigation bar names the service.
    ui::Label* accountLabel() const { return accountLabel_.get(); }
    // Sign in or out; only for a service that can sign out.
    ui::Button* signButton() const { return signButton_.get(); }
    // Only for a service with categories or privacy choices.
    ui::Button* categoryButton() const { return categoryButton_.get(); }
    ui::SegmentedControl* privacyControl() const { return privacyControl_.get(); }
    const std::shared_ptr<RenderProgressViewController>& panel() const { return panel_; }
    const MovieRendererPtr& renderer() const { return renderer_; }

    // What a tap on an export type's button does.
    void chooseExportType(size_t index);
    // Shares a file already made in that type, without rendering.
    void shareFile(const MovieExportType& type, const std::string& path);
    // What the sign button does.
    void signInOrOut();
    // What the category button does: a sheet of the service's categories.
    void chooseCategory();
    // What the panel's "Try Again" does: the same file once more, made
    // again first when it is gone.
    void retryUpload();
    // Cancel (on the form or the panel): stops the render or upload and ends, not completed.
    void cancelSharing();

    // "HD - 720p  12.3 MB"; only the title without an estimate.
    static std::string typeButtonTitle(const MovieExportType& type, int64_t estimateKilobytes);
    // An error as the panel shows it: description, domain and code, cut to
    // kMaxErrorLength; without `withCode` the description alone, whole.
    static std::string errorText(const foundation::Error& error, bool withCode = true);

    void loadView() override;
    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidLayoutSubviews() override;
    void clickedButtonAtIndex(ui::ActionSheet& sheet, int buttonIndex) override;

    // ConnectHandlerDelegate
    void connectHandlerDidLogin(ConnectHandler& handler) override;
    void connectHandlerDidFailLogin(ConnectHandler& handler, const std::optional<foundation::Error>& error) override;
    void connectHandlerDidLogout(ConnectHandler& handler) override;
    void connectHandlerShowViewController(ConnectHandler& handler,
                                          const std::shared_ptr<ui::ViewController>& screen) override;
    void connectHandlerUploadProgress(ConnectHandler& handler, double fraction) override;
    void connectHandlerDidFinishUpload(ConnectHandler& handler) override;
    void connectHandlerDidFailUpload(ConnectHandler& handler, const foundation::Error& error) override;

private:
    void showPanel();
    // Measures the estimates of the types shown that have none yet.
    void startEstimates();
    void cancelEstimates();
    bool isTypeShown(size_t index);
    // The chosen type's current output shared as it is, or rendered first.
    void prepareAndUpload();
    void startRender();
    void updateAccount();
    void checkStatusForExporter(const MovieRendererPtr& renderer);
    void renderFinished(const MovieRendererPtr& renderer);
    void upload();
    void finish(bool completed);
    void showAlert(const std::string& title, const std::string& message, bool thenEnd);

    std::shared_ptr<ConnectHandler> handler_;
    std::vector<MovieExportType> exportTypes_;
    std::vector<std::shared_ptr<ui::Button>> typeButtons_;
    // The estimates under way, and the types whose estimate shows. An
    // estimate finished but not yet shown when they are cancelled stays
    // unshown: its title would outlast what the screen stopped.
    std::vector<foundation::Progress> estimates_;
    foundation::LifeToken estimatesLife_;
    std::vector<bool> estimated_;
    // What the estimates read of the project, once for the screen.
    MovieRenderer::EstimateBasisPtr estimateBasis_;
    std::shared_ptr<ui::Label> accountLabel_;
    std::shared_ptr<ui::Button> signButton_;
    std::shared_ptr<ui::Button> categoryButton_;
    std::shared_ptr<ui::SegmentedControl> privacyControl_;
    std::shared_ptr<ui::ActionSheet> categorySheet_;
    std::shared_ptr<ui::TextField> titleField_;
    std::shared_ptr<ui::TextField> captionField_;
    std::shared_ptr<ui::Label> formatLabel_;
    std::shared_ptr<RenderProgressViewController> panel_;
    MovieRendererPtr renderer_;
    std::optional<MovieExportType> chosenType_;
    std::optional<std::string> renderedPath_;
    // What the render of renderedPath_ could not read and left out.
    std::optional<std::string> leftOutText_;
    bool checked_ = false;
    bool finished_ = false;
};
