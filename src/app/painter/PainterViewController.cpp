#include "app/painter/PainterViewController.h"

#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "app/core/SaveFailure.h"
#include "app/painter/MaskingView.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PainterLayerTableViewController.h"
#include "app/painter/PaintingMapping.h"
#include "app/painter/PaintingView.h"
#include "app/widgets/alerts/Hudy.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/gestures/SwipeGestureRecognizer.h"
#include "platform/ui/host/Device.h"

#include <cerrno>

namespace {

constexpr double kShowButtonSize = 40;

foundation::Error cannotOpen(const std::string& why) {
    return foundation::Error(foundation::kPOSIXErrorDomain, ENOENT, foundation::localized(why));
}

foundation::Result<std::shared_ptr<PaintingCanvasView>> makeCanvas(bool isMasking) {
    if (isMasking) {
        auto canvas = MaskingView::create();
        if (!canvas) return canvas.error();
        return std::shared_ptr<PaintingCanvasView>(*canvas);
    }
    auto canvas = PaintingView::create();
    if (!canvas) return canvas.error();
    return std::shared_ptr<PaintingCanvasView>(*canvas);
}

}  // namespace

foundation::Result<std::shared_ptr<PainterViewController>> PainterViewController::create(
    std::shared_ptr<ProjectModel> project, int64_t frameIndex, bool isMasking) {
    const auto list = project ? project->getFrameList() : nullptr;
    const FramePtr frame = list ? list->getFrameAtIndex(frameIndex) : nullptr;
    if (!frame || frame->type() == Frame::kTypeCaptureSlot) return cannotOpen("There is no frame to paint on.");
    // A change of the frame's picture that a crash kept from the painting
    // reaches it before anything is read.
    if (auto carried = carryPictureIntoPainting(*project, frame->frameID()); !carried)
        return saveFailureError(projectCalled(project->getName()), carried.error());
    KWImageProducer producer(project);
    auto picture = producer.getOriginialImageForFrameAtIndex(frameIndex);
    if (!picture || picture->isNull()) return cannotOpen("The picture of this frame cannot be read.");
    auto canvas = makeCanvas(isMasking);
    if (!canvas)
        return foundation::Error(canvas.error().domain, canvas.error().code, foundation::localized(kNoOpenGLMessage));
    return std::shared_ptr<PainterViewController>(
        new PainterViewController(std::move(project), frameIndex, isMasking, std::move(*canvas), std::move(*picture)));
}

PainterViewController::PainterViewController(std::shared_ptr<ProjectModel> project, int64_t frameIndex, bool isMasking,
                                             std::shared_ptr<PaintingCanvasView> canvas, graphics::Image framePicture)
    : ui::ViewController("PainterViewController"),
      project_(std::move(project)),
      currentFrame_(frameIndex),
      isMasking_(isMasking),
      drawingView_(std::move(canvas)),
      framePicture_(std::move(framePicture)) {}

PainterViewController::~PainterViewController() = default;

unsigned PainterViewController::supportedInterfaceOrientations() const {
    return ui::OrientationMaskLandscapeLeft | ui::OrientationMaskLandscapeRight;
}

void PainterViewController::viewDidLoad() {
    ui::View* root = view();
    root->setBackgroundColor(graphics::Color::rgb(0, 0, 0));
    bgImageView_ = std::make_shared<ui::ImageView>(root->bounds());
    // The picture under the canvas, placed as everything drawn over it is.
    bgImageView_->setContentMode(kCanvasPictureMode);
    bgImageView_->setClipsToBounds(true);
    root->addSubview(bgImageView_);
    paintMainView_ = std::make_shared<ui::View>(root->bounds());
    paintMainView_->setClipsToBounds(true);
    root->addSubview(paintMainView_);

    drawingView_->strokesFullHandler = [weak = foundation::weakFrom(this)] {
        if (auto self = weak.lock()) self->showCanvasFull();
    };
    drawingView_->setUserInteractionEnabled(true);
    drawingView_->setFrame(paintMainView_->bounds());
    paintMainView_->addSubview(drawingView_);

    makeBrushes();
    layerManager_ = std::make_unique<PainterLayerManager>(project_);
    layerManager_->setPaintingCanvas(drawingView_);
    layerManager_->setViewCanvas(paintMainView_.get());
    layerTable_ = std::make_shared<PainterLayerTableViewController>();
    layerTable_->setLayerManager(layerManager_.get());

    makeControls();
    toolPalette_->setPainterLayerTableViewController(layerTable_);
    restoreSettings();
    imageProducer_ = std::make_unique<KWImageProducer>(project_);
    prepareBackground();
    addSwipes();
    if (isMasking_) {
        for (int64_t tool = 0; tool <= 4; ++tool) toolPalette_->hideTool(tool);
        toolPalette_->setSelectedTool(3);
        colorPalette_->hideColors();
        colorPalette_->showHide();
    }
    // Strokes live only in the painter until it saves: a quit saves them.
    quitKeeper_ = ui::Application::shared().addTerminationKeeper([weak = foundation::weakFrom(this)](bool canHold) {
        auto self = weak.lock();
        return !self || self->keepPaintingAtQuit(canHold);
    });
}

