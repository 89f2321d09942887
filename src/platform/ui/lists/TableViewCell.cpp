#include "platform/ui/lists/TableViewCell.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ui {

using graphics::Color;
using graphics::Font;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

const Color kDeleteRed = Color::rgb(1.0, 59.0 / 255.0, 48.0 / 255.0);
const Color kInsertGreen = Color::rgb(76.0 / 255.0, 217.0 / 255.0, 100.0 / 255.0);
const Color kSelectedGrey = Color::grey(0.85);
const Color kDetailGrey = Color::grey(0.56);
const Color kChevronGrey = Color::grey(0.78);
constexpr double kRowAnimationDuration = 0.3;
constexpr double kConfirmationPadding = 15.0;

}  // namespace

// The cell's own small controls: they draw themselves and take their touches,
// so a tap on them neither selects the row nor reaches the content.
class TableViewCell::CellControl : public View {
public:
    CellControl(TableViewCell& cell, ControlKind kind) : cell_(cell), kind_(kind) {
        setDrawsContent(true);
        setOpaque(false);
    }

    ControlKind kind() const { return kind_; }
    void setKind(ControlKind kind) {
        if (kind_ == kind) return;
        kind_ = kind;
        setNeedsDisplay();
    }
    void setTitle(std::string title) {
        title_ = std::move(title);
        setNeedsDisplay();
    }
    static Font titleFont() { return Font::systemFont(17); }

    void touchesBegan(const TouchSet&, const Event&) override {}
    void touchesMoved(const TouchSet&, const Event&) override {}
    void touchesCancelled(const TouchSet&, const Event&) override {}
    void touchesEnded(const TouchSet& touches, const Event&) override {
        if (kind_ == ControlKind::Reorder || touches.empty()) return;
        if (!bounds().contains(touches.front()->locationInView(this))) return;
        cell_.controlTapped(kind_);
    }

    void drawRect(graphics::GraphicsContext& context, const Rect&) override {
        Rect b = bounds();
        Point c{b.midX(), b.midY()};
        switch (kind_) {
            case ControlKind::Delete:
            case ControlKind::Insert: {
                context.setFillColor(kind_ == ControlKind::Delete ? kDeleteRed : kInsertGreen);
                context.fillEllipse(Rect(c.x - 11, c.y - 11, 22, 22));
                context.setFillColor(Color::white());
                context.fillRect(Rect(c.x - 6, c.y - 1, 12, 2));
                if (kind_ == ControlKind::Insert) context.fillRect(Rect(c.x - 1, c.y - 6, 2, 12));
                break;
            }
            case ControlKind::Reorder:
                context.setFillColor(Color::grey(0.6));
                for (int i = -1; i <= 1; ++i) context.fillRect(Rect(c.x - 9, c.y + i * 5 - 0.5, 18, 1.5));
                break;
            case ControlKind::ConfirmDelete:
                context.setFillColor(kDeleteRed);
                context.fillRect(b);
                context.setFillColor(Color::white());
                context.drawText(
                    title_,
                    Rect(0, (b.size.height - titleFont().lineHeight()) / 2, b.size.width, titleFont().lineHeight() + 1),
                    titleFont(), graphics::LineBreakMode::Clip, graphics::TextAlignment::Center);
                break;
            case ControlKind::Disclosure: {
                graphics::Path chevron;
                chevron.moveTo(Point{c.x - 3, c.y - 6.5});
                chevron.lineTo(Point{c.x + 3, c.y});
                chevron.lineTo(Point{c.x - 3, c.y + 6.5});
                context.setStrokeColor(kChevronGrey);
                context.setLineWidth(2);
                context.strokePath(chevron);
                break;
            }
            case ControlKind::Checkmark: {
                graphics::Path tick;
                tick.moveTo(Point{c.x - 7, c.y});
                tick.lineTo(Point{c.x - 2, c.y + 5});
                tick.lineTo(Point{c.x + 7, c.y - 6});
                context.setStrokeColor(tintColor());
                context.setLineWidth(2);
                context.strokePath(tick);
                break;
            }
            case ControlKind::DetailButton: {
                context.setStrokeColor(tintColor());
                context.setLineWidth(1);
                context.strokeEllipse(Rect(c.x - 10.5, c.y - 10.5, 21, 21));
                context.setFillColor(tintColor());
                context.fillRect(Rect(c.x - 1, c.y - 3, 2, 9));
                context.fillEllipse(Rect(c.x - 1.25, c.y - 7.5, 2.5, 2.5));
                break;
            }
        }
    }

    void tintColorDidChange() override { setNeedsDisplay(); }

private:
    TableViewCell& cell_;
    ControlKind kind_;
    std::string title_;
};

