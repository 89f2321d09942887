// A quit with the painter open, by Ctrl+Q and the window's close through the
// window host and by a signal's way in: the painting is saved as Back saves
// it; a save that fails holds a quit the user asked for until they answer.

#include "PainterScreenFixture.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/StrokeCanvasView.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/host/Application.h"
#include "platform/ui/host/WindowHost.h"
#include "support/Pictures.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>
#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;
using graphics::Point;

class PainterQuitTest : public PainterScreenFixture {
protected:
    void TearDown() override {
        host.reset();
        ui::Application::shared().resetForTesting();
        PainterScreenFixture::TearDown();
    }
    // A run of the application showing the test's window, as main starts it.
    void start() {
        for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(0, false);
        ui::Application::shared().resetForTesting();
        ui::Application::shared().launch(nullptr);
        host = std::make_unique<ui::WindowHost>(window);
        host->show();
    }
    static bool ended() { return ui::Application::shared().isTerminated(); }
    std::string frameFile(int64_t index) const { return KWImageProducer::frameFileName(frameID(index)); }
    graphics::Image picture(int64_t index) const {
        auto image = graphics::Image::decode(fileData(frameFile(index)).value_or(foundation::Bytes{}));
        return image ? *image : graphics::Image();
    }
    size_t strokeCount() const {
        return dynamic_cast<StrokeCanvasView&>(*painter->drawingView()).strokeBuffer().size();
    }

    std::unique_ptr<ui::WindowHost> host;
    // Ctrl+Q and the window's close as the desktop sends them, then where
    // SIGTERM and SIGINT lead in the running application.
    const std::vector<std::pair<std::string, std::function<void()>>> quits{
        {"Ctrl+Q",
         [this] {
             QKeyEvent key(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier, QStringLiteral("\x11"));
             QGuiApplication::sendEvent(host->qWindow(), &key);
         }},
        {"the window's close", [this] { host->qWindow()->close(); }},
        {"a signal", [] { ui::Application::shared().terminate(); }}};
};

TEST_F(PainterQuitTest, AQuitWithThePainterOpenKeepsWhatWasPaintedOrErased) {
    const Point onTheLine{250, 200}, rubbed{800, 400}, untouched{900, 60};
    auto shows = [this](Point at, int colour) {
        const double scale = double(kFrameWidth) / 1024;
        return testsupport::pixelNear(picture(1).pixelAt(int(at.x * scale), int(at.y * scale)), frameColour(colour));
    };
    for (const auto& [way, quit] : quits) {
        for (const bool masking : {false, true}) {
            SCOPED_TRACE(way + (masking ? ", Erase" : ", Draw"));
            project = ProjectModel::create();
            addFrames(2);
            start();
            ASSERT_TRUE(open(1, masking));
            masking ? fingers.tap(inWindow(*painter->drawingView(), rubbed)) : drawLine({100, 100}, {400, 300});
            const size_t strokes = strokeCount();
            quit();
            EXPECT_TRUE(ended());
            EXPECT_EQ(completions, 0) << "the painter is not closed on the way out";

            // The next start: the project read again from disk.
            window->setRootViewController(nullptr);
            painter.reset();
            project = ProjectModel::create(*project->getProjectPath());
            EXPECT_EQ(shows(onTheLine, 1), masking) << "the stroke is in the frame";
            EXPECT_EQ(shows(rubbed, 0), masking) << "the erased spot shows the previous frame";
            EXPECT_TRUE(shows(untouched, 1));
            if (masking) continue;
            ASSERT_TRUE(open(1, false));
            EXPECT_EQ(strokeCount(), strokes) << "Draw brings the strokes back";
        }
    }
}

TEST_F(PainterQuitTest, AFailedSaveHoldsAQuitTheUserAskedForUntilTheyAnswer) {
    addFrames(1);
    start();
    ASSERT_TRUE(open(0, false));
    drawLine({100, 100}, {300, 200});
    const std::string blocked = path(painterfiles::strokesFileName(frameID(0)));
    fs::create_directory(blocked);  // in the stroke file's place, the save fails
    const auto unpainted = fileData(frameFile(0));
    const std::string title = PainterViewController::kSaveFailedTitle;
    // The quit, and the user's answer to the alert: a button, or a second
    // quit while it is up (none for a signal, which nothing holds).
    struct Case {
        size_t quit;
        std::string answer;
        bool ends;
    };
    for (const Case& c : {Case{0, "Cancel", false}, Case{1, PainterViewController::kQuitAnywayButton, true},
                          Case{0, "Ctrl+Q", true}, Case{2, "", true}}) {
        SCOPED_TRACE(quits[c.quit].first + ", " + c.answer);
        start();
        testing::internal::CaptureStderr();
        quits[c.quit].second();
        if (!c.answer.empty()) {
            EXPECT_FALSE(ended());
            const auto alerts = ui::AlertView::visibleAlerts();
            ASSERT_EQ(alerts.size(), 1u);
            EXPECT_EQ(alerts[0]->title(), title);
            EXPECT_NE(alerts[0]->message().find("could not be saved"), std::string::npos) << alerts[0]->message();
            if (c.answer == "Ctrl+Q") quits[0].second();
            for (int i = 0; i < alerts[0]->numberOfButtons(); ++i)
                if (alerts[0]->buttonTitleAtIndex(i) == c.answer) tap(alerts[0]->buttonViewAtIndex(i));
        }
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(ended(), c.ends);
        EXPECT_EQ(said.find(title) != std::string::npos, c.ends) << said;
        EXPECT_TRUE(painter->drawingView()->canUndo());
        EXPECT_EQ(fileData(frameFile(0)), unpainted);
    }
    // Mended, the next quit saves.
    fs::remove(blocked);
    start();
    quits[1].second();
    EXPECT_TRUE(ended());
    EXPECT_NE(fileData(frameFile(0)), unpainted);
}

TEST_F(PainterQuitTest, APainterClosedByBackWritesNothingAtTheQuit) {
    addFrames(2);
    start();
    ASSERT_TRUE(open(1, false));
    drawLine({100, 100}, {400, 300});
    tap(painter->toolPalette()->btnBack());
    ASSERT_EQ(completions, 1);
    // A later change of the frame, which the painter, still held while it
    // leaves, must not write over.
    const auto later = fileData(frameFile(0));
    ASSERT_TRUE(project->updateRegularFileWithContents(*later, frameFile(1)));
    quits[0].second();
    EXPECT_TRUE(ended());
    EXPECT_EQ(fileData(frameFile(1)), later);
}

}  // namespace
