// What the size estimates cost the application, measured on the release
// binary itself (headless, in folders of its own) with a 10-second 1080p
// film: 120 pictures at 12 a second, each a photograph of its own. As a
// user who made the film shares it, the application opens the film in the
// editor from its card, plays it there, goes back to the card and opens its
// Save to Folder screen, which measures every size's estimate
// (TOLLIVAR_TEST_CARD=share:Save to Folder).
//
// - Memory: the application's peak resident size once every estimate shows,
//   against its peak before the screen came, within 1.5×.
// - Quit: SIGTERM while the estimates are measured, at moments spread over
//   the time they take (the largest sizes come last), until the process has
//   ended: the slowest within 0.3 s. The quit with nothing under way is
//   shown beside it.

#include "BenchPictures.h"
#include "BenchSupport.h"
#include "app/core/FrameList.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "app/screens/KWWelcomeViewController.h"
#include "platform/graphics/GuiApplication.h"
#include "support/RunFolder.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <poll.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kPictures = 120;
constexpr int kFramesPerSecond = 12;
constexpr double kMemoryTarget = 1.5;
constexpr double kQuitBudgetSeconds = 0.3;
constexpr double kWaitSeconds = 600;
// Where in the estimates' time the quits come.
constexpr double kQuitMoments[] = {0.1, 0.3, 0.5, 0.7, 0.9};
constexpr int kCountedQuits = 3;

// The application running now, which a failure takes down with the bench.
pid_t gRunning = -1;

void fail(const std::string& why) {
    std::fprintf(stderr, "estimate_quit_bench: %s\n", why.c_str());
    if (gRunning > 0) kill(gRunning, SIGKILL);
    std::exit(1);
}

// Picture `index` of the film: a lit backdrop, a figure on its way across,
// and sensor grain that differs from picture to picture.
graphics::Image filmPicture(int index) {
    QImage image(1920, 1080, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        bench::paintBackdrop(painter, image.width(), image.height());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(200, 60, 40));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(200 + index * 12, 600), 120, 240);
    }
    uint32_t state = 2463534242u + uint32_t(index);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state ^= state << 13, state ^= state >> 17, state ^= state << 5;
            const int grain = int(state % 9) - 4;
            const QRgb pixel = line[x];
            line[x] = qRgb(std::clamp(qRed(pixel) + grain, 0, 255), std::clamp(qGreen(pixel) + grain, 0, 255),
                           std::clamp(qBlue(pixel) + grain, 0, 255));
        }
    }
    return graphics::Image(std::move(image));
}

// The film, saved and listed in the application's data folder.
void makeFilm() {
    auto project = ProjectModel::create();
    project->setFPS(kFramesPerSecond);
    KWImageProducer producer(project);
    auto list = project->getFrameList();
    for (int i = 0; i < kPictures; ++i) {
        FramePtr frame = Frame::create(Frame::kTypePicture);
        if (!producer.storeImage(filmPicture(i), frame->frameID()).ok()) fail("cannot store a picture");
        list->insertFrame(frame, list->getCaptureIndex());
    }
    project->setName("Film");
    if (!project->saveAllDataToDisk().ok()) fail("cannot save the film");
}

