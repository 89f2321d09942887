#pragma once

// The full-screen painter over one frame of a project: paint mode draws
// strokes in layers over the frame's unpainted picture, mask mode rubs parts
// of the frame away so that the previous frame shows through. It writes the
// frame's pictures and canvas files itself before its completion runs.

#include "app/painter/ColorPaletteViewController.h"
#include "app/painter/PaintToolViewController.h"
#include "app/painter/PainterBrush.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PaintingCanvasView.h"
#include "app/widgets/views/HelpManager.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Lifetime.h"
#include "platform/graphics/Color.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/host/Application.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Hudy;
class KWImageProducer;
class PainterLayerManager;
class PainterLayerTableViewController;
class ProjectModel;

namespace ui {
class AlertView;
class Button;
class ImageView;
}  // namespace ui

class PainterViewController : public ui::ViewController,
                              public PaintToolDelegate,
                              public ColorPaletteDelegate,
                              public HelpManagerDelegate {
public:
    // What the user is told when the system has no OpenGL ES 1.1.
    static constexpr const char* kNoOpenGLMessage = "Painting needs OpenGL ES 1.1, which this system does not offer.";
    static constexpr const char* kDamagedStrokesMessage =
        "The strokes of this frame could not be read. The painting starts from the picture; the file was kept "
        "beside it.";
    static constexpr const char* kDamagedLayersMessage =
        "The list of this frame's layers is damaged. The painting goes on over the frame's picture as it looks "
        "now; the list and the files of its layers were kept.";
    // Told at opening: what of the painting is in files that cannot be read.
    static constexpr const char* kUnreadablePaintingMessage =
        "Part of this frame's painting cannot be read: %@. It is left as it is; until all of it can be read, "
        "saving keeps the frame's picture.";
    static constexpr const char* kSaveFailedTitle = "The painting could not be saved.";
    // The button of a quit held by that failure that quits all the same.
    static constexpr const char* kQuitAnywayButton = "Quit Anyway";
    // Shown as a stroke is refused because the canvas keeps as much as its
    // file can hold.
    static constexpr const char* kLayerFullMessage = "This layer is full. Add a layer to paint more.";
    static constexpr const char* kMaskFullMessage = "The mask is full: it keeps no more strokes.";
    // Asked before painting a frame whose painting a mask partly erased.
    static constexpr const char* kDrawUndoesEraseMessage = "Drawing again will undo what you erased on this frame.";

    // Checks everything an opening needs before anything is shown: a picture
    // frame at that index (not the capture slot) whose stored picture decodes,
    // and a canvas (OpenGL ES 1.1). An error says what is missing and nothing
    // has been written.
    static foundation::Result<std::shared_ptr<PainterViewController>> create(std::shared_ptr<ProjectModel> project,
                                                                             int64_t frameIndex, bool isMasking);
    ~PainterViewController() override;

    // Whether painting the frame at that index would bring back strokes
    // that a mask saved since its last painting rubbed out: the painting
    // replays its strokes over the picture it started from.
    static bool drawingUndoesErase(ProjectModel& project, int64_t frameIndex);

    bool isMasking() const { return isMasking_; }
    int64_t currentFrame() const { return currentFrame_; }
    void setHandlerComplete(std::function<void()> handler) { handlerComplete_ = std::move(handler); }

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override;

    // Tool codes: 0 save and close, 2 to 5 brush, pen, fountain pen, eraser,
    // 10 undo, 15 redo, 20 move; others do nothing.
    void paintToolDidSelectTool(int64_t tool) override;
    // Colours reach the canvas for the brush, pen and fountain pen only.
    void colorPaleteDidSelectColor(const graphics::Color& color, int atIndex) override;
    void colorPaleteDidSelectHide() override { handleSwipe(); }
    void helpManangerDidFinish(HelpManager& helpManager) override;
    // The help overlay while it is shown ("Mask" or "PaintColor", once each).
    HelpManager* helpManager() const { return helpManager_.get(); }

    // On a phone a swipe on the tool bar or palette hides both, leaving the
    // show button peeking in at the bottom; another swipe brings them back.
    void handleSwipe();
    // The show button's action: tool bar and palette back, the button away.
    void actionShow();

    // Writes the frame, the settings and the metadata, then runs the
    // completion. A failure shows an alert, keeps the painter open with its
    // strokes and does not run the completion.
    foundation::Status saveAndClose();
    // A quit with the painter open saves the painting as saveAndClose does,
    // without closing. When that fails, a quit the user asked for is held
    // (false) while an alert says why and offers to quit all the same; a
    // quit from a signal goes on, the failure written to standard error.
    // Nothing is written once saveAndClose has closed the painter.
    bool keepPaintingAtQuit(bool canHold);

    // Sizes the canvas (16:9, full width, centred) and loads the frame's
    // strokes right after the canvas's first layout, once.
    void layoutCanvasAndLoad();
    static graphics::Rect getOrientationCorrectedRectFromRect(const graphics::Rect& rect);

    PaintingCanvasView* drawingView() const { return drawingView_.get(); }
    PainterLayerManager* layerManager() const { return layerManager_.get(); }
    PaintToolViewController* toolPalette() const { return toolPalette_.get(); }
    ColorPaletteViewController* colorPalette() const { return colorPalette_.get(); }
    const std::shared_ptr<PainterLayerTableViewController>& layerTable() const { return layerTable_; }
    ui::View* paintMainView() const { return paintMainView_.get(); }
    ui::ImageView* bgImageView() const { return bgImageView_.get(); }
    ui::Button* btnShow() const { return btnShow_.get(); }
    const PainterBrushes& brushes() const { return brushes_; }
    int64_t currentSelectedTool() const { return currentSelectedTool_; }
    const std::vector<int64_t>& colorToolList() const { return colorToolList_; }
    const std::vector<graphics::Color>& paletteColors() const { return paletteColors_; }
    bool strokesLoaded() const { return loaded_; }
    // The notice of a full canvas while it is up.
    Hudy* fullNotice() const { return fullNotice_.get(); }

private:
    PainterViewController(std::shared_ptr<ProjectModel> project, int64_t frameIndex, bool isMasking,
                          std::shared_ptr<PaintingCanvasView> canvas, graphics::Image framePicture);

    // Loading (PainterViewLoad.cpp).
    void makeBrushes();
    void makeControls();
    void addSwipes();
    void showHelp();
    void placeControls();
    void restoreSettings();
    void applyColourToTool(int64_t tool, int64_t slot);
    void prepareBackground();
    void loadStrokes();
    // Loads the frame's painting into `layers` as paint mode opens it: the
    // stored stack, else the frame's strokes, or the previous frame's when
    // it has none. Returns the files that could not be decoded, in order
    // (after a damaged stack nothing more is loaded).
    std::vector<std::string> loadPaintingInto(PainterLayerManager& layers);
    // Keeps a damaged file aside and says so.
    void reportDamaged(const std::string& fileName);
    // After a damaged file: the painting goes on over the frame's picture as
    // it looks, which shows all of what was painted.
    void paintOverFramePicture();
    // Saving (PainterViewSave.cpp).
    foundation::Dictionary settingsDictionary() const;
    // The frame, the settings and the metadata, as saveAndClose writes them;
    // the settings alone when the painting is as it was opened.
    foundation::Status savePainting();
    // Whether saving would change the frame: something drawn, undone or
    // redone, layers changed, or the painting opened unlike the frame's
    // picture (see openedUnlikePicture_).
    bool paintingChanged() const;
    // Mask mode: the frame's picture and, on a painted frame, the unpainted
    // one with the canvas's mask over what shows through the rubbed parts,
    // and whether the mask rubbed out some of the painting. Nothing in
    // paint mode.
    foundation::Result<MaskedPainting> maskedPainting();
    // The painting as the next paint-mode opening draws it, replayed on a
    // canvas of the mask's size apart from the screen: its coverage.
    graphics::Image paintingCoverage();
    // What the user is told of a failed save.
    std::string saveFailureMessage(const foundation::Error& error);
    void showSaveFailure(const foundation::Error& error);
    void showCanvasFull();
    void holdQuit(const foundation::Error& error);

    std::shared_ptr<ProjectModel> project_;
    int64_t currentFrame_ = 0;
    bool isMasking_ = false;
    std::function<void()> handlerComplete_;
    std::shared_ptr<PaintingCanvasView> drawingView_;
    graphics::Image framePicture_;
    // Mask mode on a painted frame: the picture the painting starts from,
    // as read at opening, so that a save tried again masks it only once.
    graphics::Image unpaintedPicture_;
    std::shared_ptr<ui::View> paintMainView_;
    std::shared_ptr<ui::ImageView> bgImageView_;
    std::unique_ptr<PainterLayerManager> layerManager_;
    std::shared_ptr<PainterLayerTableViewController> layerTable_;
    std::shared_ptr<PaintToolViewController> toolPalette_;
    std::shared_ptr<ColorPaletteViewController> colorPalette_;
    std::shared_ptr<ui::Button> btnShow_;
    std::shared_ptr<HelpManager> helpManager_;
    std::shared_ptr<Hudy> fullNotice_;
    std::unique_ptr<KWImageProducer> imageProducer_;
    PainterBrushes brushes_;
    int64_t currentSelectedTool_ = 0;
    std::vector<int64_t> colorToolList_{0, 1, 2};
    std::vector<graphics::Color> paletteColors_;
    bool loaded_ = false;
    // The painting opened shows what the frame's picture does not: the
    // previous frame's strokes that start a first painting, or strokes a
    // mask rubbed out, brought back by the user's answer to Draw.
    bool openedUnlikePicture_ = false;
    bool saving_ = false;
    // Saved and on its way out: a quit keeps nothing more of it.
    bool closed_ = false;
    ui::Application::TerminationKeeperHandle quitKeeper_;
    // The alert of a quit held because the painting could not be saved.
    std::weak_ptr<ui::AlertView> quitAlert_;
    foundation::LifeToken life_;
};