TableViewCell::TableViewCell(TableViewCellStyle style, std::string reuseIdentifier)
    : style_(style), reuseIdentifier_(std::move(reuseIdentifier)) {
    setBackgroundColor(Color::white());
    setClipsToBounds(true);
    contentView_ = makeView<View>();
    addSubview(contentView_);
    imageView_ = makeView<ImageView>();
    contentView_->addSubview(imageView_);
    textLabel_ = makeView<Label>();
    contentView_->addSubview(textLabel_);
    if (style_ != TableViewCellStyle::Default) {
        detailTextLabel_ = makeView<Label>();
        contentView_->addSubview(detailTextLabel_);
        switch (style_) {
            case TableViewCellStyle::Subtitle:
                detailTextLabel_->setFont(Font::systemFont(12));
                break;
            case TableViewCellStyle::Value1:
                detailTextLabel_->setTextColor(kDetailGrey);
                detailTextLabel_->setTextAlignment(graphics::TextAlignment::Right);
                break;
            case TableViewCellStyle::Value2:
                textLabel_->setFont(Font::boldSystemFont(12));
                textLabel_->setTextAlignment(graphics::TextAlignment::Right);
                detailTextLabel_->setFont(Font::systemFont(15));
                break;
            case TableViewCellStyle::Default:
                break;
        }
    }
    separator_ = makeView<View>();
    separator_->setBackgroundColor(Color::grey(0.78));
    separator_->setHidden(true);
    addSubview(separator_);
    updateSelectionLook();
}

TableViewCell::~TableViewCell() = default;

void TableViewCell::prepareForReuse() {}

// ---- selection -------------------------------------------------------------------

void TableViewCell::setSelectionStyle(TableViewCellSelectionStyle style) {
    selectionStyle_ = style;
    updateSelectionLook();
}

void TableViewCell::setSelected(bool selected, bool animated) {
    (void)animated;
    if (selected_ == selected) return;
    selected_ = selected;
    updateSelectionLook();
}

void TableViewCell::setHighlighted(bool highlighted, bool animated) {
    (void)animated;
    if (highlighted_ == highlighted) return;
    highlighted_ = highlighted;
    updateSelectionLook();
}

void TableViewCell::updateSelectionLook() {
    bool shown = (selected_ || highlighted_) && selectionStyle_ != TableViewCellSelectionStyle::None;
    if (shown && !selectedBackgroundView_) {
        selectedBackgroundView_ = makeView<View>();
        selectedBackgroundView_->setBackgroundColor(kSelectedGrey);
    }
    if (selectedBackgroundView_) {
        if (shown && selectedBackgroundView_->superview() != this) {
            insertSubviewBelowSubview(selectedBackgroundView_, contentView_.get());
            selectedBackgroundView_->setFrame(bounds());
        } else if (!shown && selectedBackgroundView_->superview() == this) {
            selectedBackgroundView_->removeFromSuperview();
        }
    }
    textLabel_->setHighlighted(shown);
    if (detailTextLabel_) detailTextLabel_->setHighlighted(shown);
    imageView_->setHighlighted(shown);
}

void TableViewCell::setSelectedBackgroundView(ViewPtr view) {
    if (selectedBackgroundView_ && selectedBackgroundView_->superview() == this)
        selectedBackgroundView_->removeFromSuperview();
    selectedBackgroundView_ = std::move(view);
    updateSelectionLook();
    setNeedsLayout();
}

void TableViewCell::setBackgroundView(ViewPtr view) {
    if (backgroundView_ && backgroundView_->superview() == this) backgroundView_->removeFromSuperview();
    backgroundView_ = std::move(view);
    if (backgroundView_) insertSubviewAtIndex(backgroundView_, 0);
    setNeedsLayout();
}

// ---- accessory ---------------------------------------------------------------------

void TableViewCell::setAccessoryType(TableViewCellAccessoryType type) {
    accessoryType_ = type;
    updateControls();
}

void TableViewCell::setAccessoryView(ViewPtr view) {
    if (accessoryView_ && accessoryView_->superview() == this) accessoryView_->removeFromSuperview();
    accessoryView_ = std::move(view);
    updateControls();
}

double TableViewCell::accessoryWidth() const {
    if (editing_) return 0;
    if (accessoryView_) return accessoryView_->frame().size.width + 2 * kMargin;
    switch (accessoryType_) {
        case TableViewCellAccessoryType::None:
            return 0;
        case TableViewCellAccessoryType::DisclosureIndicator:
            return 8 + 2 * kMargin;
        case TableViewCellAccessoryType::Checkmark:
            return 14 + 2 * kMargin;
        case TableViewCellAccessoryType::DetailButton:
        case TableViewCellAccessoryType::DetailDisclosureButton:
            return 22 + 2 * kMargin;
    }
    return 0;
}

