// A quit with the painter open saves the painting as Back does; a save that
// fails holds a quit the user asked for (Ctrl+Q, the window's close: the
// window host's test shows how they ask) until they answer, and a signal's
// quit goes on, saying why on standard error.

#include "PainterScreenFixture.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/StrokeCanvasView.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/host/Application.h"
#include "support/Pictures.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using graphics::Point;

class PainterQuitTest : public PainterScreenFixture {
protected:
    void TearDown() override {
        ui::Application::shared().resetForTesting();
        PainterScreenFixture::TearDown();
    }
    // A run of the application, as main starts it.
    static void start() {
        for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(0, false);
        ui::Application::shared().resetForTesting();
        ui::Application::shared().launch(nullptr);
    }
    static void quit(bool byUser) {
        byUser ? (void)ui::Application::shared().requestTermination() : ui::Application::shared().terminate();
    }
    static bool ended() { return ui::Application::shared().isTerminated(); }
    std::string frameFile(int64_t index) const { return KWImageProducer::frameFileName(frameID(index)); }
    size_t strokeCount() const {
        return dynamic_cast<StrokeCanvasView&>(*painter->drawingView()).strokeBuffer().size();
    }
};

TEST_F(PainterQuitTest, AQuitWithThePainterOpenKeepsWhatWasPaintedOrErased) {
    const Point onTheLine{250, 200}, rubbed{800, 400}, untouched{900, 60};
    auto shows = [this](Point at, int colour) {
        const double scale = double(kFrameWidth) / 1024;
        const graphics::Image picture = decoded(fileData(frameFile(1)));
        return testsupport::pixelNear(picture.pixelAt(int(at.x * scale), int(at.y * scale)), frameColour(colour));
    };
    const std::string title = PainterViewController::kSaveFailedTitle;
    // Whether the user asks, Erase or Draw, whether the save fails, and the
    // user's answer to the alert that holds the quit then: a button (Cancel,
    // after which the cause is mended and the next quit saves), or a quit.
    const std::tuple<bool, bool, bool, std::string> cases[] = {
        {true, false, false, ""},      {false, false, false, ""},
        {true, true, false, ""},       {false, true, false, ""},
        {true, false, true, "Cancel"}, {true, false, true, PainterViewController::kQuitAnywayButton},
        {true, false, true, "a quit"}, {false, false, true, ""}};
    for (const auto& [byUser, masking, fails, answer] : cases) {
        SCOPED_TRACE(std::string(byUser ? "asked" : "a signal") + (masking ? ", Erase" : ", Draw") +
                     (fails ? ", failing, " + answer : ""));
        project = ProjectModel::create();
        addFrames(2);
        start();
        ASSERT_TRUE(open(1, masking));
        masking ? fingers.tap(inWindow(*painter->drawingView(), rubbed)) : drawLine({100, 100}, {400, 300});
        const size_t strokes = masking ? 0 : strokeCount();
        const std::string blocked = path(painterfiles::strokesFileName(frameID(1)));
        if (fails) fs::create_directory(blocked);  // in the stroke file's place
        testing::internal::CaptureStderr();
        quit(byUser);
        if (!answer.empty()) {
            EXPECT_FALSE(ended());
            const auto alerts = ui::AlertView::visibleAlerts();
            ASSERT_EQ(alerts.size(), 1u);
            EXPECT_EQ(alerts[0]->title(), title);
            EXPECT_NE(alerts[0]->message().find("could not be saved"), std::string::npos) << alerts[0]->message();
            if (answer == "a quit") quit(true);
            for (int i = 0; i < alerts[0]->numberOfButtons(); ++i)
                if (alerts[0]->buttonTitleAtIndex(i) == answer) tap(alerts[0]->buttonViewAtIndex(i));
        }
        const bool saves = !fails || answer == "Cancel";
        if (answer == "Cancel") {
            EXPECT_FALSE(ended());
            fs::remove(blocked);
            quit(true);
        }
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(ended());
        EXPECT_EQ(said.find(title) != std::string::npos, !saves) << said;
        EXPECT_EQ(completions, 0) << "the painter is not closed on the way out";
        EXPECT_TRUE(painter->drawingView()->canUndo());

        // The next start: the project read again from disk.
        window->setRootViewController(nullptr);
        painter.reset();
        project = ProjectModel::create(*project->getProjectPath());
        EXPECT_EQ(shows(onTheLine, 1), masking || !saves) << "the stroke is in the frame";
        EXPECT_EQ(shows(rubbed, 0), masking) << "the erased spot shows the previous frame";
        EXPECT_TRUE(shows(untouched, 1));
        if (masking || !saves) continue;
        ASSERT_TRUE(open(1, false));
        EXPECT_EQ(strokeCount(), strokes) << "Draw brings the strokes back";
    }
}

// After Back closed the painter, still held while it leaves, a quit writes
// nothing over later changes.
TEST_F(PainterQuitTest, APainterClosedByBackWritesNothingAtTheQuit) {
    addFrames(2);
    start();
    ASSERT_TRUE(open(1, false));
    drawLine({100, 100}, {400, 300});
    tap(painter->toolPalette()->btnBack());
    ASSERT_EQ(completions, 1);
    const auto later = fileData(frameFile(0));
    ASSERT_TRUE(project->updateRegularFileWithContents(*later, frameFile(1)));
    quit(true);
    EXPECT_TRUE(ended());
    EXPECT_EQ(fileData(frameFile(1)), later);
}

}  // namespace
