// Saving a painted Ultra HD frame as the painter does when it closes: the
// stack of three painted layers (1024×576 canvas pictures) flattened over the
// 3840×2160 background, the frame picture encoded as JPEG at quality 1.0 with
// its preview and thumbnail, and the strokes, layer pictures and layer
// information written. Against ImageMagick compositing the same layer
// pictures over the same background and encoding the same three JPEGs.

#include "BenchSupport.h"
#include "app/core/Frame.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectModel.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PaintingView.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/gestures/GestureRecognizer.h"
#include "support/RunFolder.h"

#include <QImage>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 5;
constexpr int kLayers = 3;

graphics::Image softTip() {
    QImage tip(32, 32, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double d = std::hypot(x + 0.5 - 16, y + 0.5 - 16);
            const auto a = static_cast<uint8_t>(std::lround(std::clamp(16 - d, 0.0, 1.0) * 255));
            uchar* p = tip.scanLine(y) + x * 4;
            p[0] = p[1] = p[2] = p[3] = a;
        }
    return graphics::Image(tip);
}

// A background with detail, so that the encoders have real work.
graphics::Image background() {
    QImage picture(3840, 2160, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] = qRgb((x * 7 + y) % 256, (y * 3) % 256, static_cast<int>(128 + 100 * std::sin(x / 40.0)));
    }
    return graphics::Image(picture);
}

void paintLayer(PaintingView& canvas, int layer) {
    for (int stroke = 0; stroke < 6; ++stroke) {
        const double y = 60 + 80 * stroke + 20 * layer;
        canvas.handlePan(ui::GestureState::Began, {40, y}, {600, 0});
        for (int i = 1; i <= 200; ++i)
            canvas.handlePan(ui::GestureState::Changed, {40 + i * 4.5, y + 30 * std::sin(i / 15.0)}, {600, 0});
        canvas.handlePan(ui::GestureState::Ended, {940, y}, {600, 0});
    }
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("painter-save-bench");
    const fs::path root = scratch.path();
    bench::useApplicationFoldersBelow(root);
    graphics::ensureGuiApplication();

    auto made = PaintingView::create({{0, 0}, {1024, 576}});
    if (!made.ok()) {
        std::fprintf(stderr, "%s\n", made.error().description.c_str());
        return 1;
    }
    std::shared_ptr<PaintingView> canvas = *made;
    canvas->brushes = {
        {kBrushTypeBrush, PainterBrush::create(kBrushTypeBrush, 12, graphics::Color::rgb8(228, 73, 19), softTip())}};
    canvas->layoutSubviews();
    canvas->changeBrush(kBrushTypeBrush);

    auto project = ProjectModel::create();
    KWImageProducer producer(project);
    const graphics::Image frame = background();
    FramePtr stored = Frame::create(Frame::kTypePicture);
    if (!producer.storeImage(frame, stored->frameID())) return 1;
    auto list = project->getFrameList();
    list->insertFrame(stored, list->getCaptureIndex());
    if (!project->saveFramelistToDisk()) return 1;

    auto container = std::make_shared<ui::View>(graphics::Rect{0, 0, 1024, 576});
    container->addSubview(canvas);
    PainterLayerManager layers(project);
    layers.setPaintingCanvas(canvas);
    layers.setViewCanvas(container.get());
    layers.setImageBackground(frame);
    for (int layer = 0; layer < kLayers; ++layer) {
        if (layer > 0) layers.addLayerAtIndex(0);
        paintLayer(*canvas, layer);
    }

    // The reference composites the same pictures: the background (the frame's
    // stored picture, taken before the first save) and each
    // layer picture, backmost first, scaled to the background's size.
    const fs::path inputs = root / "inputs";
    fs::create_directories(inputs);
    const std::string backgroundFile = *project->pathForFile(KWImageProducer::frameFileName(stored->frameID()));
    fs::copy_file(backgroundFile, inputs / "background.jpg");
    std::vector<std::string> layerFiles;
    for (size_t i = layers.layers().size(); i-- > 0;) {
        const auto picture = layers.getThumbnailForLayer(layers.layers()[i]);
        const std::string name = (inputs / ("layer" + std::to_string(i) + ".png")).string();
        if (!picture || !picture->bitmap().save(QString::fromStdString(name))) return 1;
        layerFiles.push_back(name);
    }
    const fs::path out = root / "reference";
    const auto times = bench::compare(
        kRuns, bench::timed([&] {
            const foundation::Bytes strokes = layers.encodeLayerInformation();
            const graphics::Image picture = layers.mergeDownAllLayer();
            return savePainterFrame(*project, producer, 0, false, strokes, picture, MaskedPainting{}, layers).ok();
        }),
        bench::program(
            [&] {
                std::vector<std::string> argv{"convert", (inputs / "background.jpg").string()};
                for (const std::string& layer : layerFiles)
                    argv.insert(argv.end(), {"(", layer, "-resize", "3840x2160!", ")", "-composite"});
                argv.insert(argv.end(), {"-quality", "100", "-write", (out / "frame.jpg").string(), "-resize",
                                         "796x448!", "-quality", "50", "-write", (out / "preview.jpg").string(),
                                         "-resize", "272x153!", (out / "thumb.jpg").string()});
                return argv;
            },
            [&] { bench::freshFolder(out); }));
    const bool ok = bench::report("painter save 4K frame", times, bench::Target::atMost(0.5));
    KWProjects::getInstance().resetForTesting();
    return ok ? 0 : 1;
}
