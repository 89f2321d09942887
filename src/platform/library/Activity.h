#pragma once

// One choice of the share sheet (ActivityViewController.h): a service of the
// application that does something with the items being shared.
//
// The sheet asks each activity whether it can work on the items, shows the
// ones that can with their title and icon, and when the user chooses one it
// prepares it with the items and then either presents the activity's own
// screen or, once the sheet has closed, performs it. An activity reports its
// end with activityDidFinish, which reaches the sheet's completion handler.
//
// Main thread only.

#include "platform/graphics/Image.h"

#include <any>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {
class ViewController;
}

namespace library {

// What is being shared: any objects of the caller (a project, a file URL...).
using ActivityItems = std::vector<std::any>;

// The platform's own activity types. This machine offers none of them; a
// screen still names them when it excludes them from its sheet.
namespace activitytype {
inline constexpr const char* PostToFacebook = "activity.PostToFacebook";
inline constexpr const char* PostToTwitter = "activity.PostToTwitter";
inline constexpr const char* PostToWeibo = "activity.PostToWeibo";
inline constexpr const char* Message = "activity.Message";
inline constexpr const char* Mail = "activity.Mail";
inline constexpr const char* Print = "activity.Print";
inline constexpr const char* CopyToPasteboard = "activity.CopyToPasteboard";
inline constexpr const char* AssignToContact = "activity.AssignToContact";
inline constexpr const char* SaveToCameraRoll = "activity.SaveToCameraRoll";
inline constexpr const char* AddToReadingList = "activity.AddToReadingList";
inline constexpr const char* PostToFlickr = "activity.PostToFlickr";
inline constexpr const char* PostToVimeo = "activity.PostToVimeo";
inline constexpr const char* PostToTencentWeibo = "activity.PostToTencentWeibo";
inline constexpr const char* AirDrop = "activity.AirDrop";
}  // namespace activitytype

class Activity {
public:
    virtual ~Activity() = default;

    // A unique name of the service, matched against a sheet's exclusions.
    virtual std::string activityType() const = 0;
    virtual std::string activityTitle() const = 0;
    // Shown as a template in the sheet's tint; a null image leaves the cell blank.
    virtual graphics::Image activityImage() const = 0;

    virtual bool canPerformWithActivityItems(const ActivityItems& items) const {
        (void)items;
        return true;
    }
    virtual void prepareWithActivityItems(const ActivityItems& items) { (void)items; }
    // A screen the sheet presents instead of performing; none means perform.
    virtual std::shared_ptr<ui::ViewController> activityViewController() { return nullptr; }
    // Runs after the sheet has closed. The default has nothing to do and
    // finishes at once.
    virtual void performActivity() { activityDidFinish(true); }

    // Tells the sheet that chose this activity that it is done; later calls
    // are ignored.
    void activityDidFinish(bool completed);

private:
    friend class ActivityViewController;
    std::function<void(bool completed)> finished_;
};

}  // namespace library
