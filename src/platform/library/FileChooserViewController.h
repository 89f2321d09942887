#pragma once

// The file chooser of our own, for desktops where no portal offers one: the
// folders and the files of the wanted kinds in one folder, sorted by name,
// with the way up to the parent folder; beside them the places to start
// from (Home, Documents, Downloads) and a switch that shows hidden files;
// above them a field for a typed path. It sits in a navigation controller
// whose bar carries Cancel, the title and Open.
//
// Mouse and touch: a tap on a folder opens it; a tap on a file selects it
// and a second tap on it (or Open) chooses it. Keyboard: Up and Down move
// the selection, Return opens the selected folder or chooses the selected
// file, Backspace goes up a folder, Escape stops the reading of a folder
// (see below) or else cancels, and typed letters select
// the first name that starts with them (type-ahead; a pause of
// kTypeAheadSeconds starts a new word). Return in the path field goes to the
// folder typed there, or chooses the file typed there.
//
// Folders are read off the main thread, so that one on a slow or hung
// network share never stops the window: while a folder is read it shows
// the way up alone; when that takes longer than kReadingIndicatorDelay a
// spinner, how many names have been read and a Stop appear in the list
// (Escape does the same), and the places, the way up and the path field go
// elsewhere at once. Names that are no UTF-8 show readably (displayFileName)
// and open as they are.
//
// The chosen file is only named to `onPick`; nothing here touches it.
//
// Main thread only.

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Progress.h"
#include "platform/library/DocumentType.h"
#include "platform/library/FolderListing.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"
#include "platform/ui/text/TextField.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class ActivityIndicatorView;
class BarButtonItem;
class Button;
class Label;
class Switch;
}  // namespace ui