// ---- editing -------------------------------------------------------------------------

void TableViewCell::setEditing(bool editing, bool animated) {
    if (editing_ == editing) return;
    editing_ = editing;
    if (!editing) showingDeleteConfirmation_ = false;
    updateControls();
    setNeedsLayout();
    if (animated) {
        animate(kRowAnimationDuration, [this] { layoutIfNeeded(); });
    }
}

void TableViewCell::setEditingStyle(TableViewCellEditingStyle style) {
    if (editingStyle_ == style) return;
    editingStyle_ = style;
    updateControls();
}

void TableViewCell::setShowsReorderControl(bool shows) {
    showsReorderControl_ = shows;
    updateControls();
}

void TableViewCell::setShouldIndentWhileEditing(bool indent) {
    shouldIndentWhileEditing_ = indent;
    setNeedsLayout();
}

void TableViewCell::setShowingDeleteConfirmation(bool showing, const std::string& title, bool animated) {
    if (showingDeleteConfirmation_ == showing && confirmationTitle_ == title) return;
    showingDeleteConfirmation_ = showing;
    confirmationTitle_ = title;
    updateControls();
    if (animated) {
        animate(kRowAnimationDuration, [this] { layoutIfNeeded(); });
    }
}

void TableViewCell::setSeparator(bool visible, Color color, double leftInset) {
    separator_->setHidden(!visible);
    separator_->setBackgroundColor(color);
    separatorInset_ = leftInset;
    setNeedsLayout();
}

View* TableViewCell::reorderControl() const { return reorderControl_.get(); }

void TableViewCell::controlTapped(ControlKind kind) {
    auto keep = weak_from_this().lock();
    if (controlHandler_) controlHandler_(*this, kind);
}

// Puts the controls that the state asks for in place and removes the rest.
void TableViewCell::updateControls() {
    auto ensure = [this](std::shared_ptr<CellControl>& control, bool wanted, ControlKind kind) {
        if (wanted) {
            if (!control) control = std::make_shared<CellControl>(*this, kind);
            control->setKind(kind);
            if (control->superview() != this) insertSubviewAboveSubview(control, contentView_.get());
        } else if (control && control->superview() == this) {
            control->removeFromSuperview();
        }
    };
    bool editingControl = editing_ && editingStyle_ != TableViewCellEditingStyle::None;
    ensure(editingControl_, editingControl,
           editingStyle_ == TableViewCellEditingStyle::Insert ? ControlKind::Insert : ControlKind::Delete);
    ensure(reorderControl_, editing_ && showsReorderControl_ && !showingDeleteConfirmation_, ControlKind::Reorder);
    ensure(confirmationButton_, showingDeleteConfirmation_, ControlKind::ConfirmDelete);
    if (confirmationButton_) confirmationButton_->setTitle(confirmationTitle_);

    bool customAccessory = !editing_ && accessoryView_;
    if (accessoryView_) {
        if (customAccessory && accessoryView_->superview() != this) addSubview(accessoryView_);
        if (!customAccessory && accessoryView_->superview() == this) accessoryView_->removeFromSuperview();
    }
    ControlKind accessoryKind = ControlKind::Disclosure;
    bool builtIn = !editing_ && !accessoryView_ && accessoryType_ != TableViewCellAccessoryType::None &&
                   !showingDeleteConfirmation_;
    switch (accessoryType_) {
        case TableViewCellAccessoryType::Checkmark:
            accessoryKind = ControlKind::Checkmark;
            break;
        case TableViewCellAccessoryType::DetailButton:
        case TableViewCellAccessoryType::DetailDisclosureButton:
            accessoryKind = ControlKind::DetailButton;
            break;
        default:
            break;
    }
    ensure(accessoryControl_, builtIn, accessoryKind);
    // Only the detail button takes taps; other accessories let the row be selected.
    if (accessoryControl_) accessoryControl_->setUserInteractionEnabled(accessoryKind == ControlKind::DetailButton);
    separator_->removeFromSuperview();
    addSubview(separator_);
    setNeedsLayout();
}

// ---- layout --------------------------------------------------------------------------