void PainterViewController::showCanvasFull() {
    // One notice at a time, shown again for each gesture refused while it
    // fades.
    if (fullNotice_) fullNotice_->dismiss();
    fullNotice_ = std::make_shared<Hudy>();
    fullNotice_->caption = foundation::localized(isMasking_ ? kMaskFullMessage : kLayerFullMessage);
    fullNotice_->dismissAfterTime = 3;
    fullNotice_->showInView(view());
    // Touches go through it to the canvas and the tools beneath.
    fullNotice_->view()->setUserInteractionEnabled(false);
}

void PainterViewController::placeControls() {
    const graphics::Rect bounds = view()->bounds();
    if (ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad) {
        toolPalette_->view()->setFrame(graphics::Rect{0, 0, bounds.size.width, 96});
        colorPalette_->view()->setFrame(graphics::Rect{0, 672, bounds.size.width, 96});
    } else {
        toolPalette_->view()->setCenter(graphics::Point{toolPalette_->view()->center().x, 10});
        colorPalette_->view()->setCenter(graphics::Point{colorPalette_->view()->center().x, bounds.size.height - 40});
    }
}

void PainterViewController::viewDidAppear(bool animated) {
    (void)animated;
    layoutCanvasAndLoad();
    const graphics::Rect r = getOrientationCorrectedRectFromRect(view()->frame());
    btnShow_->setCenter(graphics::Point{r.size.width * 0.7, r.size.height + kShowButtonSize / 2});
    auto weak = life_.observer();
    ui::animateWithSpring(
        0.25, 0, 1.0, 10.0, 0,
        [this, weak] {
            if (weak.alive()) placeControls();
        },
        [this, weak](bool) {
            if (weak.alive()) showHelp();
        });
    // The palette's selection reaches the canvas now that it has its brushes.
    if (!isMasking_) colorPalette_->reportSelectedColor();
}

graphics::Rect PainterViewController::getOrientationCorrectedRectFromRect(const graphics::Rect& rect) {
    return graphics::Rect{rect.origin.x, rect.origin.y, std::max(rect.size.width, rect.size.height),
                          std::min(rect.size.width, rect.size.height)};
}

void PainterViewController::layoutCanvasAndLoad() {
    const graphics::Rect r = getOrientationCorrectedRectFromRect(view()->frame());
    const auto [width, height] = paintingCanvasSize(r.size);
    const double y = (r.size.height - height) * 0.5;
    bgImageView_->setFrame(graphics::Rect{0, y, width, height});
    paintMainView_->setFrame(graphics::Rect{0, y, width, height});
    drawingView_->setFrame(graphics::Rect{0, 0, width, height});
    // The canvas's layout pass empties its stroke buffer, so the strokes are
    // loaded right after it and never before.
    drawingView_->layoutIfNeeded();
    if (loaded_) return;
    loaded_ = true;
    loadStrokes();
}

void PainterViewController::addSwipes() {
    auto weak = life_.observer();
    for (ui::View* target : {toolPalette_->view(), colorPalette_->view()}) {
        auto swipe = std::make_shared<ui::SwipeGestureRecognizer>([this, weak](ui::GestureRecognizer&) {
            if (weak.alive()) handleSwipe();
        });
        swipe->direction = ui::SwipeDirectionUp | ui::SwipeDirectionDown;
        target->addGestureRecognizer(swipe);
    }
    btnShow_ = std::make_shared<ui::Button>(ui::ButtonType::Custom,
                                            graphics::Rect{0, 0, kShowButtonSize * 1.5, kShowButtonSize});
    btnShow_->setTitle("\u25B2", ui::ControlStateNormal);
    btnShow_->setTitleColor(graphics::Color::rgb(1, 1, 1), ui::ControlStateNormal);
    btnShow_->setBackgroundColor(graphics::Color::rgb(0.1, 0.1, 0.12, 0.85));
    btnShow_->layer().setCornerRadius(8);
    btnShow_->addTarget(this, life_.guard([this](ui::Control&) { actionShow(); }), ui::ControlEventTouchUpInside);
    view()->addSubview(btnShow_);
}