// The application, started on the film with its output read line by line.
class Application {
public:
    Application() {
        int pipe[2];
        if (pipe2(pipe, O_CLOEXEC) != 0) fail("no pipe");
        pid_ = bench::spawn({TOLLIVAR_APPLICATION_BINARY}, {}, -1, pipe[1]);
        close(pipe[1]);
        output_ = pipe[0];
        if (pid_ < 0) fail("the application did not start");
        gRunning = pid_;
    }
    ~Application() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            bench::waitFor(pid_);
            gRunning = -1;
        }
        close(output_);
    }
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Waits for the line; false when the application ended or went quiet first.
    bool waitFor(const std::string& line) {
        for (;;) {
            for (size_t end; (end = buffered_.find('\n')) != std::string::npos;) {
                const std::string got = buffered_.substr(0, end);
                buffered_.erase(0, end + 1);
                seen_.push_back(got);
                if (got == line) return true;
            }
            pollfd ready{output_, POLLIN, 0};
            if (poll(&ready, 1, int(kWaitSeconds * 1000)) <= 0) return false;
            char chunk[4096];
            const ssize_t got = read(output_, chunk, sizeof chunk);
            if (got <= 0) return false;
            buffered_.append(chunk, size_t(got));
        }
    }
    // Whether the line came already, read or waiting to be.
    bool said(const std::string& line) {
        pollfd ready{output_, POLLIN, 0};
        if (poll(&ready, 1, 0) > 0) {
            char chunk[4096];
            if (const ssize_t got = read(output_, chunk, sizeof chunk); got > 0) buffered_.append(chunk, size_t(got));
        }
        return std::find(seen_.begin(), seen_.end(), line) != seen_.end() ||
               buffered_.find(line + "\n") != std::string::npos;
    }

    // The peak resident size so far, in megabytes.
    double peakMB() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.starts_with("VmHWM:")) return std::stod(line.substr(6)) / 1024;
        fail("no peak resident size");
        return 0;
    }

    // SIGTERM, and the seconds until the process has ended; it must end well.
    double quit() {
        double seconds = bench::secondsOf([&] {
            kill(pid_, SIGTERM);
            if (bench::waitFor(pid_) != 0) fail("the application did not end with status 0");
        });
        pid_ = gRunning = -1;
        return seconds;
    }

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffered_;
    std::vector<std::string> seen_;
};

// A start of the application on the film, until the card is open again
// after the film was edited and played.
std::unique_ptr<Application> openCard() {
    auto application = std::make_unique<Application>();
    if (!application->waitFor("card")) fail("the card did not open");
    return application;
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("tollivar-estimate-bench");
    const fs::path root = scratch.path();
    bench::useApplicationFoldersBelow(root);
    fs::create_directories(root / "runtime");
    fs::permissions(root / "runtime", fs::perms::owner_all);
    fs::create_directories(root / "tmp");
    setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    setenv("TMPDIR", (root / "tmp").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TOLLIVAR_TEST_CARD", "share:Save to Folder", 1);
    graphics::ensureGuiApplication();
    makeFilm();
    // The user has seen the welcome pages, which would cover the browser.
    KWWelcomeViewController::setHasSeen(true);

    // The memory, and how long the estimates take.
    std::unique_ptr<Application> application = openCard();
    const double before = application->peakMB();
    if (!application->waitFor("share shown")) fail("the Save to Folder screen did not show");
    double estimating = bench::secondsOf([&] {
        if (!application->waitFor("estimates shown")) fail("not every estimate showed");
    });
    const double during = application->peakMB();
    std::printf("every estimate shown %.2f s after the screen\n", estimating);
    bool met = bench::printMeasure("estimate peak resident vs before", during, before, "MB",
                                   bench::Target::atMost(kMemoryTarget));

    // The quit at rest, then while the estimates are measured.
    const double atRest = application->quit();
    // Their time swings with the machine's load: a quit that came after
    // them measures nothing and is not counted.
    double slowest = 0;
    int counted = 0;
    for (double moment : kQuitMoments) {
        application = openCard();
        if (!application->waitFor("share shown")) fail("the Save to Folder screen did not show");
        usleep(useconds_t(moment * estimating * 1e6));
        const bool done = application->said("estimates shown");
        const double seconds = application->quit();
        std::printf("  quit %.0f%% into the estimates: %.0f ms%s\n", moment * 100, seconds * 1000,
                    done ? " (after they were done: not counted)" : "");
        if (done) continue;
        slowest = std::max(slowest, seconds);
        ++counted;
    }
    if (counted < kCountedQuits) fail("too few quits came while the estimates were measured");
    std::printf("quit at rest: %.0f ms\n", atRest * 1000);
    met &= bench::printMeasure("quit while an estimate runs vs 300 ms", slowest * 1000, kQuitBudgetSeconds * 1000,
                               "ms", bench::Target::atMost(1));
    return met ? 0 : 1;
}
