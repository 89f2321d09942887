// Opening a project of 5,000 frames in the frame editor, in process, from
// nothing read to the first drawn editor screen (frame list and metadata
// read, the folder cleared of what killed writers left, strip, timeline,
// preview and embedded capture screen built, one composite of the window),
// against python3's plistlib parsing the same "frames.meta" alone, also
// timed inside its own process so start-up does not count. Our parse alone
// (the file read, checked and turned into the frame list) is compared too.

#include "BenchSupport.h"
#include "LinkedProject.h"
#include "app/core/FrameList.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectModel.h"
#include "app/editor/FrameEditorViewController.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/media/AudioOutput.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/host/Device.h"

#include <QImage>
#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kFrames = 5000;
constexpr int kRuns = 7;

// A project folder of 5,000 frames sharing one small frame's pictures through hard links.
std::string makeProject() {
    QImage bitmap(640, 360, QImage::Format_RGB32);
    bitmap.fill(qRgb(200, 120, 40));
    return bench::makeLinkedProject(graphics::Image(std::move(bitmap)), kFrames, kFrames / 2,
                                    [](Frame& frame, int i) { frame.setDuration(1 + i % 3); });
}

// plistlib's median parse time of the file, timed inside python.
double plistlibSeconds(const std::string& file) {
    const std::string script =
        "import plistlib, statistics, sys, time\n"
        "data = open(sys.argv[1], \"rb\").read()\n"
        "times = []\n"
        "for _ in range(int(sys.argv[2])):\n"
        "    start = time.perf_counter(); plistlib.loads(data); times.append(time.perf_counter() - start)\n"
        "print(statistics.median(times))\n";
    const std::string command = "python3 -c '" + script + "' '" + file + "' " + std::to_string(kRuns);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    std::array<char, 64> line{};
    const bool read = std::fgets(line.data(), line.size(), pipe) != nullptr;
    const int status = pclose(pipe);
    return read && status == 0 ? std::atof(line.data()) : -1;
}

}  // namespace

int main() {
    graphics::ensureGuiApplication();
    const fs::path root = fs::temp_directory_path() / ("tollivar-open-bench-" + std::to_string(getpid()));
    fs::create_directories(root / "config");
    bench::useApplicationFoldersBelow(root);
    setenv("TOLLIVAR_CAMERA", "synthetic", 1);
    foundation::RunLoop& loop = foundation::RunLoop::main();
    loop.reset(std::make_shared<foundation::VirtualClock>());
    media::AudioOutput::setShared(std::make_shared<media::NullAudioOutput>());
    ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Pad);

    const std::string folder = makeProject();
    const std::string listFile = folder + "/frames.meta";

    const double parse = bench::medianSeconds(
        kRuns, [] {},
        [&] {
            auto stored = foundation::plist::readFile(listFile);
            if (!stored || !stored->isDictionary()) return false;
            const foundation::Dictionary dictionary = stored->asDictionary();
            if (!FrameList::checkStoredDictionary(dictionary)) return false;
            return FrameList(dictionary).count() == kFrames + 1;
        });

    auto window = std::make_shared<ui::Window>(graphics::Rect(0, 0, 1024, 768));
    window->makeKeyAndVisible();
    ui::Compositor compositor;
    const double open = bench::medianSeconds(
        kRuns,
        [&] {
            window->setRootViewController(nullptr);
            loop.runUntilIdle();
        },
        [&] {
            auto project = ProjectModel::create(folder);
            auto editor = FrameEditorViewController::create(project);
            window->setRootViewController(editor);
            window->layoutIfNeeded();
            loop.runUntilIdle();
            const graphics::Image drawn = compositor.render(*window, 1.0);
            return !drawn.isNull() && project->getFrameList() && project->getFrameList()->count() == kFrames + 1;
        });
    window->setRootViewController(nullptr);
    loop.runUntilIdle();

    const double reference = plistlibSeconds(listFile);
    if (reference <= 0) {
        std::fprintf(stderr, "editor_open_bench: python3 plistlib did not report its time\n");
        return 1;
    }
    bool met = bench::printResult("editor open, 5000 frames, first drawn screen vs plistlib parse", open, reference,
                                  bench::Target::atMost(0.5));
    met &= bench::printResult("frame list parse, 5000 frames vs plistlib parse", parse, reference,
                              bench::Target::atMost(0.25));
    KWProjects::getInstance().resetForTesting();
    fs::remove_all(root);
    return met ? 0 : 1;
}
