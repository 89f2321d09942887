#include "platform/library/DocumentPickerViewController.h"

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/library/DocumentType.h"
#include "platform/library/FileChooserViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/ActivityIndicatorView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/host/WindowHost.h"

#include <cstdio>
#include <sys/stat.h>

namespace library {

namespace {

namespace path = foundation::path;

// The sheet holds a chooser of two columns comfortably; a phone's window
// is smaller, and the sheet then covers it.
constexpr graphics::Size kSheetSize{720, 540};

std::string& lastFolder() {
    static std::string folder;
    return folder;
}

bool isFolder(const std::string& folder) {
    struct stat info {};
    return !folder.empty() && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

// What the sheet shows while the portal is asked and while its dialog is
// open: the picker's title and Cancel, and a line on where to choose.
class PortalWaitViewController : public ui::ViewController {
public:
    std::function<void()> onCancel;

    ui::Label* messageLabel() const { return message_.get(); }

    void loadView() override {
        auto root = ui::makeView<ui::View>(graphics::Rect{{0, 0}, kSheetSize});
        root->setBackgroundColor(graphics::Color::white());
        setView(root);
        spinner_ = ui::makeView<ui::ActivityIndicatorView>(ui::ActivityIndicatorViewStyle::Gray);
        spinner_->startAnimating();
        root->addSubview(spinner_);
        message_ = ui::makeView<ui::Label>();
        message_->setText(foundation::localized("Choose the file in the desktop's file chooser."));
        message_->setFont(graphics::Font::systemFont(17));
        message_->setTextColor(graphics::Color::darkGray());
        message_->setTextAlignment(graphics::TextAlignment::Center);
        message_->setNumberOfLines(0);
        message_->setHidden(true);
        root->addSubview(message_);
        navigationItem().setLeftBarButtonItem(std::make_shared<ui::BarButtonItem>(
            ui::BarButtonSystemItem::Cancel, [this](ui::BarButtonItem&) {
                if (onCancel) onCancel();
            }));
    }

    void viewWillLayoutSubviews() override {
        const graphics::Rect bounds = view()->bounds();
        spinner_->setCenter({bounds.midX(), bounds.midY()});
        message_->setFrame({24, bounds.midY() - 24, bounds.width() - 48, 48});
    }

    // The portal took the request: its dialog is coming up.
    void showOpen() {
        view();
        spinner_->stopAnimating();
        spinner_->setHidden(true);
        message_->setHidden(false);
    }

private:
    std::shared_ptr<ui::ActivityIndicatorView> spinner_;
    std::shared_ptr<ui::Label> message_;
};

DocumentPickerViewController::DocumentPickerViewController(std::vector<std::string> documentTypes,
                                                           DocumentPickerMode mode,
                                                           std::optional<std::string> portalBus)
    : documentTypes_(std::move(documentTypes)), mode_(mode) {
    modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
    preferredContentSize = kSheetSize;
    if (portalBus) {
        portal_ = std::make_unique<FileChooserPortal>(*portalBus);
    } else {
        state_ = State::InAppChooser;
    }
}

DocumentPickerViewController::~DocumentPickerViewController() = default;

std::string DocumentPickerViewController::startFolder() {
    if (isFolder(lastFolder())) return lastFolder();
    const ChooserPlaces places = ChooserPlaces::fromEnvironment();
    return isFolder(places.documents) ? places.documents : places.home;
}

ui::Label* DocumentPickerViewController::portalMessageLabel() const {
    return waiting_ && !chooser_ ? waiting_->messageLabel() : nullptr;
}

void DocumentPickerViewController::loadView() {
    auto root = ui::makeView<ui::View>(graphics::Rect{{0, 0}, kSheetSize});
    root->setBackgroundColor(graphics::Color::white());
    setView(root);
    if (state_ == State::InAppChooser) return showInAppChooser();
    waiting_ = std::make_shared<PortalWaitViewController>();
    waiting_->setTitle(foundation::localized("Import"));
    auto weak = foundation::weakFrom(this);
    waiting_->onCancel = [weak] {
        if (auto self = weak.lock()) self->cancelPortal();
    };
    showScreen(waiting_);
}

void DocumentPickerViewController::showScreen(std::shared_ptr<ui::ViewController> screen) {
    if (navigation_) {
        navigation_->view()->removeFromSuperview();
        navigation_->removeFromParentViewController();
    }
    navigation_ = std::make_shared<ui::NavigationController>(std::move(screen));
    addChildViewController(navigation_);
    ui::ViewPtr shown = navigation_->viewPtr();
    shown->setFrame(view()->bounds());
    shown->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    view()->addSubview(shown);
}

void DocumentPickerViewController::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    if (state_ == State::AskingPortal && portal_ && !asked_) {
        asked_ = true;
        askPortal();
    }
}

void DocumentPickerViewController::askPortal() {
    FileChooserPortal::Request request;
    if (ui::Window* window = ui::Window::keyWindow()) request.parentWindow = ui::portalParentWindow(*window);
    request.title = foundation::localized("Import");
    request.acceptLabel = foundation::localized("Open");
    for (const std::string& identifier : documentTypes_) {
        const DocumentType type = DocumentType::declared(identifier);
        FileChooserPortal::Filter filter{type.description, {}, type.mimeTypes};
        for (const std::string& extension : type.extensions) filter.globs.push_back("*." + extension);
        request.filters.push_back(std::move(filter));
    }
    auto weak = foundation::weakFrom(this);
    portal_->openFile(
        std::move(request),
        [weak] {
            if (auto self = weak.lock()) self->portalShown();
        },
        [weak](const FileChooserPortal::Result& result) {
            if (auto self = weak.lock()) self->portalAnswered(result);
        });
}

void DocumentPickerViewController::portalShown() {
    if (state_ != State::AskingPortal) return;
    state_ = State::PortalOpen;
    waiting_->showOpen();
}

void DocumentPickerViewController::cancelPortal() {
    if (portal_) portal_->close();
    finish(std::nullopt);
}

void DocumentPickerViewController::portalAnswered(const FileChooserPortal::Result& result) {
    if (state_ == State::Finished) return;
    switch (result.outcome) {
        case FileChooserPortal::Outcome::Picked:
            return finish(result.uri);
        case FileChooserPortal::Outcome::Cancelled:
            return finish(std::nullopt);
        case FileChooserPortal::Outcome::Unavailable:
            std::fprintf(stderr, "DocumentPicker: the desktop's file chooser is not available (%s); using our own\n",
                         result.reason.c_str());
            return showInAppChooser();
    }
}

void DocumentPickerViewController::showInAppChooser() {
    state_ = State::InAppChooser;
    std::vector<DocumentType> types;
    for (const std::string& identifier : documentTypes_) types.push_back(DocumentType::declared(identifier));
    chooser_ = std::make_shared<FileChooserViewController>(std::move(types), ChooserPlaces::fromEnvironment(),
                                                           startFolder());
    chooser_->setTitle(foundation::localized("Import"));
    auto weak = foundation::weakFrom(this);
    chooser_->onPick = [weak](const std::string& picked) {
        auto self = weak.lock();
        if (!self) return;
        lastFolder() = path::deletingLastComponent(picked);
        self->finish(path::toFileURL(picked));
    };
    chooser_->onCancel = [weak] {
        if (auto self = weak.lock()) self->finish(std::nullopt);
    };
    showScreen(chooser_);
}

void DocumentPickerViewController::finish(std::optional<std::string> url) {
    if (state_ == State::Finished) return;
    state_ = State::Finished;
    // Held until the delegate has heard: the presentation lets go of the
    // picker when the sheet is gone.
    auto self = std::static_pointer_cast<DocumentPickerViewController>(shared_from_this());
    dismissViewController(true, [self, url] {
        auto told = self->delegate.lock();
        if (!told) return;
        if (url) {
            told->documentPickerDidPickDocumentAtURL(*self, *url);
        } else {
            told->documentPickerWasCancelled(*self);
        }
    });
}

}  // namespace library
