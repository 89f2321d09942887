// The in-app file chooser's reading of folders: off the main thread, with a
// spinner, the count of names read and Stop once it takes long.

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/library/FileChooserViewController.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>
#include <cerrno>

namespace library {

namespace {

constexpr const char* kReadingPerform = "reading";
constexpr double kSpinnerSide = 37;
constexpr double kLabelHeight = 44;
constexpr double kStopWidth = 120;
constexpr double kStopHeight = 36;

}  // namespace

void FileChooserViewController::buildReadingPanel(ui::View& root) {
    readingPanel_ = ui::makeView<ui::View>();
    readingPanel_->setHidden(true);
    root.addSubview(readingPanel_);
    readingSpinner_ = ui::makeView<ui::ActivityIndicatorView>(ui::ActivityIndicatorViewStyle::Gray);
    readingPanel_->addSubview(readingSpinner_);
    readingLabel_ = ui::makeView<ui::Label>();
    readingLabel_->setFont(graphics::Font::systemFont(15));
    readingLabel_->setTextColor(graphics::Color::grey(0.45));
    readingLabel_->setTextAlignment(graphics::TextAlignment::Center);
    readingLabel_->setNumberOfLines(2);
    readingPanel_->addSubview(readingLabel_);
    stopReadingButton_ = ui::Button::buttonWithType(ui::ButtonType::System);
    stopReadingButton_->setTitle(foundation::localized("Stop"), ui::ControlStateNormal);
    stopReadingButton_->titleLabel()->setFont(graphics::Font::systemFont(16));
    stopReadingButton_->addTarget(
        this, [this](ui::Control&) { stopReading(); }, ui::ControlEventTouchUpInside);
    readingPanel_->addSubview(stopReadingButton_);
}

void FileChooserViewController::startReading(std::optional<std::string> selectName) {
    const foundation::Progress progress;
    reading_ = progress;
    auto namesRead = std::make_shared<std::atomic<size_t>>(0);
    namesRead_ = namesRead;
    auto listing = std::make_shared<FolderListing>();
    auto weak = foundation::weakFrom(this);
    progress.setCompletionHandler([weak, progress, listing, selectName](const foundation::Progress::Result& result) {
        auto self = weak.lock();
        // A reading let go of, or stopped, ends unheard.
        if (!self || self->reading_ != progress || result.outcome != foundation::Progress::Outcome::Finished) return;
        self->readingDidFinish(std::move(*listing), selectName);
    });
    // The reading thread has its own copies: the chooser may be gone before
    // a hung share answers.
    auto accepts = [types = types_](std::string_view name) {
        return std::any_of(types.begin(), types.end(),
                           [&](const DocumentType& type) { return type.matchesFileName(name); });
    };
    foundation::DispatchQueue::global().async([reader = reader_, folder = listing_.folder, hidden = showHidden_,
                                               accepts = std::move(accepts), progress, namesRead, listing] {
        // A network share may answer late or never; the pool's other work
        // goes on meanwhile.
        const foundation::ScopedBlockingWork outside;
        *listing = reader(folder, accepts, hidden, [&](size_t count) {
            namesRead->store(count, std::memory_order_relaxed);
            return !progress.isCancelled();
        });
        progress.finish();
    });
    life_.performAfter(
        kReadingIndicatorDelay, [this] { showReadingProgress(); }, kReadingPerform);
    // Escape stops the reading first (keyCommand), before it cancels.
    cancelItem_->setKeyEquivalent(std::nullopt);
}

void FileChooserViewController::showReadingProgress() {
    if (!reading_) return;
    const size_t count = namesRead_->load(std::memory_order_relaxed);
    std::string text =
        foundation::format(foundation::localized("Reading “%@”…"),
                           {foundation::Value(displayFileName(foundation::path::lastComponent(listing_.folder)))});
    if (count > 0)
        text += "\n" + foundation::format(foundation::localized("%@ items so far"),
                                          {foundation::Value(static_cast<int64_t>(count))});
    readingLabel_->setText(text);
    if (readingPanel_->isHidden()) {
        readingPanel_->setHidden(false);
        readingSpinner_->startAnimating();
    }
    const graphics::Rect bounds = readingPanel_->bounds();
    readingSpinner_->setFrame({bounds.midX() - kSpinnerSide / 2, 0, kSpinnerSide, kSpinnerSide});
    readingLabel_->setFrame({0, kSpinnerSide + 8, bounds.width(), kLabelHeight});
    stopReadingButton_->setFrame(
        {bounds.midX() - kStopWidth / 2, kSpinnerSide + kLabelHeight + 16, kStopWidth, kStopHeight});
    life_.performAfter(
        kReadingCountInterval, [this] { showReadingProgress(); }, kReadingPerform);
}

void FileChooserViewController::readingDidFinish(FolderListing listing, const std::optional<std::string>& selectName) {
    abandonReading();
    listing_ = std::move(listing);
    showListing(selectName);
}

void FileChooserViewController::abandonReading() {
    if (reading_) reading_->cancel();
    reading_.reset();
    life_.cancelPerforms(kReadingPerform);
    if (cancelItem_) cancelItem_->setKeyEquivalent(ui::Key::Escape);
    if (!readingPanel_ || readingPanel_->isHidden()) return;
    readingSpinner_->stopAnimating();
    readingPanel_->setHidden(true);
}

void FileChooserViewController::stopReading() {
    if (!reading_) return;
    abandonReading();
    listing_.error = foundation::Error::posix(ECANCELED, listing_.folder);
    showListing(std::nullopt);
}

}  // namespace library
