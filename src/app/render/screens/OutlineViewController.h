#pragma once

// The "Outline" tab of the movie-settings sheet: a form for the texts of the
// title and credits cards (movie name, cast, studio, five credit lines),
// stored in the project's metadata under "META_RECORD_OUTLINE_DATA" (the
// movie name also as "RecordName"). A save tells the frame editor to render
// the cards again.
//
// Edits are saved when the sheet is collapsed through this screen's toggle,
// on Done, on the "Theme" tab and when the screen goes away otherwise: a
// typed text is never lost by leaving. Starting to edit a field asks the
// frame editor to show the card that carries it (the movie name is on the
// title card, the other texts on the credits card).
//
// Main thread only.

#include "app/core/ProjectModel.h"
#include "app/widgets/cells/ELCTextFieldCell.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class OutlineViewController : public ui::ViewController,
                              private ui::TableViewDataSource,
                              private ui::TableViewDelegate,
                              private ELCTextFieldDelegate {
public:
    static inline const char* kNibName = "OutlineViewController";
    static inline const char* kCellIdentifier = "Cell";

    OutlineViewController(std::string nibName, ProjectModelPtr project);
    // Without an interface file: the card renderer's form.
    explicit OutlineViewController(ProjectModelPtr project);
    ~OutlineViewController() override;

    // The rows by the form, every value empty.
    void initArrays();
    // Every key mapped to its placeholder, the movie name to the project's name.
    foundation::Dictionary getPlaceholderOutline();
    // Stores the form; reports whether the metadata were written.
    bool saveDataAndFinish();
    // The "Theme" tab: saves an edit, then goes back to the sheet.
    void actionUpload();
    void actionChangeSize();
    // Saves an edit, then asks the host to close the sheet.
    void actionDone();

    // ---- state (for tests) ------------------------------------------------------------
    const std::vector<std::vector<std::string>>& labels() const { return labels_; }
    const std::vector<std::vector<std::string>>& placeholders() const { return placeholders_; }
    const std::vector<std::vector<std::string>>& values() const { return values_; }
    const std::vector<std::vector<std::string>>& metadataIds() const { return metadataIds_; }
    int32_t lastCardUsed() const { return lastCardUsed_; }
    bool isOutlineChanged() const { return isOutlineChanged_; }
    ui::TableView* tableView() const { return tableView_.get(); }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

private:
    size_t numberOfSectionsInTableView(ui::TableView& tableView) override;
    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<double> heightForHeaderInSection(ui::TableView& tableView, size_t section) override;
    ui::ViewPtr viewForHeaderInSection(ui::TableView& tableView, size_t section) override;
    std::optional<ui::IndexPath> willSelectRowAtIndexPath(ui::TableView& tableView,
                                                          const ui::IndexPath& indexPath) override;

    bool textFieldShouldBeginEditing(ui::TextField& textField) override;
    void textFieldDidEndEditing(ui::TextField& textField) override;
    bool textFieldCellShouldReturnForIndexPath(ELCTextFieldCell& cell, const ui::IndexPath& indexPath,
                                               const std::string& withValue) override;
    void textFieldCellUpdateTextLabelAtIndexPath(ELCTextFieldCell& cell, const ui::IndexPath& indexPath,
                                                 const std::string& string) override;

    bool isLastRow(const ui::IndexPath& indexPath) const;
    void noteCardUsed(const ui::IndexPath& indexPath);
    void setValue(const ui::IndexPath& indexPath, const std::string& value);
    // Saves when something was edited since the last save.
    void saveIfChanged();
    void updateSizeButton(bool expanded);

    std::vector<std::vector<std::string>> labels_;
    std::vector<std::vector<std::string>> placeholders_;
    std::vector<std::vector<std::string>> values_;
    std::vector<std::vector<std::string>> metadataIds_;
    int32_t lastCardUsed_ = 0;
    // The field being edited; the table owns it.
    std::weak_ptr<ui::TextField> lastTextField_;
    ProjectModelPtr project_;
    bool isOutlineChanged_ = false;
    std::shared_ptr<ui::TableView> tableView_;
};
