#pragma once

// The add-media menu: four rows (pictures, theme cards, audio and music,
// video) in the editor's popover. A chosen row goes to the delegate; audio
// is grey and ignored while the playhead is on the capture slot.

#include "app/core/ProjectModel.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class MediaSelectionViewController;

class MediaSelectionDelegate {
public:
    virtual ~MediaSelectionDelegate() = default;
    virtual void mediaSelectionDidSelect(MediaSelectionViewController& menu, int64_t didSelect) = 0;
};

struct MediaSelectionRow {
    std::string title;  // English; localized when shown
    std::string icon;
    bool enabled = true;  // black and chosen; grey and ignored otherwise
    bool operator==(const MediaSelectionRow&) const = default;
};

namespace mediaselection {
inline constexpr size_t kRows = 4;
// The row for the project's state: audio is off while the frame under the
// playhead is the capture slot.
std::optional<MediaSelectionRow> rowAt(size_t row, bool playheadOnCaptureSlot);
}  // namespace mediaselection

class MediaSelectionViewController : public ui::ViewController,
                                     public ui::TableViewDataSource,
                                     public ui::TableViewDelegate {
public:
    static constexpr const char* kCellIdentifier = "Cell";
    static constexpr double kWidth = 200;
    static constexpr double kRowHeight = 44;

    MediaSelectionViewController(ProjectModelPtr project, ui::TableViewStyle style);
    ~MediaSelectionViewController() override;

    MediaSelectionDelegate* delegate() const { return delegate_; }
    void setDelegate(MediaSelectionDelegate* delegate) { delegate_ = delegate; }
    ui::TableView* tableView() const { return table_.get(); }

    void loadView() override;
    void viewDidLoad() override;

    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    void didSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

private:
    bool playheadOnCaptureSlot() const;

    ProjectModelPtr project_;
    ui::TableViewStyle style_;
    MediaSelectionDelegate* delegate_ = nullptr;
    std::shared_ptr<ui::TableView> table_;
};
