#include "components/dropbox/DBConnectController.h"

#include "components/dropbox/DBConfiguration.h"
#include "components/dropbox/DBLog.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"

#include <cmath>

namespace {

DBConnectController* gCurrent = nullptr;

}  // namespace

DBConnectController* DBConnectController::current() { return gCurrent; }

DBConnectController::DBConnectController(std::string url, ui::ViewController* rootController,
                                         std::shared_ptr<DBSession> session)
    : rootController_(rootController), session_(std::move(session)), url_(std::move(url)) {
    setTitle("Dropbox");
    navigationItem().setRightBarButtonItem(std::make_shared<ui::BarButtonItem>(
        ui::BarButtonSystemItem::Cancel, life_.guard([this](ui::BarButtonItem&) { cancel(); })));
    gCurrent = this;
}

DBConnectController::~DBConnectController() {
    if (gCurrent == this) gCurrent = nullptr;
    if (alertView_) alertView_->delegate = nullptr;
}

net::URLRequest DBConnectController::requestForUrl(const std::string& url) { return net::URLRequest(url, 20.0); }

void DBConnectController::viewDidLoad() {
    ui::View& root = *view();
    root.setBackgroundColor(graphics::Color::rgb(241.0 / 255, 249.0 / 255, 1.0, 1.0));
    const graphics::Rect bounds = root.bounds();
    indicator_ = ui::makeView<ui::ActivityIndicatorView>(ui::ActivityIndicatorViewStyle::Gray);
    graphics::Rect frame = indicator_->frame();
    frame.origin.x = std::floor(bounds.size.width / 2 - frame.size.width / 2);
    frame.origin.y = std::floor(bounds.size.height / 2 - frame.size.height / 2) - 20;
    indicator_->setFrame(frame);
    indicator_->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleRightMargin |
                                    ui::AutoresizingFlexibleTopMargin | ui::AutoresizingFlexibleBottomMargin);
    indicator_->startAnimating();
    root.addSubview(indicator_);

    status_ = ui::makeView<ui::Label>(graphics::Rect(20, bounds.size.height / 2 + 10, bounds.size.width - 40, 44));
    status_->setTextAlignment(graphics::TextAlignment::Center);
    status_->setNumberOfLines(0);
    status_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleTopMargin |
                                 ui::AutoresizingFlexibleBottomMargin);
    root.addSubview(status_);

    againButton_ = ui::Button::buttonWithType(ui::ButtonType::System);
    againButton_->setTitle(foundation::localized("Open Browser Again"), ui::ControlStateNormal);
    againButton_->setFrame(graphics::Rect(bounds.size.width / 2 - 100, bounds.size.height / 2 + 64, 200, 44));
    againButton_->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleRightMargin |
                                      ui::AutoresizingFlexibleTopMargin | ui::AutoresizingFlexibleBottomMargin);
    againButton_->setHidden(true);
    againButton_->addTarget(this, life_.guard([this](ui::Control&) { DBConfiguration::current().openURL(url_); }),
                            ui::ControlEventTouchUpInside);
    root.addSubview(againButton_);
    loadRequest();
}

std::string DBConnectController::statusText() const { return status_ ? status_->text() : std::string(); }

void DBConnectController::loadRequest() {
    net::URLRequest request = requestForUrl(url_);
    request.anchorCertificates = DBConfiguration::current().rootCertificates;
    auto observer = life_.observer();
    net::URLConnection::sendAsynchronousRequest(
        std::move(request), foundation::DispatchQueue::main(),
        [this, observer](const std::optional<net::HTTPURLResponse>&, const foundation::Bytes&,
                         const std::optional<foundation::Error>& error) {
            if (!observer.alive()) return;
            if (indicator_) indicator_->stopAnimating();
            if (error) {
                showFailure(*error);
                return;
            }
            // The page cannot be shown here: the browser shows it.
            hasLoaded_ = true;
            DBConfiguration::current().openURL(url_);
            if (status_)
                status_->setText(foundation::localized("Continue in your browser to link your Dropbox account."));
            if (againButton_) againButton_->setHidden(false);
        });
}

void DBConnectController::showFailure(const foundation::Error& error) {
    if (error.domain == net::kURLErrorDomain && error.code == net::kURLErrorCancelled) return;
    DBLogWarning("DropboxSDK: error loading DBConnectController - " + error.description);
    std::string title, message;
    if (error.domain == net::kURLErrorDomain && error.code == net::kURLErrorNotConnectedToInternet) {
        title = "No internet connection";
        message = "Try again once you have an internet connection.";
    } else if (error.domain == net::kURLErrorDomain &&
               (error.code == net::kURLErrorTimedOut || error.code == net::kURLErrorCannotConnectToHost)) {
        title = "Internet connection lost";
        message = "Please try again.";
    } else {
        title = "Unknown Error Occurred";
        message = "There was an error loading Dropbox. Please try again.";
    }
    if (alertView_) alertView_->delegate = nullptr;
    if (hasLoaded_) {
        alertView_ = ui::makeView<ui::AlertView>(foundation::localized(title), foundation::localized(message), nullptr,
                                                 foundation::localized("OK"), std::vector<std::string>{});
    } else {
        alertView_ = ui::makeView<ui::AlertView>(
            foundation::localized(title), foundation::localized(message), static_cast<ui::AlertViewDelegate*>(this),
            foundation::localized("Cancel"), std::vector<std::string>{foundation::localized("Retry")});
    }
    alertView_->show();
}

void DBConnectController::clickedButtonAtIndex(ui::AlertView& alertView, int buttonIndex) {
    const bool retry = buttonIndex != alertView.cancelButtonIndex();
    alertView_->delegate = nullptr;
    alertView_.reset();
    if (retry) {
        if (indicator_) indicator_->startAnimating();
        loadRequest();
    } else {
        cancel();
    }
}

void DBConnectController::dismiss() {
    ui::ViewController* presenter = rootController_;
    if (presenter) presenter->dismissViewController(true);
}

void DBConnectController::cancel() {
    std::shared_ptr<DBSession> session = session_;
    dismiss();
    // The application learns of the cancellation through its normal URL path.
    DBConfiguration::current().openURL(session->appScheme() + "://1/cancel");
}
