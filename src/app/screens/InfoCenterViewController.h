#pragma once

// The info centre the browser opens from its help button: rows for the help
// pages, for support (the support address from the configuration) and for
// the application's name and version, and the gallery switch. Done asks the
// delegate to close it.
//
// The switch stands in for the phone platform's settings screen, which this
// desktop has not: it writes the user-defaults key that the browser checks
// against the parental setting (ProjectExplorer::validateRestrictionsSettings),
// so a change asks for the pass code once the info centre has closed.

#include "platform/ui/controllers/ViewController.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {
class AlertView;
class Button;
class Label;
class Switch;
}  // namespace ui

class InfoCenterViewController;

class InfoCenterDelegate {
public:
    virtual ~InfoCenterDelegate() = default;
    // The info centre wants to close; the presenter dismisses it.
    virtual void infoCenterDidFinish(InfoCenterViewController& infoCenter) = 0;
};

class InfoCenterViewController : public ui::ViewController {
public:
    explicit InfoCenterViewController(std::string nibName = "InfoCenterViewController");
    ~InfoCenterViewController() override;

    // Not owned.
    void setDelegate(InfoCenterDelegate* delegate) { delegate_ = delegate; }

    // The rows' actions.
    void actionHelp();
    void actionSupport();
    void actionAbout();
    void actionDone();

    // Texts the support and about rows show, from the configuration lists.
    static std::string supportMessage();
    static std::string aboutMessage();

    ui::Button* helpButton() const { return rows_.size() > 0 ? rows_[0].get() : nullptr; }
    ui::Button* supportButton() const { return rows_.size() > 1 ? rows_[1].get() : nullptr; }
    ui::Button* aboutButton() const { return rows_.size() > 2 ? rows_[2].get() : nullptr; }
    ui::Button* doneButton() const { return doneButton_.get(); }
    ui::Switch* gallerySwitch() const { return gallerySwitch_.get(); }

    void loadView() override;
    void viewWillLayoutSubviews() override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }

private:
    void showMessage(const std::string& title, const std::string& message);

    InfoCenterDelegate* delegate_ = nullptr;
    std::shared_ptr<ui::Label> titleLabel_;
    std::shared_ptr<ui::Button> doneButton_;
    std::vector<std::shared_ptr<ui::Button>> rows_;
    ui::ViewPtr galleryRow_;
    std::shared_ptr<ui::Label> galleryLabel_;
    std::shared_ptr<ui::Switch> gallerySwitch_;
};