namespace library {

class FileChooserViewController : public ui::ViewController,
                                  private ui::TableViewDataSource,
                                  private ui::TableViewDelegate,
                                  private ui::TextFieldDelegate {
public:
    static constexpr double kTypeAheadSeconds = 1.0;
    static constexpr double kRowHeight = 44.0;
    static constexpr double kSidebarWidth = 184.0;
    static constexpr double kReadingIndicatorDelay = 0.3;
    // How often the count of names read is brought up to date.
    static constexpr double kReadingCountInterval = 0.25;

    // How a folder is read, on a thread of the pool (listFolder's
    // arguments and result).
    using FolderReader = std::function<FolderListing(const std::string& folder,
                                                     const std::function<bool(std::string_view)>& acceptsFile,
                                                     bool showHidden, const ListingWatch& watch)>;

    // Offers folders and the files of the given types, starting in
    // `startFolder`, reading folders with `reader` (listFolder when none).
    FileChooserViewController(std::vector<DocumentType> types, ChooserPlaces places, std::string startFolder,
                              FolderReader reader = {});
    ~FileChooserViewController() override;

    // The chosen file's path; the user cancelled.
    std::function<void(const std::string& path)> onPick;
    std::function<void()> onCancel;

    // ---- what it shows ------------------------------------------------------------
    const std::string& currentFolder() const { return listing_.folder; }
    const FolderListing& listing() const { return listing_; }
    // The rows: the way up (when there is a folder above), then the entries.
    size_t numberOfRows() const;
    // The entry of a row; none for the way up.
    const FolderEntry* entryAtRow(size_t row) const;
    std::optional<size_t> selectedRow() const;
    bool showsHiddenFiles() const { return showHidden_; }
    // Whether the current folder is still being read.
    bool isReading() const { return reading_.has_value(); }

    // ---- what the user does -----------------------------------------------------
    // Shows another folder (the selection goes; the way up selects the
    // folder one came from).
    void openFolder(const std::string& folder);
    void setShowsHiddenFiles(bool show);
    void selectRow(std::optional<size_t> row);
    // What Return and a second tap do with a row.
    void activateRow(size_t row);
    // What the path field's Return does; false (after an alert) when the
    // typed path names neither a folder nor a file of the wanted kinds.
    bool goToTypedPath(const std::string& typed);
    void cancel();
    // Chooses the selected file, if one is selected.
    void pickSelected();
    // What Stop does: the folder stays unread, saying so, with the way up.
    void stopReading();

    // ---- views (loads the view) -----------------------------------------------------
    ui::TableView* tableView() { return view() ? tableView_.get() : nullptr; }
    ui::TextField* pathField() { return view() ? pathField_.get() : nullptr; }
    ui::Label* messageLabel() { return view() ? messageLabel_.get() : nullptr; }
    // What shows while a folder takes long to read: a spinner, the label
    // and Stop.
    ui::View* readingPanel() { return view() ? readingPanel_.get() : nullptr; }
    ui::Label* readingLabel() { return view() ? readingLabel_.get() : nullptr; }
    ui::Button* stopReadingButton() { return view() ? stopReadingButton_.get() : nullptr; }
    ui::Switch* hiddenFilesSwitch() { return view() ? hiddenSwitch_.get() : nullptr; }
    // Home, Documents and Downloads, in that order.
    std::vector<ui::Button*> placeButtons();
    ui::BarButtonItem* openItem() const { return openItem_.get(); }
    ui::BarButtonItem* cancelItem() const { return cancelItem_.get(); }

    void loadView() override;
    void viewWillLayoutSubviews() override;
    bool keyCommand(const ui::KeyPress& press) override;

private:
    // TableViewDataSource / TableViewDelegate.
    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<ui::IndexPath> willSelectRowAtIndexPath(ui::TableView& tableView,
                                                          const ui::IndexPath& indexPath) override;
    void didSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    // TextFieldDelegate.
    bool textFieldShouldReturn(ui::TextField& field) override;
    void textFieldDidEndEditing(ui::TextField& field) override;

    bool hasWayUp() const { return parentFolder(listing_.folder).has_value(); }
    bool acceptsFile(std::string_view name) const;
    // Reads the current folder again; once read, the entry of that name is
    // selected.
    void reload(std::optional<std::string> selectName);
    // Shows the listing as it is now.
    void showListing(std::optional<std::string> selectName);
    void startReading(std::optional<std::string> selectName);
    void readingDidFinish(FolderListing listing, const std::optional<std::string>& selectName);
    // Lets go of the reading under way, if any, which ends unheard.
    void abandonReading();
    void buildReadingPanel(ui::View& root);
    void showReadingProgress();
    void updatePlaces();
    void moveSelection(int step);
    void typeAhead(const std::string& text);
    void choose(const std::string& path);
    void showProblem(const std::string& message);

    std::vector<DocumentType> types_;
    ChooserPlaces places_;
    FolderReader reader_;
    FolderListing listing_;
    // The reading of the current folder, while it runs, and how many names
    // it has read (written by the reading thread).
    std::optional<foundation::Progress> reading_;
    std::shared_ptr<std::atomic<size_t>> namesRead_;
    bool showHidden_ = false;
    std::optional<size_t> selected_;
    // The row selected before the tap now being delivered.
    std::optional<size_t> selectedBeforeTap_;
    std::string typed_;
    double lastTypedAt_ = 0;
    bool finished_ = false;

    std::shared_ptr<ui::TableView> tableView_;
    std::shared_ptr<ui::TextField> pathField_;
    std::shared_ptr<ui::Label> messageLabel_;
    std::shared_ptr<ui::Switch> hiddenSwitch_;
    std::shared_ptr<ui::Label> hiddenLabel_;
    ui::ViewPtr sidebar_;
    ui::ViewPtr pathBar_;
    ui::ViewPtr pathRule_, sidebarRule_;
    std::vector<std::pair<std::shared_ptr<ui::Button>, std::string>> placeButtons_;
    std::shared_ptr<ui::BarButtonItem> openItem_;
    std::shared_ptr<ui::BarButtonItem> cancelItem_;
    ui::ViewPtr readingPanel_;
    std::shared_ptr<ui::ActivityIndicatorView> readingSpinner_;
    std::shared_ptr<ui::Label> readingLabel_;
    std::shared_ptr<ui::Button> stopReadingButton_;
    // The reading panel's performs.
    foundation::LifeToken life_;
};

}  // namespace library
