#pragma once

// The painter's tool bar: close, the drawing tools (brush, pen, fountain
// pen, eraser), move, stamp, undo, redo and the layer list. Every choice
// goes to the delegate as one integer code; a tap on the tool that is
// already selected opens the brush-size popover instead.

#include "app/painter/PainterBrush.h"
#include "app/painter/PainterToolLayout.h"
#include "app/painter/PainterToolSizeViewController.h"
#include "app/widgets/popover/WEPopoverController.h"
#include "platform/foundation/Lifetime.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/Button.h"

#include <cstdint>
#include <memory>

// The codes the tool bar sends.
enum PaintToolCode : int64_t {
    kPaintToolClose = 0,
    kPaintToolBrush = 2,
    kPaintToolPen = 3,
    kPaintToolFountainPen = 4,
    kPaintToolEraser = 5,
    kPaintToolFurther = 6,
    kPaintToolUndo = 10,
    kPaintToolRedo = 15,
    kPaintToolMove = 20,
    kPaintToolStamp = 30,
};

// Tool indexes of setSelectedTool, setColor and hideTool; the code sent
// for index i is i + 2.
enum PaintToolIndex : int64_t {
    kToolIndexBrush = 0,
    kToolIndexPen = 1,
    kToolIndexFountainPen = 2,
    kToolIndexEraser = 3
};

class PaintToolDelegate {
public:
    virtual ~PaintToolDelegate() = default;
    virtual void paintToolDidSelectTool(int64_t tool) = 0;
};

class PaintToolViewController : public ui::ViewController, public WEPopoverControllerDelegate {
public:
    PaintToolViewController();
    ~PaintToolViewController() override;

    void loadView() override;
    void viewWillAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskPortrait; }

    // Keeps the brush under its type; brushes 200, 300 and 400 also colour
    // their tool's bar.
    void setBrush(std::shared_ptr<PainterBrush> brush, int64_t forTool);
    std::shared_ptr<PainterBrush> brushForType(int64_t type) const;
    // Index 0 to 3 selects that tool's button; anything else only deselects.
    void setSelectedTool(int64_t index);
    // 0 to 2 hide a drawing tool and its bar, 3 the eraser, 4 move.
    void hideTool(int64_t index);
    // Code 10 undo, 15 redo; other codes do nothing.
    void enableTool(int64_t code, bool enabled);
    // Index 0 to 2 colours that tool's bar.
    void setColor(const graphics::Color& color, int64_t forTool);
    // Opens the layer list in a popover under the button.
    void showLayerControlFromButton(ui::Button& button);
    // Lays the buttons out over the view's width (slots of toolBarSlots).
    void layoutToolBar();

    // The buttons' actions.
    void actionButton1(ui::Button& button);
    // Brush, pen, fountain pen and eraser: select and send the tool's code,
    // or open the size popover of the tool already selected.
    void actionButton3(ui::Button& button);
    void actionButton4(ui::Button& button);
    void actionButton5(ui::Button& button);
    void actionButton6(ui::Button& button);
    void actionButton7(ui::Button& button);
    void actionMove(ui::Button& button);
    void actionStamp(ui::Button& button);
    void actionUndo(ui::Button& button);
    void actionRedo(ui::Button& button);
    void actionLayer(ui::Button& button);
    void actionShowToolOptions(ui::Button& button);

    // WEPopoverControllerDelegate
    bool popoverControllerShouldDismissPopover(WEPopoverController& controller) override;
    void popoverControllerDidDismissPopover(WEPopoverController& controller) override;

    PaintToolDelegate* delegate() const { return delegate_; }
    void setDelegate(PaintToolDelegate* delegate) { delegate_ = delegate; }
    // The layer list: its view should be a table (reloaded at each opening);
    // when it is a popover delegate it becomes the popover's.
    const std::shared_ptr<ui::ViewController>& painterLayerTableViewController() const {
        return painterLayerTableViewController_;
    }
    void setPainterLayerTableViewController(std::shared_ptr<ui::ViewController> controller) {
        painterLayerTableViewController_ = std::move(controller);
    }

    ui::Button* btnPen() const { return btnPen_.get(); }
    ui::Button* btnFountainPen() const { return btnFountainPen_.get(); }
    ui::Button* btnBrush() const { return btnBrush_.get(); }
    ui::Button* btnEraser() const { return btnEraser_.get(); }
    ui::Button* btnBack() const { return btnBack_.get(); }
    ui::Button* btnUndo() const { return btnUndo_.get(); }
    ui::Button* btnRedo() const { return btnRedo_.get(); }
    ui::Button* btnLayer() const { return btnLayer_.get(); }
    ui::Button* btnMove() const { return btnMove_.get(); }
    ui::Button* btnStamp() const { return btnStamp_.get(); }
    ui::Button* currentSelectedTool() const { return currentSelectedTool_; }
    ui::View* viewToolColorPen() const { return viewToolColorPen_.get(); }
    ui::View* viewToolColorBrush() const { return viewToolColorBrush_.get(); }
    ui::View* viewToolColorFountainPen() const { return viewToolColorFountainPen_.get(); }
    const std::shared_ptr<WEPopoverController>& popoverController() const { return popoverController_; }

private:
    std::shared_ptr<ui::Button> makeButton(const char* icon, int tag,
                                           void (PaintToolViewController::*action)(ui::Button&));
    void actionToolButton(ui::Button& button, int64_t code);
    ui::ViewPtr makeColorBar(const ui::Button& button);
    void selectButton(ui::Button* button);
    // Replaces the popover; the one still up goes without telling anyone.
    void presentPopover(std::shared_ptr<ui::ViewController> content, ui::Button& from, PopoverArrowDirection directions,
                        WEPopoverControllerDelegate* delegate);

    PaintToolDelegate* delegate_ = nullptr;
    std::shared_ptr<ui::Button> btnPen_, btnFountainPen_, btnBrush_, btnEraser_, btnBack_, btnUndo_, btnRedo_,
        btnLayer_, btnMove_, btnStamp_;
    ui::Button* currentSelectedTool_ = nullptr;
    ui::ViewPtr viewToolColorPen_, viewToolColorBrush_, viewToolColorFountainPen_;
    std::shared_ptr<WEPopoverController> popoverController_;
    PainterBrushes brushes_;
    std::shared_ptr<ui::ViewController> painterLayerTableViewController_;
    foundation::LifeToken life_;
};