void TableViewCell::layoutSubviews() {
    Rect b = bounds();
    double w = b.size.width, h = b.size.height;
    double left = 0, right = 0;
    if (editing_ && shouldIndentWhileEditing_ && editingStyle_ != TableViewCellEditingStyle::None)
        left = kEditingControlWidth;
    if (editing_ && showsReorderControl_) right = kEditingControlWidth;
    right = std::max(right, accessoryWidth());
    double confirmationWidth = 0;
    if (showingDeleteConfirmation_) {
        confirmationWidth = CellControl::titleFont().widthOfText(confirmationTitle_) + 2 * kConfirmationPadding;
        // The content slides left to make room; the indentation stays.
        right = std::max(right, confirmationWidth);
    }

    if (backgroundView_) backgroundView_->setFrame(b);
    if (selectedBackgroundView_) selectedBackgroundView_->setFrame(b);
    Rect content(left, 0, std::max(0.0, w - left - right), h);
    contentView_->setFrame(content);
    layoutContent(contentView_->bounds());

    if (editingControl_) editingControl_->setFrame(Rect(0, 0, kEditingControlWidth, h));
    if (reorderControl_) reorderControl_->setFrame(Rect(w - kEditingControlWidth, 0, kEditingControlWidth, h));
    if (confirmationButton_) confirmationButton_->setFrame(Rect(w - confirmationWidth, 0, confirmationWidth, h));
    if (accessoryControl_) {
        double aw = accessoryWidth();
        accessoryControl_->setFrame(Rect(w - aw, 0, aw, h));
    }
    if (accessoryView_ && accessoryView_->superview() == this) {
        Size size = accessoryView_->frame().size;
        accessoryView_->setFrame(
            Rect(w - kMargin - size.width, std::round((h - size.height) / 2), size.width, size.height));
    }
    // The separator starts under the text, so it moves with the indentation.
    double line = 1.0;
    double start = separatorInset_ + left;
    separator_->setFrame(Rect(start, h - line, std::max(0.0, w - start), line));
}

double TableViewCell::widthShowingContent() const {
    const double h = bounds().height();
    double image = 0;
    if (!imageView_->image().isNull()) {
        Size size = imageView_->image().size();
        if (size.height > h) size = Size{size.width * h / size.height, h};
        image = size.width + kMargin;
    }
    auto width = [](const std::shared_ptr<Label>& label) {
        return label && !label->text().empty() ? std::ceil(label->sizeThatFits(Size{}).width) : 0.0;
    };
    const double text = width(textLabel_), detail = width(detailTextLabel_);
    double texts = text;
    switch (style_) {
        case TableViewCellStyle::Default:
            break;
        case TableViewCellStyle::Subtitle:
            texts = std::max(text, detail);
            break;
        case TableViewCellStyle::Value1:
            texts = text + (detail > 0 ? 10 + detail : 0);
            break;
        case TableViewCellStyle::Value2:
            // The title takes a quarter of the room.
            texts = std::max(4 * text, text + 6 + detail);
            break;
    }
    return kMargin + image + texts + kMargin + accessoryWidth();
}

// The style's arrangement of image and labels in the content view.
void TableViewCell::layoutContent(const Rect& content) {
    double w = content.size.width, h = content.size.height;
    double x = kMargin;
    const graphics::Image& image = imageView_->image();
    if (!image.isNull()) {
        Size size = image.size();
        if (size.height > h) size = Size{size.width * h / size.height, h};
        imageView_->setFrame(Rect(x, std::round((h - size.height) / 2), size.width, size.height));
        x += size.width + kMargin;
    } else {
        imageView_->setFrame(Rect(x, 0, 0, 0));
    }
    double available = std::max(0.0, w - x - kMargin);
    const bool hasDetail = detailTextLabel_ && !detailTextLabel_->text().empty();
    switch (style_) {
        case TableViewCellStyle::Default:
            textLabel_->setFrame(Rect(x, 0, available, h));
            break;
        case TableViewCellStyle::Subtitle: {
            double th = textLabel_->font().lineHeight();
            double dh = hasDetail ? detailTextLabel_->font().lineHeight() : 0;
            double top = std::round((h - th - dh) / 2);
            textLabel_->setFrame(Rect(x, top, available, th));
            detailTextLabel_->setFrame(Rect(x, top + th, available, dh));
            break;
        }
        case TableViewCellStyle::Value1: {
            double dw = hasDetail ? std::min(available, std::ceil(detailTextLabel_->sizeThatFits(Size{}).width)) : 0;
            double tw = std::max(0.0, available - dw - (hasDetail ? 10 : 0));
            textLabel_->setFrame(Rect(x, 0, tw, h));
            detailTextLabel_->setFrame(Rect(x + available - dw, 0, dw, h));
            break;
        }
        case TableViewCellStyle::Value2: {
            double tw = std::round(available * 0.25);
            textLabel_->setFrame(Rect(x, 0, tw, h));
            detailTextLabel_->setFrame(Rect(x + tw + 6, 0, std::max(0.0, available - tw - 6), h));
            break;
        }
    }
}

}  // namespace ui
