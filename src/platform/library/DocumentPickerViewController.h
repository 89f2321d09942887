#pragma once

// The document picker in import mode: the user picks one file of the given
// document types (see DocumentType), and the delegate is told its URL. The
// file itself is only named, never moved, copied or changed here.
//
// Where the desktop's file-chooser portal answers on the given bus, the
// picker asks it and shows, meanwhile, that the desktop's chooser is open
// (with a Cancel, and Escape, that take it down). Where none answers (no session bus,
// nobody offering the portal, a portal that refuses or fails) the picker
// shows our own chooser (FileChooserViewController) in its place.
//
// Presented as a form sheet; it dismisses itself once the user has picked
// or cancelled, and then tells the delegate.
//
// Main thread only.

#include "platform/library/FileChooserPortal.h"
#include "platform/ui/controllers/ViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class Label;
class NavigationController;
}  // namespace ui

namespace library {

class DocumentPickerViewController;
class FileChooserViewController;
class PortalWaitViewController;

class DocumentPickerDelegate {
public:
    virtual ~DocumentPickerDelegate() = default;
    virtual void documentPickerDidPickDocumentAtURL(DocumentPickerViewController& picker, const std::string& url) = 0;
    virtual void documentPickerWasCancelled(DocumentPickerViewController& picker) { (void)picker; }
};

enum class DocumentPickerMode { Import };

class DocumentPickerViewController : public ui::ViewController {
public:
    enum class State { AskingPortal, PortalOpen, InAppChooser, Finished };

    // `portalBus`: the bus on which to ask for the desktop's chooser
    // (FileChooserPortal::sessionBusAddress()); none goes straight to our own.
    DocumentPickerViewController(std::vector<std::string> documentTypes, DocumentPickerMode mode,
                                 std::optional<std::string> portalBus);
    ~DocumentPickerViewController() override;

    std::weak_ptr<DocumentPickerDelegate> delegate;

    const std::vector<std::string>& documentTypes() const { return documentTypes_; }
    DocumentPickerMode mode() const { return mode_; }
    State state() const { return state_; }
    // Our own chooser once it shows; null before.
    FileChooserViewController* fileChooser() const { return chooser_.get(); }
    // What the sheet says while the desktop's chooser is open; null once
    // our own shows.
    ui::Label* portalMessageLabel() const;

    // The folder our own chooser starts in: where the last file was picked
    // (in this run), else the documents folder, else home.
    static std::string startFolder();

    void loadView() override;
    void viewWillAppear(bool animated) override;

private:
    void askPortal();
    void portalShown();
    void portalAnswered(const FileChooserPortal::Result& result);
    void showInAppChooser();
    // Shows the screen under a navigation bar, in place of the one before.
    void showScreen(std::shared_ptr<ui::ViewController> screen);
    void cancelPortal();
    // Dismisses the picker, then tells the delegate.
    void finish(std::optional<std::string> url);

    std::vector<std::string> documentTypes_;
    DocumentPickerMode mode_;
    State state_ = State::AskingPortal;
    bool asked_ = false;
    std::unique_ptr<FileChooserPortal> portal_;
    std::shared_ptr<PortalWaitViewController> waiting_;
    std::shared_ptr<FileChooserViewController> chooser_;
    std::shared_ptr<ui::NavigationController> navigation_;
};

}  // namespace library
