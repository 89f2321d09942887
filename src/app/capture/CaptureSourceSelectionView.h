#pragma once

// The list of capture sources the capture screen shows in a popover: one row
// per source of the registry (the current source checked) and a last row
// that explains the remote camera. A source row stores its identifier as the
// current source and tells the delegate; the last row asks for the help page.
//
// The picker reads the registry's live list at every use, so a remote camera
// found while it is open appears at the next reload; a row tapped after the
// list shrank without a reload is not looked up, the table only reloads.
//
// Main thread only.

#include "app/capture/CaptureController.h"
#include "app/capture/CaptureSources.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <functional>
#include <memory>
#include <vector>

class CaptureSourceSelectionView;

class CaptureSourceSelectionDelegate {
public:
    virtual ~CaptureSourceSelectionDelegate() = default;
    virtual void captureSourceSelection(CaptureSourceSelectionView& picker, const CaptureControllerPtr& source) = 0;
};

// The sources the user can choose from (the registry's live list), read
// anew at every call.
using CaptureSourceList = std::function<const std::vector<CaptureControllerPtr>&()>;
// The registry's list (CaptureSources), read through the registry at every
// call: a rebuilt registry list is followed too.
CaptureSourceList registryCaptureSources();

class CaptureSourceSelectionView : public ui::ViewController,
                                   private ui::TableViewDataSource,
                                   private ui::TableViewDelegate {
public:
    static constexpr double kRowHeight = 44.0;
    static constexpr double kWidth = 200.0;
    static constexpr const char* kCellIdentifier = "Cell";
    static constexpr const char* kRemoteCameraTitle = "Remote Camera";
    static constexpr const char* kRemoteCameraIcon = "capturesource_icon_remote_app";
    static constexpr const char* kRemoteCameraHelpPage = "kelbrin-remotecamera";
    // Asks the screen for a help page (userInfo "page": its name).
    static constexpr const char* kShowHelpPageNotification = "ShowHelpPage";
    static constexpr const char* kHelpPageKey = "page";
    static constexpr const char* kUpdateSourcesNotification = CaptureSources::kUpdateSourcesNotification;

    explicit CaptureSourceSelectionView(CaptureSourceList sources = registryCaptureSources());
    ~CaptureSourceSelectionView() override;

    CaptureSourceSelectionDelegate* delegate = nullptr;

    void loadView() override;
    void viewDidLoad() override;
    ui::TableView* tableView() const { return table_.get(); }
    void receiveCaptureSourceUpdateNotification(const foundation::Notification& notification);

    // What a tap on a row does (also reached through the table).
    void didSelectRow(size_t row);

private:
    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    void didSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

    CaptureSourceList sources_;
    std::shared_ptr<ui::TableView> table_;
    foundation::ObserverToken updateObserver_;
};
