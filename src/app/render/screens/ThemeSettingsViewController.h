#pragma once

// The movie-settings sheet: one carousel picker per section (theme,
// foreground, fade, effect, mask) under two tabs, "Theme" (this sheet) and
// "Outline" (the outline editor, pushed on the same navigation stack). The
// sheet writes nothing itself: each picker writes its own setting. Its host
// lays the sheet's navigation view over its own bottom and closes it on
// "ThemeDoneNotification".
//
// Main thread only.

#include "app/core/ProjectModel.h"
#include "app/render/screens/KWSelectionPickers.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ThemeSettingsViewController : public ui::ViewController,
                                    private ui::TableViewDataSource,
                                    private ui::TableViewDelegate {
public:
    static inline const char* kNibName = "ThemeSettingsViewController";
    static inline const char* kCellIdentifier = "ConfigurationCell";
    static constexpr double kRowHeight = 90;

    ThemeSettingsViewController(std::string nibName, ProjectModelPtr project);
    ~ThemeSettingsViewController() override;

    // 1 opens the outline editor as soon as the view has loaded.
    void setShowPageAtStart(int32_t page) { showPageAtStart_ = page; }
    int32_t showPageAtStart() const { return showPageAtStart_; }

    // The "Outline" tab.
    void actionUpload();
    void actionChangeSize();
    // The Done button: asks the host to close the sheet.
    void actionDone();

    // The pickers by section: theme, foreground, fade, effect, mask.
    KWSelectionViewController* pickerForSection(size_t section) const;
    KWThemeSelectionViewController* themeController() const { return themeController_.get(); }
    ui::TableView* tableView() const { return tableView_.get(); }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

private:
    size_t numberOfSectionsInTableView(ui::TableView& tableView) override;
    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<double> heightForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<double> heightForHeaderInSection(ui::TableView& tableView, size_t section) override;
    ui::ViewPtr viewForHeaderInSection(ui::TableView& tableView, size_t section) override;
    std::optional<ui::IndexPath> willSelectRowAtIndexPath(ui::TableView& tableView,
                                                          const ui::IndexPath& indexPath) override;
    void updateSizeButton(bool expanded);

    std::shared_ptr<KWThemeSelectionViewController> themeController_;
    std::shared_ptr<KWMovieEffectSelectionViewController> effectController_;
    std::shared_ptr<KWForegroundSelectionViewController> foregroundController_;
    std::shared_ptr<KWFadeSelectionViewController> fadeSelectionViewController_;
    std::shared_ptr<KWMaskSelectionView> maskSelectionViewController_;
    ProjectModelPtr project_;
    int32_t showPageAtStart_ = 0;
    std::shared_ptr<ui::TableView> tableView_;
};

// A screen without content of its own; nothing opens it.
class MaskingViewController : public ui::ViewController {
public:
    using ui::ViewController::ViewController;
};
