#pragma once

// The common ground of the green-screen settings lists (the root screen, the
// backdrop choices and the key-colour choices): a short, fixed table of rows
// with a clear background, black separators and no scrolling, whose cells
// show a black "HelveticaNeue-Light" 15 text beside a template icon. Each
// screen names its rows and what a tap on one does.
//
// Main thread only.

#include "app/capture/chromakey/ChromaKeyConfigurationDelegate.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// One row of a settings list as the screen shows it.
struct ChromaKeyRow {
    std::string text;  // English; localized when shown (empty: no text)
    std::string icon;  // resource picture name (empty: no icon)
    double height = 44;
    ui::TableViewCellAccessoryType accessory = ui::TableViewCellAccessoryType::None;
    // None leaves the cell's own selection style.
    std::optional<ui::TableViewCellSelectionStyle> selectionStyle;
    bool operator==(const ChromaKeyRow&) const = default;
};

class ChromaKeyListViewController : public ui::ViewController,
                                    public ui::TableViewDataSource,
                                    public ui::TableViewDelegate {
public:
    static constexpr const char* kCellIdentifier = "Cell";

    ~ChromaKeyListViewController() override;

    ChromaKeyConfigurationDelegate* delegate() const { return delegate_; }
    void setDelegate(ChromaKeyConfigurationDelegate* delegate) { delegate_ = delegate; }
    ui::TableView* tableView() const { return table_.get(); }

    // The screen's rows, top to bottom.
    virtual std::vector<ChromaKeyRow> rows() const = 0;

    void loadView() override;
    void viewDidLoad() override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskAll; }

    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<double> heightForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    void didSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

protected:
    // A tap on a row; the row's highlight is already taken back.
    virtual void didSelectRow(size_t row) = 0;
    // Called for every cell as it is prepared, after the common look is set.
    virtual void prepareCell(ui::TableViewCell& cell, size_t row) { (void)cell, (void)row; }
    // Pushes a screen onto the popover's navigation stack, animated, and
    // then hands it this screen's delegate.
    template <class Screen>
    void pushScreen(const std::shared_ptr<Screen>& screen) {
        pushAnimated(screen);
        screen->setDelegate(delegate_);
    }

private:
    void pushAnimated(const std::shared_ptr<ui::ViewController>& screen);

    ChromaKeyConfigurationDelegate* delegate_ = nullptr;
    std::shared_ptr<ui::TableView> table_;
};
