// A quit with the painter open, as the user and the desktop ask for it
// (Ctrl+Q and the window's close through the window host, a signal through
// the terminate path): the painting is saved as Back saves it, and is there
// at the next start. A save that fails holds a quit the user asked for and
// says why; a signal's quit goes on and says it on standard error.

#include "PainterScreenFixture.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/StrokeCanvasView.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/host/Application.h"
#include "platform/ui/host/WindowHost.h"
#include "support/Pictures.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using graphics::Image;
using graphics::Point;

enum class Quit { CtrlQ, Close, Signal };

const char* nameOf(Quit way) {
    switch (way) {
        case Quit::CtrlQ:
            return "Ctrl+Q";
        case Quit::Close:
            return "the window's close";
        case Quit::Signal:
            return "a signal";
    }
    return "";
}

struct QuitRecorder : ui::ApplicationDelegate {
    int willTerminate = 0;
    void applicationWillTerminate(ui::Application&) override { ++willTerminate; }
};

class PainterQuitTest : public PainterScreenFixture {
protected:
    void SetUp() override {
        PainterScreenFixture::SetUp();
        startApplication();
    }
    void TearDown() override {
        host.reset();
        ui::Application::shared().resetForTesting();
        PainterScreenFixture::TearDown();
    }

    // A run of the application showing the test's window, as main starts it.
    void startApplication() {
        ui::Application& application = ui::Application::shared();
        application.resetForTesting();
        delegate = std::make_shared<QuitRecorder>();
        application.launch(delegate);
        application.setExitHandler([this] { ++exits; });
        host.reset();
        host = std::make_unique<ui::WindowHost>(window);
        host->show();
        QCoreApplication::processEvents();
    }

    void quit(Quit way) {
        switch (way) {
            case Quit::CtrlQ: {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier, QStringLiteral("\x11"));
                QGuiApplication::sendEvent(host->qWindow(), &key);
                break;
            }
            case Quit::Close:
                host->qWindow()->close();
                break;
            case Quit::Signal:
                // Where SIGTERM and SIGINT lead in the running application.
                ui::Application::shared().terminate();
                break;
        }
        QCoreApplication::processEvents();
    }
    bool ended() const { return ui::Application::shared().isTerminated() && delegate->willTerminate == 1; }

    // The next start: the painter gone, the project read again from disk.
    void startAgain() {
        window->setRootViewController(nullptr);
        painter.reset();
        project = ProjectModel::create(*project->getProjectPath());
        ASSERT_TRUE(project->getFrameList());
        startApplication();
    }

    Image picture(int64_t index) const {
        const auto data = fileData(KWImageProducer::frameFileName(frameID(index)));
        if (!data) return {};
        auto image = Image::decode(*data);
        return image ? *image : Image();
    }
    // Pixels of the frame's picture that the frame's own colour does not explain.
    int paintedPixels(int64_t index, int frameColourIndex) const {
        const Image shown = picture(index);
        int count = 0;
        for (int y = 0; y < shown.pixelHeight(); ++y)
            for (int x = 0; x < shown.pixelWidth(); ++x)
                count += !testsupport::pixelNear(shown.pixelAt(x, y), frameColour(frameColourIndex), 30);
        return count;
    }
    // Whether the picture shows that frame's colour at a canvas point.
    bool showsAt(int64_t index, Point canvasPoint, int frameColourIndex) const {
        const double scale = double(kFrameWidth) / 1024.0;
        return testsupport::pixelNear(picture(index).pixelAt(int(canvasPoint.x * scale), int(canvasPoint.y * scale)),
                                      frameColour(frameColourIndex));
    }
    std::shared_ptr<ui::AlertView> onlyAlert() const {
        const auto alerts = ui::AlertView::visibleAlerts();
        return alerts.size() == 1 ? alerts.front() : nullptr;
    }
    void answer(const std::string& button) {
        auto alert = onlyAlert();
        ASSERT_TRUE(alert);
        for (int i = 0; i < alert->numberOfButtons(); ++i)
            if (alert->buttonTitleAtIndex(i) == button) tap(alert->buttonViewAtIndex(i));
        advance(1);
    }

    std::shared_ptr<QuitRecorder> delegate;
    std::unique_ptr<ui::WindowHost> host;
    int exits = 0;
};