void PainterViewController::showHelp() {
    if (helpManager_) return;  // appearing again while it is shown
    auto help = HelpManager::initWithName(isMasking_ ? "Mask" : "PaintColor");
    if (!help) return;  // shown once already
    const graphics::Rect bounds = view()->bounds();
    const bool phone = ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Phone;
    helpManager_ = help;
    help->setDelegate(this);
    help->view()->setFrame(bounds);
    help->setPositionNextBtn(isMasking_ && !phone ? HelpManager::kBottomRight : HelpManager::kBottomLeft);
    const graphics::Point centre = view()->center();
    help->setPositionLabel(isMasking_ ? graphics::Point{centre.x + 100, centre.y}
                                      : graphics::Point{centre.x + 100, view()->frame().size.height - 60});
    view()->addSubview(help->viewPtr());
    help->show();
}

void PainterViewController::helpManangerDidFinish(HelpManager&) { helpManager_.reset(); }

void PainterViewController::handleSwipe() {
    if (ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad) return;
    auto weak = life_.observer();
    ui::animateWithSpring(
        0.25, 0, 1.0, 10.0, 0,
        [this, weak] {
            if (!weak.alive()) return;
            ui::View* tools = toolPalette_->view();
            ui::View* colours = colorPalette_->view();
            const double height = view()->bounds().size.height;
            if (tools->center().y != 10) {
                tools->setCenter({tools->center().x, 10});
                colours->setCenter({colours->center().x, height - 40});
            } else {
                tools->setCenter({tools->center().x, 50 - tools->frame().size.height});
                colours->setCenter({colours->center().x, height + colours->frame().size.height * 0.5});
            }
        },
        [this, weak](bool) {
            if (!weak.alive()) return;
            const double bottom = getOrientationCorrectedRectFromRect(view()->frame()).size.height;
            ui::animateWithSpring(0.25, 0, 1.0, 10.0, 0, [this, weak, bottom] {
                if (weak.alive()) btnShow_->setCenter({btnShow_->center().x, bottom});
            });
        });
}

void PainterViewController::actionShow() {
    auto weak = life_.observer();
    ui::animateWithSpring(0.25, 0, 1.0, 10.0, 0, [this, weak] {
        if (!weak.alive()) return;
        toolPalette_->view()->setCenter({toolPalette_->view()->center().x, 10});
        colorPalette_->view()->setCenter({colorPalette_->view()->center().x, view()->bounds().size.height - 40});
        btnShow_->setCenter({btnShow_->center().x, view()->frame().size.width + 50});
    });
}

void PainterViewController::paintToolDidSelectTool(int64_t tool) {
    auto selectBrush = [this](int64_t type, int64_t index) {
        drawingView_->changeBrush(type);
        currentSelectedTool_ = index;
    };
    switch (tool) {
        case 0:
            (void)saveAndClose();
            break;
        case 2:
            selectBrush(kBrushTypeBrush, 0);
            break;
        case 3:
            selectBrush(kBrushTypePen, 1);
            break;
        case 4:
            selectBrush(kBrushTypeFountainPen, 2);
            break;
        case 5:
            selectBrush(kBrushTypeEraser, 3);
            break;
        case 10:
            drawingView_->undo();
            break;
        case 15:
            drawingView_->redo();
            break;
        case 20:
            drawingView_->changeBrush(kBrushTypeMove);
            break;
        default:
            break;
    }
}

void PainterViewController::colorPaleteDidSelectColor(const graphics::Color& color, int atIndex) {
    const auto rgba = color.rgba();
    if (!rgba || currentSelectedTool_ >= 3 || atIndex < 0) return;
    drawingView_->setBrushColorWithRed(rgba->red, rgba->green, rgba->blue);
    colorToolList_[static_cast<size_t>(currentSelectedTool_)] = atIndex;
}
