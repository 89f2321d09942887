#include "app/painter/PaintToolViewController.h"

#include "app/core/UIImage_Resize.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/controllers/Bar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/host/Device.h"

namespace {

using painterlayout::ToolBarButton;

constexpr int kTagBack = 1;
constexpr int kTagUndo = 10;
constexpr int kTagRedo = 15;
constexpr int kTagLayer = 40;
constexpr int kTagMove = 20;
constexpr int kTagStamp = 30;

struct BarMetrics {
    double height, buttonY, buttonHeight, colorBarY, colorBarHeight;
};

BarMetrics metrics() {
    if (painterlayout::isPhone()) return {painterlayout::toolBarHeight(true), 20, 34, 55, 4};
    return {painterlayout::toolBarHeight(false), 8, 74, 84, 6};
}

// The soft plate behind the selected tool.
graphics::Image selectedPlate() {
    constexpr double side = 64;
    graphics::GraphicsContext context({side, side}, 2.0, false);
    context.setFillColor(graphics::Color::grey(1.0, 0.22));
    context.fillPath(graphics::Path::roundedRect({2, 2, side - 4, side - 4}, 12));
    return context.makeImage();
}

}  // namespace

PaintToolViewController::PaintToolViewController() : ui::ViewController("PaintToolViewController") {}

PaintToolViewController::~PaintToolViewController() {
    if (popoverController_) {
        popoverController_->setDelegate(nullptr);
        popoverController_->dismissPopoverAnimated(false);
    }
}

std::shared_ptr<ui::Button> PaintToolViewController::makeButton(const char* icon, int tag,
                                                                void (PaintToolViewController::*action)(ui::Button&)) {
    const BarMetrics bar = metrics();
    auto button =
        std::make_shared<ui::Button>(ui::ButtonType::Custom, graphics::Rect(0, bar.buttonY, 60, bar.buttonHeight));
    button->setImage(UIImage_Resize::tintedImageNamed(icon).value_or(graphics::Image()), ui::ControlStateNormal);
    static const graphics::Image plate = selectedPlate();
    button->setBackgroundImage(plate, ui::ControlStateSelected);
    button->setTintColor(graphics::Color::white());
    button->setTag(tag);
    button->addTarget(
        this, life_.guard([this, action](ui::Control& sender) { (this->*action)(static_cast<ui::Button&>(sender)); }),
        ui::ControlEventTouchUpInside);
    view()->addSubview(button);
    return button;
}

ui::ViewPtr PaintToolViewController::makeColorBar(const ui::Button& button) {
    const BarMetrics bar = metrics();
    auto colorBar = ui::makeView(graphics::Rect(button.frame().minX() + 5, bar.colorBarY, 50, bar.colorBarHeight));
    colorBar->setUserInteractionEnabled(false);
    colorBar->layer().setCornerRadius(bar.colorBarHeight / 2);
    view()->addSubview(colorBar);
    return colorBar;
}

void PaintToolViewController::loadView() {
    const BarMetrics bar = metrics();
    const double width = ui::Device::current().screenBounds().size.width;
    auto root = ui::makeView(graphics::Rect(0, 0, width, bar.height));
    root->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    root->setBackgroundColor(painterlayout::barColor());
    setView(root);
    btnBack_ = makeButton("painter_icon_back", kTagBack, &PaintToolViewController::actionButton1);
    // A drawing tool's tag is the type of its brush.
    btnBrush_ = makeButton("painter_icon_brush", kBrushTypeBrush, &PaintToolViewController::actionButton3);
    btnPen_ = makeButton("painter_icon_pen", kBrushTypePen, &PaintToolViewController::actionButton4);
    btnFountainPen_ =
        makeButton("painter_icon_fountainpen", kBrushTypeFountainPen, &PaintToolViewController::actionButton5);
    btnEraser_ = makeButton("painter_icon_eraser", kBrushTypeEraser, &PaintToolViewController::actionButton6);
    btnMove_ = makeButton("painter_icon_move", kTagMove, &PaintToolViewController::actionMove);
    btnUndo_ = makeButton("painter_icon_undo", kTagUndo, &PaintToolViewController::actionUndo);
    btnRedo_ = makeButton("painter_icon_redo", kTagRedo, &PaintToolViewController::actionRedo);
    // The desktop's Ctrl+Z and Ctrl+Shift+Z press them.
    btnUndo_->setKeyEquivalent(ui::Key::Undo);
    btnRedo_->setKeyEquivalent(ui::Key::Redo);
    viewToolColorBrush_ = makeColorBar(*btnBrush_);
    viewToolColorPen_ = makeColorBar(*btnPen_);
    viewToolColorFountainPen_ = makeColorBar(*btnFountainPen_);
    // Layer and stamp keep places of their own (layoutToolBar). No tool
    // presents the stamp screen, so its button stays hidden.
    btnLayer_ = makeButton("painter_icon_layers", kTagLayer, &PaintToolViewController::actionLayer);
    const painterlayout::ToolBarSlots toolBar = painterlayout::toolBarSlots(width);
    btnStamp_ = makeButton("painter_icon_stamp", kTagStamp, &PaintToolViewController::actionStamp);
    btnStamp_->setFrame(
        {toolBar.slotWidth * (toolBar.slotCount - 3), bar.buttonY, toolBar.slotWidth, bar.buttonHeight});
    btnStamp_->setHidden(true);
    layoutToolBar();
}

