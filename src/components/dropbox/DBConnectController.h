#pragma once

// The login page. There is no embedded browser, so the page fetches the
// service's connect_login address once: a transport failure is shown as an
// alert with Retry, success opens the address in the user's browser and the
// page waits for the callback ("db-<key>://1/connect…"), which the
// application hands to DBSession::handleOpenURL. A connect or cancel
// callback closes the page (closeForCallback).

#include "components/dropbox/DBSession.h"
#include "platform/foundation/Lifetime.h"
#include "platform/net/URLRequest.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/ViewController.h"

#include <memory>
#include <string>

namespace ui {
class Button;
class Label;
class ActivityIndicatorView;
}  // namespace ui

class DBConnectController : public ui::ViewController, public ui::AlertViewDelegate {
public:
    DBConnectController(std::string url, ui::ViewController* rootController, std::shared_ptr<DBSession> session);
    ~DBConnectController() override;

    // Return-cached-else-load, 20 seconds.
    static net::URLRequest requestForUrl(const std::string& url);

    void loadRequest();
    // Dismisses, then reports the cancellation through the application's
    // own URL path ("db-<key>://1/cancel").
    void cancel();
    void dismiss();

    bool hasLoaded() const { return hasLoaded_; }
    const std::shared_ptr<ui::AlertView>& alertView() const { return alertView_; }
    std::string statusText() const;
    ui::Button* openBrowserAgainButton() const { return againButton_.get(); }

    // The login page on screen, when one is.
    static DBConnectController* current();

protected:
    void viewDidLoad() override;

private:
    void showFailure(const foundation::Error& error);
    void clickedButtonAtIndex(ui::AlertView& alertView, int buttonIndex) override;

    bool hasLoaded_ = false;
    std::shared_ptr<ui::AlertView> alertView_;
    ui::ViewController* rootController_;
    std::shared_ptr<DBSession> session_;
    std::string url_;
    std::shared_ptr<ui::Label> status_;
    std::shared_ptr<ui::Button> againButton_;
    std::shared_ptr<ui::ActivityIndicatorView> indicator_;
    foundation::LifeToken life_;
};
