#include "app/render/screens/RenderProgressViewController.h"

#include "app/core/FrameList.h"
#include "app/core/KWImageProducer.h"
#include "app/widgets/views/VerticallyAlignedLabel.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/ProgressView.h"
#include "platform/ui/host/Device.h"

#include <cmath>

namespace {
constexpr double kTileAspect = 212.0 / 120.0;
constexpr double kPictureFadeSeconds = 1.5;
constexpr double kTextFadeOutSeconds = 0.25;
constexpr double kTextFadeInSeconds = 0.5;
constexpr double kBarInset = 20;
constexpr double kBarHeight = 15;
// The preview panel keeps clear of the navigation bar above it and ends
// above the progress bar: the bar never covers the picture.
constexpr double kPanelTop = 10;
constexpr double kPanelToBar = 8;
const graphics::Color kBackground = graphics::Color::grey(0.2);
}  // namespace

std::vector<double> renderProgressSteps(double panelWidth, double panelHeight) {
    double tiles = 0;
    if (panelHeight > 0 && panelWidth > 0) tiles = std::round(panelWidth / (panelHeight * kTileAspect));
    const int steps = int(tiles) + 2;
    std::vector<double> values;
    for (int i = 0; i < steps; ++i) values.push_back(double(i) / steps);
    return values;
}

RenderProgressViewController::RenderProgressViewController(std::string nibName, ProjectModelPtr project)
    : ui::ViewController(std::move(nibName)), project_(std::move(project)) {}

RenderProgressViewController::~RenderProgressViewController() {
    if (tableView_) {
        tableView_->setDataSource(nullptr);
        tableView_->setDelegate(nullptr);
    }
}

bool RenderProgressViewController::isTablet() {
    return ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad;
}

double RenderProgressViewController::upperRowHeight() const { return isTablet() ? 300 : 150; }

void RenderProgressViewController::loadView() {
    tableView_ = ui::makeView<ui::TableView>(graphics::Rect(0, 0, 540, 620), ui::TableViewStyle::Plain);
    tableView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    setView(tableView_);
}

void RenderProgressViewController::viewDidLoad() {
    title = foundation::localized("");
    tableView_->setBackgroundColor(kBackground);
    tableView_->setSeparatorColor(graphics::Color::clear());
    navigationItem().setHidesBackButton(true);

    // Upper row: the preview panel, and the bar under it near the row's bottom.
    const double width = tableView_->bounds().width();
    upperCell_ = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, kCellIdentifier);
    upperCell_->setFrame(graphics::Rect(0, 0, width, upperRowHeight()));
    upperCell_->setBackgroundColor(graphics::Color::clear());
    upperCell_->layoutIfNeeded();  // the content view takes the cell's size
    ui::View& upper = upperCell_->contentView();
    const graphics::Rect content = upper.bounds();
    const graphics::Rect bar(content.origin.x + kBarInset, content.height() - kBarInset,
                             content.width() - 2 * kBarInset, kBarHeight);
    progressPanel_ = ui::makeView<ui::View>(
        graphics::Rect(content.origin.x, kPanelTop, content.width(), bar.minY() - kPanelToBar - kPanelTop));
    progressPanel_->setClipsToBounds(true);
    progressPanel_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    upper.addSubview(progressPanel_);
    progressView_ = ui::makeView<ui::ProgressView>(ui::ProgressViewStyle::Bar, bar);
    progressView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleTopMargin);
    progressView_->setTrackTintColor(graphics::Color::white());
    progressView_->setProgressTintColor(accentColor());
    progressView_->setProgress(progress_);
    upper.addSubview(progressView_);

    // Lower row: the text over an empty panel.
    lowerCell_ = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, kCellIdentifier);
    lowerCell_->setFrame(graphics::Rect(0, 0, width, isTablet() ? 200 : 90));
    lowerCell_->setBackgroundColor(graphics::Color::clear());
    lowerCell_->layoutIfNeeded();
    ui::View& lower = lowerCell_->contentView();
    contentPanel_ = ui::makeView<ui::View>(lower.bounds());
    contentPanel_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    lower.addSubview(contentPanel_);
    const graphics::Rect text = lower.bounds();
    labelInfo_ = ui::makeView<VerticallyAlignedLabel>(
        graphics::Rect(text.origin.x + kBarInset, text.origin.y, text.width() - 2 * kBarInset, text.height()));
    labelInfo_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    labelInfo_->setVerticalAlignment(VerticalAlignment::Middle);
    labelInfo_->setText("");
    labelInfo_->setTextColor(graphics::Color::white());
    labelInfo_->setTextAlignment(graphics::TextAlignment::Center);
    // As many lines as the row holds: an error names files and folders by
    // their paths, which take more than four lines on a phone.
    labelInfo_->setNumberOfLines(0);
    labelInfo_->setFont(graphics::Font::systemFont(15));
    labelInfo_->setBackgroundColor(graphics::Color::clear());
    lower.addSubview(labelInfo_);

    tableView_->setDataSource(this);
    tableView_->setDelegate(this);
    tableView_->reloadData();
}

void RenderProgressViewController::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    // A text passed in before the label existed, and the first preview, show
    // as the panel slides in: never a bare bar without a word.
    if (!infoText_.empty()) setLabelText(infoText_, infoColor_);
    updateRenderProgressView();
}

// ---- table ------------------------------------------------------------------------------------

size_t RenderProgressViewController::numberOfSectionsInTableView(ui::TableView&) { return 2; }

size_t RenderProgressViewController::numberOfRowsInSection(ui::TableView&, size_t) { return 1; }

ui::TableViewCellPtr RenderProgressViewController::cellForRowAtIndexPath(ui::TableView&,
                                                                         const ui::IndexPath& indexPath) {
    return indexPath.section == 0 ? upperCell_ : lowerCell_;
}

