#pragma once

// The share sheet: a panel listing the application's activities that can
// work on the given items, each with its icon and title, and a "Cancel"
// button. Choosing an activity closes the sheet and performs it (or
// presents the activity's own screen from the sheet). The platform's own
// activities (mail, messages, printing...) do not exist on this machine, so
// the sheet offers only what the application gives it.
//
// The sheet is presented as a form sheet, or shown inside a container of the
// caller (a popover); then the caller sets dismissContainer so that the
// sheet can close that container when the user has chosen.
//
// Main thread only.

#include "platform/library/Activity.h"
#include "platform/ui/controllers/ViewController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class Button;
class Control;
}  // namespace ui

namespace library {

class ActivityViewController : public ui::ViewController {
public:
    // The chosen activity's type and whether it completed; no type and
    // false when the user cancelled.
    using CompletionHandler = std::function<void(const std::optional<std::string>& activityType, bool completed)>;
    // Closes the caller's container, then runs `then`.
    using ContainerDismissal = std::function<void(std::function<void()> then)>;

    static constexpr double kCellWidth = 88.0;
    static constexpr double kPanelHeight = 190.0;

    ActivityViewController(ActivityItems activityItems, std::vector<std::shared_ptr<Activity>> applicationActivities);
    ~ActivityViewController() override;

    const ActivityItems& activityItems() const { return activityItems_; }
    const std::vector<std::shared_ptr<Activity>>& applicationActivities() const { return applicationActivities_; }

    // Activities of these types are not offered. Set before the view loads.
    std::vector<std::string> excludedActivityTypes;
    CompletionHandler completionHandler;
    ContainerDismissal dismissContainer;

    // The activities shown, in the order given: not excluded and able to
    // work on the items.
    std::vector<std::shared_ptr<Activity>> offeredActivities() const;

    // What a tap on an activity's cell does; an index out of range is ignored.
    void chooseActivityAtIndex(size_t index);
    // What the "Cancel" button does.
    void cancel();

    // The cells as shown (loads the view), in the order of offeredActivities.
    std::vector<ui::Control*> activityCells();
    ui::Button* cancelButton() const { return cancelButton_.get(); }

    void loadView() override;
    void viewWillLayoutSubviews() override;

private:
    // Closes the sheet wherever it is shown, then runs `then`.
    void close(std::function<void()> then);
    static void finish(ActivityViewController* sheet, const CompletionHandler& handler,
                       const std::optional<std::string>& activityType, bool completed);

    ActivityItems activityItems_;
    std::vector<std::shared_ptr<Activity>> applicationActivities_;
    std::vector<std::shared_ptr<Activity>> shown_;
    std::vector<std::shared_ptr<ui::Control>> cells_;
    std::shared_ptr<ui::Button> cancelButton_;
    ui::ViewPtr separator_;
    // A choice has been made: later taps are ignored.
    bool chosen_ = false;
};

}  // namespace library