TEST_F(PainterQuitTest, AQuitWithThePainterOpenKeepsWhatWasPaintedOrErased) {
    const Point rubbed{800, 400}, untouched{900, 60};
    for (const Quit way : {Quit::CtrlQ, Quit::Close, Quit::Signal}) {
        for (const bool masking : {false, true}) {
            SCOPED_TRACE(std::string(nameOf(way)) + (masking ? ", Erase" : ", Draw"));
            project = ProjectModel::create();
            addFrames(2);
            startApplication();
            exits = 0;
            ASSERT_TRUE(open(1, masking));
            if (masking)
                fingers.tap(inWindow(*painter->drawingView(), rubbed));
            else
                drawLine({100, 100}, {400, 300});
            const size_t strokes = dynamic_cast<StrokeCanvasView&>(*painter->drawingView()).strokeBuffer().size();
            ASSERT_EQ(paintedPixels(1, 1), 0);
            quit(way);
            EXPECT_TRUE(ended());
            EXPECT_EQ(exits, 1);
            EXPECT_EQ(completions, 0) << "the painter is not closed on the way out";
            EXPECT_TRUE(alertMessages().empty());

            startAgain();
            if (masking) {
                EXPECT_TRUE(showsAt(1, rubbed, 0)) << "the erased spot shows the previous frame";
                EXPECT_TRUE(showsAt(1, untouched, 1));
                continue;
            }
            EXPECT_GT(paintedPixels(1, 1), 100) << "the stroke is in the frame";
            // And Draw brings the strokes back to go on with.
            ASSERT_TRUE(open(1, false));
            EXPECT_EQ(dynamic_cast<StrokeCanvasView&>(*painter->drawingView()).strokeBuffer().size(), strokes);
            savePicture("painter-after-quit");
        }
    }
}

TEST_F(PainterQuitTest, AQuitThatCannotSaveIsHeldToSayWhyOnlyWhenTheUserAskedForIt) {
    addFrames(1);
    const std::string id = frameID(0);
    ASSERT_TRUE(open(0, false));
    drawLine({100, 100}, {300, 200});
    // A folder where the stroke file belongs makes the save fail.
    fs::create_directory(path(painterfiles::strokesFileName(id)));
    const auto unpainted = fileData(KWImageProducer::frameFileName(id));
    const std::string title = PainterViewController::kSaveFailedTitle;

    // Held: the alert says why; Cancel goes back to the painting.
    for (const Quit way : {Quit::CtrlQ, Quit::Close}) {
        SCOPED_TRACE(nameOf(way));
        quit(way);
        EXPECT_FALSE(ui::Application::shared().isTerminated());
        EXPECT_TRUE(host->qWindow()->isVisible());
        ASSERT_TRUE(onlyAlert());
        EXPECT_EQ(onlyAlert()->title(), title);
        EXPECT_NE(onlyAlert()->message().find("could not be saved"), std::string::npos) << onlyAlert()->message();
        answer("Cancel");
        EXPECT_TRUE(alertMessages().empty());
        EXPECT_TRUE(painter->drawingView()->canUndo()) << "the strokes are still there";
    }

    // The user's answer to quit all the same: the button, or a second quit
    // while the alert is up; a signal's quit is never held. Each says why on
    // standard error and leaves the old picture whole.
    for (const std::string how : {"the button", "a second quit", "a signal"}) {
        SCOPED_TRACE(how);
        startApplication();
        testing::internal::CaptureStderr();
        if (how == "a signal") {
            quit(Quit::Signal);
        } else {
            quit(Quit::CtrlQ);
            EXPECT_FALSE(ui::Application::shared().isTerminated());
            if (how == "the button")
                answer(PainterViewController::kQuitAnywayButton);
            else
                quit(Quit::Close);
        }
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(ended());
        EXPECT_NE(said.find(title), std::string::npos) << said;
        EXPECT_EQ(fileData(KWImageProducer::frameFileName(id)), unpainted);
        for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(0, false);
        advance(1);
    }

    // Once the cause is mended, the next quit saves.
    fs::remove(path(painterfiles::strokesFileName(id)));
    startApplication();
    quit(Quit::Close);
    EXPECT_TRUE(ended());
    EXPECT_GT(paintedPixels(0, 0), 100);
}

TEST_F(PainterQuitTest, APainterClosedByBackWritesNothingAtTheQuit) {
    addFrames(2);
    const std::string id = frameID(1);
    ASSERT_TRUE(open(1, false));
    drawLine({100, 100}, {400, 300});
    tap(painter->toolPalette()->btnBack());
    ASSERT_EQ(completions, 1);
    // A later change of the frame (another picture in its place) that the
    // painter, still held while it leaves, must not write over.
    const auto later = fileData(KWImageProducer::frameFileName(frameID(0)));
    ASSERT_TRUE(project->updateRegularFileWithContents(*later, KWImageProducer::frameFileName(id)));
    quit(Quit::CtrlQ);
    EXPECT_TRUE(ended());
    EXPECT_EQ(fileData(KWImageProducer::frameFileName(id)), later);
}

}  // namespace