std::optional<double> RenderProgressViewController::heightForRowAtIndexPath(ui::TableView&,
                                                                            const ui::IndexPath& indexPath) {
    if (indexPath.section == 0) return upperRowHeight();
    if (indexPath.section == 1) return isTablet() ? 200 : 90;
    return 44;
}

std::optional<ui::IndexPath> RenderProgressViewController::willSelectRowAtIndexPath(ui::TableView&,
                                                                                    const ui::IndexPath&) {
    return std::nullopt;
}

// ---- progress and pictures --------------------------------------------------------------------

void RenderProgressViewController::setProgress(float progress) {
    progress_ = progress;
    if (progressView_) progressView_->setProgress(progress);
    if (progress != 1.0f) updateRenderProgressView();
}

void RenderProgressViewController::updateRenderProgressView() {
    if (!progressPanel_) return;
    if (!stepsMade_) {
        stepsMade_ = true;
        // The panel fills the upper row, which may not be laid out yet.
        interestingProgressValues_ = renderProgressSteps(tableView_->bounds().width(), upperRowHeight());
    }
    if (interestingProgressValues_.empty() || progress_ < interestingProgressValues_.front()) return;
    interestingProgressValues_.erase(interestingProgressValues_.begin());
    std::optional<graphics::Image> picture;
    if (project_) {
        if (!imageProducer_) imageProducer_ = std::make_unique<KWImageProducer>(project_);
        auto frames = project_->getFrameList();
        const int64_t entries = frames ? frames->count() : 0;
        const auto index = int64_t(double(entries - 1) * double(progress_));
        if (index >= 0) picture = imageProducer_->getPreviewImageForFrameAtIndex(index);
        if (!picture) picture = project_->getThumbImageForProject();
    }
    // The first preview has nothing to fade in over: it shows at once.
    if (picture) addFadingPicture(*picture, !progressPanel_->subviews().empty());
}

void RenderProgressViewController::showThumbImage(const graphics::Image& image) { addFadingPicture(image, true); }

void RenderProgressViewController::addFadingPicture(const graphics::Image& image, bool fade) {
    if (!progressPanel_) return;
    auto picture = ui::makeView<ui::ImageView>(progressPanel_->bounds());
    picture->setImage(image);
    // The whole picture, its aspect kept, however wide the panel is (a form
    // sheet's, or the whole window's): the user sees what the movie shows,
    // not a band cut out of it. The bars beside it are the panel's colour,
    // so a new picture covers the ones below it entirely.
    picture->setContentMode(ui::ContentMode::ScaleAspectFit);
    picture->setBackgroundColor(kBackground);
    picture->setClipsToBounds(true);
    picture->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    picture->setAlpha(fade ? 0 : 1);
    progressPanel_->addSubview(picture);
    if (fade) ui::animate(kPictureFadeSeconds, [picture] { picture->setAlpha(1); });
}

// ---- texts ------------------------------------------------------------------------------------

void RenderProgressViewController::showInfo(const std::string& text) {
    showTextWithColor(text, graphics::Color::white());
}

void RenderProgressViewController::showError(const std::string& text) {
    showTextWithColor(text, graphics::Color::rgb(1, 0, 0));
}

void RenderProgressViewController::showTextWithColor(const std::string& text, graphics::Color color) {
    infoText_ = text;
    infoColor_ = color;
    if (!labelInfo_) return;
    auto label = labelInfo_;
    // Texts may follow each other faster than the fade (a save that ends at
    // once): whichever fade ends last shows the latest text, not its own.
    ui::animate(
        kTextFadeOutSeconds, [label] { label->setAlpha(0); },
        [label, weak = foundation::weakFrom(this)](bool) {
            auto self = weak.lock();
            if (!self) return;
            label->setText(self->infoText_);
            const graphics::Color color = self->infoColor_;
            ui::animate(kTextFadeInSeconds, [label, color] {
                label->setAlpha(1);
                label->setTextColor(color);
            });
        });
}

void RenderProgressViewController::setLabelText(const std::string& text, graphics::Color color) {
    labelInfo_->setText(text);
    labelInfo_->setTextColor(color);
    labelInfo_->setAlpha(1);
}

// ---- actions ----------------------------------------------------------------------------------

void RenderProgressViewController::setCancelHandler(std::function<void()> handler) {
    cancelHandler_ = std::move(handler);
    if (cancelHandler_) {
        navigationItem().setLeftBarButtonItem(std::make_shared<ui::BarButtonItem>(
            ui::BarButtonSystemItem::Cancel, [weak = foundation::weakFrom(this)](ui::BarButtonItem&) {
                if (auto self = weak.lock()) self->actionCancel();
            }));
    } else {
        navigationItem().setLeftBarButtonItem(nullptr);
        navigationItem().setHidesBackButton(true);
    }
}

void RenderProgressViewController::setDoneHandler(std::function<void()> handler) {
    doneHandler_ = std::move(handler);
    if (doneHandler_) {
        navigationItem().setRightBarButtonItem(std::make_shared<ui::BarButtonItem>(
            ui::BarButtonSystemItem::Done, [weak = foundation::weakFrom(this)](ui::BarButtonItem&) {
                if (auto self = weak.lock()) self->actionDone();
            }));
    } else {
        navigationItem().setRightBarButtonItem(nullptr);
    }
}

void RenderProgressViewController::actionCancel() {
    auto handler = std::move(cancelHandler_);
    cancelHandler_ = nullptr;
    if (handler) handler();
}

void RenderProgressViewController::actionDone() {
    auto handler = std::move(doneHandler_);
    doneHandler_ = nullptr;
    if (handler) handler();
}
