#pragma once

// The panel shown while a project renders (and while a share service
// uploads the result): a dark two-row table. The upper row holds a progress
// bar under a panel in which preview pictures of the project fade in one
// over the other as the progress passes fixed steps (each shown whole, its
// aspect kept); the lower row an information or error text. The owner
// feeds it: it polls its renderer once a second and passes the progress in,
// shows texts and installs the Cancel and Done actions. The panel knows
// nothing of renderers.
//
// Main thread only.

#include "app/core/ProjectModel.h"
#include "platform/graphics/Color.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class KWImageProducer;
class VerticallyAlignedLabel;
namespace ui {
class ImageView;
class ProgressView;
}  // namespace ui

// The progress values at which a panel of that size shows a new preview:
// n = the number of 212:120 tiles across the panel (rounded), then the
// n + 2 steps 0, 1/(n + 2), ... (n + 1)/(n + 2). A panel without height
// has no tile: two steps.
std::vector<double> renderProgressSteps(double panelWidth, double panelHeight);

class RenderProgressViewController : public ui::ViewController,
                                     private ui::TableViewDataSource,
                                     private ui::TableViewDelegate {
public:
    static inline const char* kNibName = "RenderProgressViewController";
    static inline const char* kCellIdentifier = "Cell";
    // Red 212, green 3, blue 215: the bar's progress and the player's accents.
    static graphics::Color accentColor() { return graphics::Color::rgb8(212, 3, 215); }

    RenderProgressViewController(std::string nibName, ProjectModelPtr project);
    ~RenderProgressViewController() override;

    // Stores the value and moves the bar; below 1.0 a preview may follow.
    void setProgress(float progress);
    float progress() const { return progress_; }
    void showInfo(const std::string& text);
    void showError(const std::string& text);
    // Fades the old text out and the new one in, in `color`.
    void showTextWithColor(const std::string& text, graphics::Color color);

    // With a handler a Cancel button on the left runs it once; without one
    // the left button goes and there is no way back but Done.
    void setCancelHandler(std::function<void()> handler);
    void setDoneHandler(std::function<void()> handler);
    const std::function<void()>& cancelHandler() const { return cancelHandler_; }
    const std::function<void()>& doneHandler() const { return doneHandler_; }
    void actionCancel();
    void actionDone();

    // Passes the next step when the progress has reached it: one preview a call.
    void updateRenderProgressView();
    // A picture over the whole preview panel (whole, its aspect kept), faded in over 1.5 s.
    void showThumbImage(const graphics::Image& image);

    // ---- state and outlets (for tests) ----------------------------------------
    const std::string& infoText() const { return infoText_; }
    const std::vector<double>& interestingProgressValues() const { return interestingProgressValues_; }
    bool stepsMade() const { return stepsMade_; }
    ui::ProgressView* progressView() const { return progressView_.get(); }
    ui::View* progressPanel() const { return progressPanel_.get(); }
    ui::View* contentPanel() const { return contentPanel_.get(); }
    VerticallyAlignedLabel* labelInfo() const { return labelInfo_.get(); }
    ui::TableView* tableView() const { return tableView_.get(); }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }

private:
    size_t numberOfSectionsInTableView(ui::TableView& tableView) override;
    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<double> heightForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<ui::IndexPath> willSelectRowAtIndexPath(ui::TableView& tableView,
                                                          const ui::IndexPath& indexPath) override;
    static bool isTablet();
    double upperRowHeight() const;
    void setLabelText(const std::string& text, graphics::Color color);
    void addFadingPicture(const graphics::Image& image, bool fade);

    ProjectModelPtr project_;
    float progress_ = 0;
    std::function<void()> cancelHandler_;
    std::function<void()> doneHandler_;
    std::shared_ptr<ui::TableView> tableView_;
    std::shared_ptr<ui::ProgressView> progressView_;
    ui::ViewPtr progressPanel_;
    ui::ViewPtr contentPanel_;
    std::shared_ptr<VerticallyAlignedLabel> labelInfo_;
    ui::TableViewCellPtr upperCell_;
    ui::TableViewCellPtr lowerCell_;
    std::string infoText_;
    graphics::Color infoColor_ = graphics::Color::white();
    std::vector<double> interestingProgressValues_;
    bool stepsMade_ = false;
    std::unique_ptr<KWImageProducer> imageProducer_;
};
