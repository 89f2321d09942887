#pragma once

// The theme card chooser: four card pictures to a row; a tap on one creates
// a frame of the card (its background as the frame's picture, a text card
// also gets its theme item) held for one second of the movie, dismisses the
// chooser and hands the frame to handlerComplete. Cancel dismisses it
// without creating anything.
//
// Main thread, except that the card's picture is loaded and stored on a
// global queue.

#include "app/core/Frame.h"
#include "app/core/ProjectModel.h"
#include "app/render/themes/ThemeCardItem.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <functional>
#include <memory>
#include <vector>

inline constexpr const char* kThemeCardErrorDomain = "ThemeCardTableViewController";
// The chosen card's picture is not among the resources.
inline constexpr int64_t kThemeCardErrorMissingPicture = 1;

class ThemeCardTableViewController : public ui::ViewController,
                                     public ui::TableViewDataSource,
                                     public ui::TableViewDelegate {
public:
    static constexpr const char* kCellIdentifier = "CellThemeCardView";
    static constexpr int kFirstButtonTag = 100;
    static constexpr size_t kCardsPerRow = 4;
    static constexpr double kRowHeight = 100;

    explicit ThemeCardTableViewController(std::shared_ptr<ProjectModel> project);

    const std::function<void(FramePtr)>& handlerComplete() const { return handlerComplete_; }
    void setHandlerComplete(std::function<void(FramePtr)> handler) { handlerComplete_ = std::move(handler); }

    const std::vector<ThemeCardItem>& items() const { return items_; }
    ui::TableView* tableView() const { return tableView_; }

    void actionDone();
    // A card button: its tag and its row (the tag of the view it sits in).
    void actionCard(ui::View& sender);
    void insertThemeCardWithThemaCardIndex(size_t index);

    // Table.
    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<double> heightForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

    // The width of a card button in a table of that width, and where card
    // k of a row sits in it.
    static double buttonWidth(double tableWidth);
    static graphics::Rect cardFrame(size_t k, double tableWidth);

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    std::vector<ThemeCardItem> items_;
    std::shared_ptr<ProjectModel> project_;
    std::function<void(FramePtr)> handlerComplete_;
    ui::TableView* tableView_ = nullptr;
    bool inserting_ = false;  // one card per visit, however often it is tapped
};