void PaintToolViewController::viewWillAppear(bool) { layoutToolBar(); }

void PaintToolViewController::layoutToolBar() {
    const painterlayout::ToolBarSlots toolBar = painterlayout::toolBarSlots(view()->bounds().width());
    const std::pair<ToolBarButton, ui::Button*> placed[] = {
        {painterlayout::kBack, btnBack_.get()},     {painterlayout::kBrush, btnBrush_.get()},
        {painterlayout::kPen, btnPen_.get()},       {painterlayout::kFountainPen, btnFountainPen_.get()},
        {painterlayout::kEraser, btnEraser_.get()}, {painterlayout::kMove, btnMove_.get()},
        {painterlayout::kUndo, btnUndo_.get()},     {painterlayout::kRedo, btnRedo_.get()},
    };
    for (const auto& [slot, button] : placed) {
        const graphics::Rect frame = button->frame();
        button->setFrame({toolBar.x(slot), frame.minY(), toolBar.slotWidth, frame.height()});
    }
    // On a wide bar the layer button takes the empty slot beside back; on a
    // narrow one the two share back's slot, half each, so that neither
    // button (nor the plate of a selected one) reaches over the other.
    const graphics::Rect back = btnBack_->frame();
    if (toolBar.slotCount > painterlayout::kToolBarButtonCount) {
        btnLayer_->setFrame({toolBar.slotWidth, back.minY(), toolBar.slotWidth, back.height()});
    } else {
        const double half = toolBar.slotWidth / 2;
        btnBack_->setFrame({back.minX(), back.minY(), half, back.height()});
        btnLayer_->setFrame({back.minX() + half, back.minY(), half, back.height()});
    }
    const std::pair<ToolBarButton, ui::View*> bars[] = {{painterlayout::kBrush, viewToolColorBrush_.get()},
                                                        {painterlayout::kPen, viewToolColorPen_.get()},
                                                        {painterlayout::kFountainPen, viewToolColorFountainPen_.get()}};
    for (const auto& [slot, colorBar] : bars)
        colorBar->setFrame(painterlayout::colorBarFrame(toolBar, slot, colorBar->frame()));
}

void PaintToolViewController::setBrush(std::shared_ptr<PainterBrush> brush, int64_t forTool) {
    if (!brush) return;
    view();
    brushes_[forTool] = brush;
    ui::View* colorBar = forTool == kBrushTypeFountainPen ? viewToolColorFountainPen_.get()
                         : forTool == kBrushTypePen       ? viewToolColorPen_.get()
                         : forTool == kBrushTypeBrush     ? viewToolColorBrush_.get()
                                                          : nullptr;
    if (colorBar) colorBar->setBackgroundColor(brush->color);
}

std::shared_ptr<PainterBrush> PaintToolViewController::brushForType(int64_t type) const {
    auto found = brushes_.find(type);
    return found == brushes_.end() ? nullptr : found->second;
}

void PaintToolViewController::selectButton(ui::Button* button) {
    if (currentSelectedTool_) currentSelectedTool_->setSelected(false);
    currentSelectedTool_ = button;
    if (button) button->setSelected(true);
}

void PaintToolViewController::setSelectedTool(int64_t index) {
    view();
    ui::Button* const tools[] = {btnBrush_.get(), btnPen_.get(), btnFountainPen_.get(), btnEraser_.get()};
    if (index >= 0 && index < 4) {
        selectButton(tools[index]);
    } else if (currentSelectedTool_) {
        currentSelectedTool_->setSelected(false);
    }
}

void PaintToolViewController::hideTool(int64_t index) {
    view();
    switch (index) {
        case 0:
            btnBrush_->setHidden(true), viewToolColorBrush_->setHidden(true);
            break;
        case 1:
            btnPen_->setHidden(true), viewToolColorPen_->setHidden(true);
            break;
        case 2:
            btnFountainPen_->setHidden(true), viewToolColorFountainPen_->setHidden(true);
            break;
        case 3:
            btnEraser_->setHidden(true);
            break;
        case 4:
            btnMove_->setHidden(true);
            break;
        default:
            break;
    }
}

