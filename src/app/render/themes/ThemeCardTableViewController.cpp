#include "app/render/themes/ThemeCardTableViewController.h"

#include "app/core/BundleImage.h"
#include "app/core/KWImageProducer.h"
#include "app/core/SaveFailure.h"
#include "app/core/ShowErrorNotification.h"
#include "app/widgets/cells/CardRowCell.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

ThemeCardTableViewController::ThemeCardTableViewController(std::shared_ptr<ProjectModel> project)
    : project_(std::move(project)) {}

double ThemeCardTableViewController::buttonWidth(double tableWidth) { return std::trunc((tableWidth - 50) / 4); }

graphics::Rect ThemeCardTableViewController::cardFrame(size_t k, double tableWidth) {
    const double width = buttonWidth(tableWidth);
    return graphics::Rect(10 + static_cast<double>(k) * (width + 10), 20, width, 80);
}

void ThemeCardTableViewController::loadView() {
    auto table = ui::makeView<ui::TableView>(graphics::Rect(0, 0, 1024, 768), ui::TableViewStyle::Plain);
    table->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    table->setDataSource(this);
    table->setDelegate(this);
    tableView_ = table.get();
    setView(table);
}

void ThemeCardTableViewController::viewDidLoad() {
    setTitle(foundation::localized("Theme Cards"));
    auto backdrop = std::make_shared<ui::ImageView>(bundleImageNamed("gallery_bg.jpg").value_or(graphics::Image()));
    backdrop->setContentMode(ui::ContentMode::ScaleAspectFill);
    tableView_->setBackgroundView(backdrop);
    auto weak = foundation::weakFrom(this);
    navigationItem().setLeftBarButtonItem(
        std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Cancel, [weak](ui::BarButtonItem&) {
            if (auto self = weak.lock()) self->actionDone();
        }));
    tableView_->setSeparatorColor(graphics::Color::clear());
    tableView_->setRowHeight(kRowHeight);
    items_ = ThemeCardItem::allItems();
    tableView_->reloadData();
}

void ThemeCardTableViewController::actionDone() { dismissViewController(true); }

size_t ThemeCardTableViewController::numberOfRowsInSection(ui::TableView&, size_t) {
    return items_.size() / kCardsPerRow + 1;
}

std::optional<double> ThemeCardTableViewController::heightForRowAtIndexPath(ui::TableView&, const ui::IndexPath&) {
    return kRowHeight;
}

ui::TableViewCellPtr ThemeCardTableViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                         const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<CardRowCell>(tableView.dequeueReusableCellWithIdentifier(kCellIdentifier));
    if (!cell) {
        cell = std::make_shared<CardRowCell>(kCellIdentifier, kCardsPerRow, kFirstButtonTag, &cardFrame);
        auto weak = foundation::weakFrom(this);
        for (size_t k = 0; k < kCardsPerRow; ++k) {
            cell->card(k)->addTarget(
                this,
                [weak](ui::Control& sender) {
                    if (auto self = weak.lock()) self->actionCard(sender);
                },
                ui::ControlEventTouchUpInside);
        }
    }
    std::vector<graphics::Image> pictures;
    for (size_t index = indexPath.row * kCardsPerRow;
         index < std::min(items_.size(), (indexPath.row + 1) * kCardsPerRow); ++index)
        pictures.push_back(bundleImageNamed(items_[index].thumbImagePath).value_or(graphics::Image()));
    cell->showRow(indexPath.row, pictures);
    return cell;
}

void ThemeCardTableViewController::actionCard(ui::View& sender) {
    const ui::View* row = sender.superview();
    if (!row) return;
    long index = sender.tag() + 4L * row->tag() - kFirstButtonTag;
    if (index < 0 || static_cast<size_t>(index) >= items_.size()) return;
    insertThemeCardWithThemaCardIndex(static_cast<size_t>(index));
}

void ThemeCardTableViewController::insertThemeCardWithThemaCardIndex(size_t index) {
    if (index >= items_.size() || inserting_) return;
    inserting_ = true;
    const ThemeCardItem item = items_[index];
    auto weak = foundation::weakFrom(this);
    std::shared_ptr<ProjectModel> project = project_;
    foundation::DispatchQueue::global().async([weak, project, item] {
        FramePtr frame = Frame::create(item.frameType);
        foundation::Status stored = foundation::Error(kThemeCardErrorDomain, kThemeCardErrorMissingPicture,
                                                      "The card picture \"" + item.bgImagePath + "\" is missing.");
        if (auto picture = bundleImageNamed(item.bgImagePath)) {
            stored = KWImageProducer(project).storeImage(*picture, frame->frameID());
            if (!stored) stored = saveFailureError(projectCalled(project->getName()), stored.error());
        }
        foundation::DispatchQueue::main().async([weak, project, item, frame, stored] {
            auto self = weak.lock();
            if (!self) return;
            self->inserting_ = false;
            if (!stored) {
                // Nothing is inserted: a frame without pictures would show the placeholder.
                postShowError(stored.error(), self.get());
                return;
            }
            if (item.frameType == Frame::kTypeThemeTextCard) {
                auto theme = std::make_shared<KWThemeItem>();
                theme->setThemeID(item.themeID);
                frame->setTheme(theme);
            }
            // One second of the movie; getFPS never answers 0.
            frame->setDuration(project ? project->getFPS() : 1);
            std::function<void(FramePtr)> handler = self->handlerComplete_;
            self->dismissViewController(true);
            if (handler) handler(frame);
        });
    });
}
