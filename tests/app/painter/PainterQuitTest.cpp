// A quit with the painter open (Ctrl+Q and the window's close through the
// window host, a signal through the terminate path) saves the painting as
// Back does. A save that fails holds a quit the user asked for until they
// answer the alert that says why; a signal's quit goes on, saying why on
// standard error.

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

namespace {

namespace fs = std::filesystem;
using graphics::Point;

enum class Quit { CtrlQ, Close, Signal };

class PainterQuitTest : public PainterScreenFixture {
protected:
    void TearDown() override {
        host.reset();
        ui::Application::shared().resetForTesting();
        PainterScreenFixture::TearDown();
    }
    // A run of the application in the test's window, as main starts it.
    void start() {
        for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(0, false);
        host.reset();
        ui::Application::shared().resetForTesting();
        ui::Application::shared().launch(nullptr);
        host = std::make_unique<ui::WindowHost>(window);
        host->show();
        completions = 0;
    }
    void quit(Quit way) {
        QKeyEvent ctrlQ(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier, QStringLiteral("\x11"));
        if (way == Quit::CtrlQ) QGuiApplication::sendEvent(host->qWindow(), &ctrlQ);
        if (way == Quit::Close) host->qWindow()->close();
        if (way == Quit::Signal) ui::Application::shared().terminate();  // where SIGTERM and SIGINT lead
        QCoreApplication::processEvents();
    }

    std::unique_ptr<ui::WindowHost> host;
};

TEST_F(PainterQuitTest, AQuitWithThePainterOpenKeepsWhatWasPaintedOrErased) {
    const Point onTheLine{250, 200}, rubbed{800, 400}, untouched{900, 60};
    const auto frameFile = [this](int64_t index) { return KWImageProducer::frameFileName(frameID(index)); };
    const auto shows = [&](Point at, int colour) {
        const double scale = double(kFrameWidth) / 1024;
        const graphics::Image picture = decoded(fileData(frameFile(1)));
        return testsupport::pixelNear(picture.pixelAt(int(at.x * scale), int(at.y * scale)), frameColour(colour));
    };
    const auto strokes = [this] {
        return strokeBufferData(dynamic_cast<StrokeCanvasView&>(*painter->drawingView()).strokeBuffer()).value();
    };
    const auto ended = [] { return ui::Application::shared().isTerminated(); };
    const std::string title = PainterViewController::kSaveFailedTitle;
    // The way out, Erase or Draw, and when the save fails the user's answer
    // to the alert that holds the quit ("" for a signal's, never held): a
    // button or a second quit.
    using enum Quit;
    const std::tuple<Quit, bool, std::optional<std::string>> cases[] = {
        {CtrlQ, false, {}}, {Close, false, {}},       {Signal, false, {}},           {CtrlQ, true, {}},
        {Close, true, {}},  {Close, false, "Cancel"}, {CtrlQ, false, "Quit Anyway"}, {CtrlQ, false, "Close"},
        {Signal, false, ""}};
    for (const auto& [way, masking, answer] : cases) {
        SCOPED_TRACE(testing::Message() << int(way) << (masking ? " Erase " : " Draw ") << answer.value_or("saves"));
        project = ProjectModel::create();
        addFrames(2);
        start();
        ASSERT_TRUE(open(1, masking));
        masking ? fingers.tap(inWindow(*painter->drawingView(), rubbed)) : drawLine({100, 100}, {400, 300});
        const auto drawn = masking ? foundation::Bytes{} : strokes();
        const std::string blocked = path(painterfiles::strokesFileName(frameID(1)));
        if (answer) fs::create_directory(blocked);  // in the stroke file's place
        testing::internal::CaptureStderr();
        quit(way);
        if (answer && !answer->empty()) {
            EXPECT_FALSE(ended());
            EXPECT_TRUE(host->qWindow()->isVisible());
            const auto alerts = ui::AlertView::visibleAlerts();
            ASSERT_EQ(alerts.size(), 1u);
            EXPECT_EQ(alerts[0]->title(), title);
            EXPECT_NE(alerts[0]->message().find("could not be saved"), std::string::npos) << alerts[0]->message();
            if (answer == "Close") quit(Quit::Close);
            for (int i = 0; i < alerts[0]->numberOfButtons(); ++i)
                if (alerts[0]->buttonTitleAtIndex(i) == answer) tap(alerts[0]->buttonViewAtIndex(i));
            if (answer == "Cancel" && !ended()) {  // mended, the next quit saves
                fs::remove(blocked);
                quit(way);
            }
        }
        const bool saves = !answer || answer == "Cancel";
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(ended());
        EXPECT_EQ(said.find(title) != std::string::npos, !saves) << said;
        EXPECT_EQ(completions, 0) << "the painter is not closed on the way out";

        // The next start (the painter goes with the next opening): the project read again from disk.
        project = ProjectModel::create(*project->getProjectPath());
        EXPECT_EQ(shows(onTheLine, 1), masking || !saves) << "the stroke is in the frame";
        EXPECT_EQ(shows(rubbed, 0), masking) << "the erased spot shows the previous frame";
        EXPECT_TRUE(shows(untouched, 1));
        if (masking || !saves) continue;
        start();
        ASSERT_TRUE(open(1, false));
        EXPECT_EQ(strokes(), drawn) << "Draw brings the strokes back";
        // Closed by Back, still held while it leaves: a quit writes nothing over later changes.
        tap(painter->toolPalette()->btnBack());
        const auto later = fileData(frameFile(0));
        ASSERT_TRUE(project->updateRegularFileWithContents(*later, frameFile(1)));
        quit(way);
        EXPECT_EQ(fileData(frameFile(1)), later);
    }
}

}  // namespace