void PaintToolViewController::enableTool(int64_t code, bool enabled) {
    view();
    if (code == kPaintToolUndo) btnUndo_->setEnabled(enabled);
    if (code == kPaintToolRedo) btnRedo_->setEnabled(enabled);
}

void PaintToolViewController::setColor(const graphics::Color& color, int64_t forTool) {
    view();
    ui::View* const colorBars[] = {viewToolColorBrush_.get(), viewToolColorPen_.get(), viewToolColorFountainPen_.get()};
    if (forTool >= 0 && forTool < 3) colorBars[forTool]->setBackgroundColor(color);
}

void PaintToolViewController::actionButton1(ui::Button& button) {
    button.setSelected(!button.isSelected());
    button.setEnabled(false);
    if (delegate_) delegate_->paintToolDidSelectTool(kPaintToolClose);
}

void PaintToolViewController::actionToolButton(ui::Button& button, int64_t code) {
    if (&button == currentSelectedTool_) {
        actionShowToolOptions(button);
        return;
    }
    selectButton(&button);
    if (delegate_) delegate_->paintToolDidSelectTool(code);
}

void PaintToolViewController::actionButton3(ui::Button& button) { actionToolButton(button, kPaintToolBrush); }
void PaintToolViewController::actionButton4(ui::Button& button) { actionToolButton(button, kPaintToolPen); }
void PaintToolViewController::actionButton5(ui::Button& button) { actionToolButton(button, kPaintToolFountainPen); }
void PaintToolViewController::actionButton6(ui::Button& button) { actionToolButton(button, kPaintToolEraser); }

void PaintToolViewController::actionButton7(ui::Button& button) {
    selectButton(&button);
    if (delegate_) delegate_->paintToolDidSelectTool(kPaintToolFurther);
}

void PaintToolViewController::actionMove(ui::Button& button) {
    selectButton(&button);
    if (delegate_) delegate_->paintToolDidSelectTool(kPaintToolMove);
}

void PaintToolViewController::actionStamp(ui::Button& button) {
    selectButton(&button);
    if (delegate_) delegate_->paintToolDidSelectTool(kPaintToolStamp);
}

void PaintToolViewController::actionUndo(ui::Button&) {
    if (delegate_) delegate_->paintToolDidSelectTool(kPaintToolUndo);
}

void PaintToolViewController::actionRedo(ui::Button&) {
    if (delegate_) delegate_->paintToolDidSelectTool(kPaintToolRedo);
}

void PaintToolViewController::actionLayer(ui::Button& button) { showLayerControlFromButton(button); }

void PaintToolViewController::presentPopover(std::shared_ptr<ui::ViewController> content, ui::Button& from,
                                             PopoverArrowDirection directions, WEPopoverControllerDelegate* delegate) {
    if (popoverController_) {
        popoverController_->setDelegate(nullptr);
        popoverController_->dismissPopoverAnimated(false);
    }
    popoverController_ = std::make_shared<WEPopoverController>(std::move(content));
    popoverController_->setDelegate(delegate);
    popoverController_->presentPopoverFromRect(from.convertRectToView(from.bounds(), view()), *view(), directions,
                                               true);
}

void PaintToolViewController::actionShowToolOptions(ui::Button& button) {
    auto brush = brushForType(button.tag());
    if (!brush) return;  // nothing to size until the painter hands the brush over
    auto sizeController = std::make_shared<PainterToolSizeViewController>();
    sizeController->setBrush(brush);
    if (brush->type == kBrushTypeEraser) brush->color = graphics::Color::white();
    // Below its button, as the layer list opens: beside it or over the bar
    // the panel would cover the tools it belongs to.
    presentPopover(sizeController, button, kPopoverArrowDirectionUp, this);
}

void PaintToolViewController::showLayerControlFromButton(ui::Button& button) {
    if (!painterLayerTableViewController_) return;
    auto navigation = std::make_shared<ui::NavigationController>(painterLayerTableViewController_);
    // The panel holds the list at the list's own size (known once its view
    // is loaded) under the navigation bar.
    painterLayerTableViewController_->view();
    const graphics::Size list = painterLayerTableViewController_->preferredContentSize;
    navigation->preferredContentSize = {list.width,
                                        list.height + (navigation->isNavigationBarHidden() ? 0 : ui::Bar::kHeight)};
    presentPopover(navigation, button, kPopoverArrowDirectionUp,
                   dynamic_cast<WEPopoverControllerDelegate*>(painterLayerTableViewController_.get()));
    // The list reloads its rows as it appears and selects the active layer's
    // row there, so that the slider and the bar act on it at once; another
    // reload now would leave no row selected.
}

bool PaintToolViewController::popoverControllerShouldDismissPopover(WEPopoverController&) { return true; }

void PaintToolViewController::popoverControllerDidDismissPopover(WEPopoverController&) {}
