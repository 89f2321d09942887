// Opening a project in the frame editor, from nothing read to the first
// drawn editor screen (frame list and metadata read, the folder cleared of
// what killed writers left, strip, timeline, preview and embedded capture
// screen built, one composite of the window):
// - 5,000 frames in process, against python3's plistlib parsing the same
//   "frames.meta" alone (timed inside its own warm process, start-up left
//   out), run by run in turn; our parse alone (the file read, checked and
//   turned into the frame list) against plistlib and against libplist
//   reading and parsing the same file in process;
// - the first open of a fresh process (this benchmark started again with
//   "--first-open <folder>"), nothing warmed by an open before it, within 0.15 s;
// - the cost per 1,000 frames of opening 20,000 frames against 5,000.

#include "BenchSupport.h"
#include "LinkedProject.h"
#include "app/core/FrameList.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectModel.h"
#include "app/editor/FrameEditorViewController.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/media/AudioOutput.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/host/Device.h"
#include "support/RunFolder.h"

#include <QImage>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <plist/plist.h>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kFrames = 5000;
constexpr int kManyFrames = 20000;
constexpr int kRuns = 7;
constexpr int kFreshRuns = 5;
constexpr double kFirstOpenSeconds = 0.15;

// A project folder of `frames` frames sharing one small frame's pictures through hard links.
std::string makeProject(int frames) {
    QImage bitmap(640, 360, QImage::Format_RGB32);
    bitmap.fill(qRgb(200, 120, 40));
    return bench::makeLinkedProject(graphics::Image(std::move(bitmap)), frames, frames / 2,
                                    [](Frame& frame, int i) { frame.setDuration(1 + i % 3); });
}

// What every open needs around it, as the application has it: its folders,
// the run loop, the devices and a window on screen.
struct Host {
    foundation::RunLoop& loop = foundation::RunLoop::main();
    std::shared_ptr<ui::Window> window;
    ui::Compositor compositor;

    explicit Host(const fs::path& root) {
        graphics::ensureGuiApplication();
        bench::useApplicationFoldersBelow(root);
        fs::create_directories(root / "config");
        setenv("TOLLIVAR_CAMERA", "synthetic", 1);
        loop.reset(std::make_shared<foundation::VirtualClock>());
        media::AudioOutput::setShared(std::make_shared<media::NullAudioOutput>());
        ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Pad);
        window = std::make_shared<ui::Window>(graphics::Rect(0, 0, 1024, 768));
        window->makeKeyAndVisible();
    }
    ~Host() { close(); }

    // The project at `folder` opened to the first drawn editor screen.
    bool open(const std::string& folder, int frames) {
        auto project = ProjectModel::create(folder);
        auto editor = FrameEditorViewController::create(project);
        window->setRootViewController(editor);
        window->layoutIfNeeded();
        loop.runUntilIdle();
        const graphics::Image drawn = compositor.render(*window, 1.0);
        return !drawn.isNull() && project->getFrameList() && project->getFrameList()->count() == frames + 1;
    }
    void close() {
        window->setRootViewController(nullptr);
        loop.runUntilIdle();
    }
    bench::Side openSide(const std::string& folder, int frames) {
        return bench::timed([this, folder, frames] { return open(folder, frames); }, [this] { close(); });
    }
};

// Our parse of a frame list file: read, checked and made the frame list.
bool parseFrameList(const std::string& file, int frames) {
    auto stored = foundation::plist::readFile(file);
    if (!stored || !stored->isDictionary()) return false;
    const foundation::Dictionary dictionary = stored->asDictionary();
    if (!FrameList::checkStoredDictionary(dictionary)) return false;
    return FrameList(dictionary).count() == frames + 1;
}

// libplist reading and parsing the same file.
bool libplistParse(const std::string& file) {
    auto bytes = foundation::readFile(file);
    if (!bytes.ok()) return false;
    plist_t parsed = nullptr;
    plist_from_memory(reinterpret_cast<const char*>(bytes->data()), uint32_t(bytes->size()), &parsed);
    const bool ok = parsed && plist_get_node_type(parsed) == PLIST_DICT;
    plist_free(parsed);
    return ok;
}

// The child's side: one open of `folder` in this fresh process, its wall
// and CPU seconds written to standard output.
int firstOpen(const std::string& folder, const fs::path& root) {
    Host host(root);
    const std::optional<bench::Times> times = host.openSide(folder, kFrames).run();
    if (!times) return 1;
    std::printf("%.9f %.9f\n", times->wall, times->cpu);
    KWProjects::getInstance().resetForTesting();
    return 0;
}

// The first open in each of `runs` fresh processes, as each timed itself.
std::vector<bench::Times> firstOpens(const std::string& folder, const fs::path& root, int runs) {
    std::vector<bench::Times> opens;
    for (int run = 0; run < runs; ++run) {
        const auto output =
            bench::captureOutput({bench::selfExecutable().string(), "--first-open", folder, root.string()});
        // The times are the child's last line, after whatever it logged.
        const size_t last = output ? output->find_last_of('\n', output->size() - 2) : std::string::npos;
        bench::Times times;
        if (!output || output->empty() ||
            std::sscanf(output->c_str() + (last == std::string::npos ? 0 : last + 1), "%lf %lf", &times.wall,
                        &times.cpu) != 2) {
            std::fprintf(stderr, "editor_open_bench: the fresh process did not open the project\n");
            std::exit(1);
        }
        opens.push_back(times);
    }
    return opens;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--first-open") return firstOpen(argv[2], argv[3]);
    static const testsupport::RunFolder scratch("tollivar-open-bench");
    const fs::path root = scratch.path();
    bool met = true;
    {
        Host host(root);
        const std::string folder = makeProject(kFrames);
        const std::string listFile = folder + "/frames.meta";

        bench::PythonTimer plistlib("import plistlib, sys\ndata = open(sys.argv[1], 'rb').read()\n",
                                    "plistlib.loads(data)\n", {listFile});
        const auto parse = bench::compareAll(kRuns, bench::timed([&] { return parseFrameList(listFile, kFrames); }),
                                             {plistlib.side(), bench::timed([&] { return libplistParse(listFile); })});
        const auto open = bench::compare(kRuns, host.openSide(folder, kFrames), plistlib.side());
        met &= bench::report("editor open, 5000 frames, first drawn screen vs plistlib parse", open,
                             bench::Target::atMost(0.5));
        met &= bench::report("frame list parse, 5000 frames vs plistlib parse", parse[0], bench::Target::atMost(0.25));
        met &= bench::report("frame list parse, 5000 frames vs libplist parse", parse[1], bench::Target::atMost(1.0));

        const std::vector<bench::Times> fresh = firstOpens(folder, root, kFreshRuns);
        std::printf("  first open in a fresh process, %d processes: wall %.2f ms, cpu %.2f ms (medians)\n", kFreshRuns,
                    bench::medianOf(fresh) * 1000, bench::medianOf(fresh, &bench::Times::cpu) * 1000);
        met &= bench::printResult("editor open, 5000 frames, first in a fresh process vs 0.15 s",
                                  bench::medianOf(fresh), kFirstOpenSeconds, bench::Target::atMost(1.0));

        const std::string many = makeProject(kManyFrames);
        const auto scaling = bench::compare(kRuns, host.openSide(many, kManyFrames), host.openSide(folder, kFrames));
        met &=
            bench::report("editor open per 1000 frames, 20000 vs 5000 frames",
                          bench::perUnit(scaling, kManyFrames / 1000.0, kFrames / 1000.0), bench::Target::atMost(1.2));
    }
    KWProjects::getInstance().resetForTesting();
    return met ? 0 : 1;
}
