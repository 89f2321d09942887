// The movie player screen on a 45-second movie: curtains, the time texts,
// loop and end, backwards and forwards, scrubbing that lets the scrubber
// follow again, controls that hide after four seconds of play, and leaving.

#include "RenderScreenTestSupport.h"
#include "app/render/screens/AVPlayerDemoPlaybackView.h"
#include "app/render/screens/NXMovieView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"
#include "support/Pictures.h"
#include "support/TestMovies.h"

namespace {

using testsupport::TestMovie;

TEST(NXMovieViewTime, MinutesAndSecondsOfAtLeastTwoDigits) {
    const std::pair<float, const char*> cases[] = {
        {0, "00:00"},      {45, "00:45"},   {59.99f, "00:59"}, {60, "01:00"},
        {125.7f, "02:05"}, {3600, "60:00"}, {6000, "100:00"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(NXMovieView::stringFromTime(seconds), text) << seconds;
}

class MovieViewTest : public testsupport::ScreenTest {
protected:
    void present(const std::string& url, bool curtains = true) {
        root = std::make_shared<ui::ViewController>();
        window->setRootViewController(root);
        window->layoutIfNeeded();
        movie = std::make_shared<NXMovieView>(NXMovieView::kNibName, url, curtains);
        root->presentViewController(movie, false);
        window->layoutIfNeeded();
    }
    void press(ui::BarButtonItem* item) {
        ASSERT_TRUE(item);
        item->action()(*item);
    }
    double seconds() const { return movie->player()->currentTimeSeconds(); }
    // Where a view is drawn now, its animations applied.
    static graphics::Rect onScreen(const ui::View& view) {
        const ui::LayerState state = view.layer().presentation();
        const graphics::Size size = state.bounds.size;
        return graphics::Rect(state.position.x - size.width * state.anchorPoint.x,
                              state.position.y - size.height * state.anchorPoint.y, size.width, size.height);
    }
    int shownFrame() const {
        const auto& image = movie->playbackView()->pictureView()->image();
        return image.isNull() ? -1 : testsupport::frameNumberInPicture(image);
    }

    std::shared_ptr<ui::ViewController> root;
    std::shared_ptr<NXMovieView> movie;
};

TEST_F(MovieViewTest, CurtainsOpenOnTheLengthAndPlaybackStartsBehindThem) {
    present(testsupport::testMovie(TestMovie::FortyFiveSeconds));
    ASSERT_TRUE(movie->player());
    const graphics::Rect bounds = movie->view()->bounds();
    const double half = std::floor(bounds.width() / 2);
    EXPECT_EQ(movie->labelEnd()->text(), "00:45");
    EXPECT_EQ(movie->labelCurrent()->text(), "00:00");
    EXPECT_DOUBLE_EQ(movie->scrubber()->maximumValue(), movie->player()->durationSeconds());
    // Closed at first, overlapping by two points, and sliding out over two seconds.
    EXPECT_EQ(onScreen(*movie->viewLandscapeCurtainLeft()), graphics::Rect(0, 0, half + 2, bounds.height()));
    EXPECT_EQ(onScreen(*movie->viewLandscapeCurtainRight()), graphics::Rect(half, 0, half + 2, bounds.height()));
    EXPECT_EQ(movie->viewLandscapeControls()->alpha(), 0.0);
    advance(1.0);
    EXPECT_LT(onScreen(*movie->viewLandscapeCurtainLeft()).maxX(), half);
    EXPECT_GT(onScreen(*movie->viewLandscapeCurtainLeft()).maxX(), 0);
    EXPECT_FALSE(movie->isCurtainOpen());
    EXPECT_EQ(movie->player()->rate(), 0.0f);
    EXPECT_EQ(shownFrame(), 0);

    advance(1.05);
    EXPECT_TRUE(movie->isCurtainOpen());
    EXPECT_EQ(onScreen(*movie->viewLandscapeCurtainLeft()), graphics::Rect(-100, 0, 100, bounds.height()));
    EXPECT_EQ(onScreen(*movie->viewLandscapeCurtainRight()), graphics::Rect(bounds.width(), 0, 100, bounds.height()));
    EXPECT_EQ(movie->player()->rate(), 1.0f);
    EXPECT_EQ(movie->playButtonImageName(), NXMovieView::kPlaySelectedImage);

    advance(3.0);
    EXPECT_EQ(movie->labelCurrent()->text(), NXMovieView::stringFromTime(float(seconds())));
    EXPECT_EQ(movie->labelCurrent()->text(), "00:03");  // playing since the curtains opened at 2.0
    // The remaining time of the last look (a tenth of a second ago at most).
    EXPECT_EQ(movie->labelEnd()->text(), NXMovieView::stringFromTime(float(45 - movie->scrubber()->value())));
    EXPECT_NEAR(movie->scrubber()->value(), seconds(), 0.1);
    EXPECT_NEAR(shownFrame(), seconds() * testsupport::kTestMovieFrameRate, 3);
    movie->actionTouchOnScreen();
    advance(1.0);
    EXPECT_EQ(movie->viewLandscapeControls()->alpha(), 1.0);
    savePicture("movie-player.png");
}

TEST_F(MovieViewTest, ControlsHideAfterFourSecondsOfPlayWithoutATouch) {
    present(testsupport::testMovie(TestMovie::FortyFiveSeconds));
    advance(2.05);               // curtains open, playing, controls hidden
    tap(movie->playbackView());  // a finger on the picture shows them
    advance(1.0);
    EXPECT_EQ(movie->viewLandscapeControls()->alpha(), 1.0);
    advance(2.0);
    EXPECT_EQ(movie->viewLandscapeControls()->alpha(), 1.0) << "three seconds are not enough";
    advance(2.0);
    EXPECT_EQ(movie->viewLandscapeControls()->alpha(), 0.0);

    // Paused, they stay. A finger on a button works the button only.
    movie->actionTouchOnScreen();
    advance(1.0);
    tap(movie->btnPlayPause()->view());
    advance(1.0);
    EXPECT_EQ(movie->player()->rate(), 0.0f);
    EXPECT_EQ(movie->playButtonImageName(), NXMovieView::kPlayImage);
    advance(10);
    EXPECT_EQ(movie->viewLandscapeControls()->alpha(), 1.0);
    EXPECT_EQ(movie->noInteractionSinceSeconds(), 0);
}

TEST_F(MovieViewTest, AMovingPointerKeepsTheControlsUpUntilItRests) {
    present(testsupport::testMovie(TestMovie::FortyFiveSeconds));
    advance(2.05);  // curtains open, playing, controls hidden
    ASSERT_GT(movie->player()->rate(), 0.0f);
    const graphics::Point picture = centerOf(*movie->playbackView());
    // The mouse moved over the picture brings the controls up, no click needed.
    fingers.hover(picture);
    advance(1.0);
    EXPECT_EQ(movie->viewLandscapeControls()->alpha(), 1.0);
    // While it moves (over the picture, then on to the play button) they stay.
    const graphics::Point button = centerOf(*movie->btnPlayPause()->view());
    for (int step = 0; step <= 16; ++step) {
        const double along = step / 16.0;
        fingers.hover({picture.x + (button.x - picture.x) * along, picture.y + (button.y - picture.y) * along});
        advance(0.5);
        ASSERT_EQ(movie->viewLandscapeControls()->alpha(), 1.0) << "moving for " << step * 0.5 << " s";
    }
    // Once it rests they go a few seconds later, as after a touch.
    advance(3.0);
    EXPECT_EQ(movie->viewLandscapeControls()->alpha(), 1.0) << "three seconds are not enough";
    advance(2.0);
    EXPECT_EQ(movie->viewLandscapeControls()->alpha(), 0.0);
    EXPECT_GT(movie->player()->rate(), 0.0f) << "moving the pointer presses nothing";
}

TEST_F(MovieViewTest, LoopPlaysAgainAndWithoutLoopTheEndShowsPlay) {
    present(testsupport::testMovie(TestMovie::FortyFiveSeconds), false);
    EXPECT_FALSE(movie->viewLandscapeCurtainLeft()->superview()) << "no curtains asked for";
    press(movie->btnPlayPause());
    ASSERT_TRUE(movie->isLoop());
    movie->player()->seekToTime(media::MediaTime::fromSeconds(44.5, 1000));
    advance(1.0);
    EXPECT_EQ(movie->player()->rate(), 1.0f);
    EXPECT_LT(seconds(), 1.0) << "looped to the start";

    press(movie->btnLoop());
    EXPECT_FALSE(movie->isLoop());
    EXPECT_EQ(movie->loopButtonImageName(), NXMovieView::kLoopImage);
    movie->player()->seekToTime(media::MediaTime::fromSeconds(44.5, 1000));
    advance(1.0);
    EXPECT_EQ(movie->player()->rate(), 0.0f);
    EXPECT_EQ(movie->playButtonImageName(), NXMovieView::kPlayImage);
    EXPECT_DOUBLE_EQ(seconds(), movie->player()->durationSeconds());
    // Play at the end starts over.
    press(movie->btnPlayPause());
    EXPECT_EQ(movie->player()->rate(), 1.0f);
    EXPECT_DOUBLE_EQ(seconds(), 0.0);
}

TEST_F(MovieViewTest, ReverseTwiceRestartsForwardsAndForwardRunsThreeTimesAsFast) {
    present(testsupport::testMovie(TestMovie::FortyFiveSeconds), false);
    struct Step {
        void (NXMovieView::*action)();
        double advance;
        float rate;
        double seconds;
    };
    const Step steps[] = {
        {&NXMovieView::actionPlay, 10, 1, 10},     {&NXMovieView::actionReverse, 2, -2, 6},
        {&NXMovieView::actionReverse, 1, 1, 1},    {&NXMovieView::actionForward, 2, 3, 7},
        {&NXMovieView::actionRewind, 0.5, 1, 0.5}, {&NXMovieView::actionPlay, 3, 0, 0.5},
        {&NXMovieView::actionRewind, 1, 0, 0},
    };
    for (const Step& step : steps) {
        (movie.get()->*step.action)();
        advance(step.advance);
        EXPECT_EQ(movie->player()->rate(), step.rate) << step.seconds;
        EXPECT_NEAR(seconds(), step.seconds, 1e-6);
    }
}

TEST_F(MovieViewTest, TheScrubberFollowsPlaybackAgainAfterAScrub) {
    present(testsupport::testMovie(TestMovie::FortyFiveSeconds), false);
    press(movie->btnPlayPause());
    advance(1.0);
    movie->beginScrubbing();
    EXPECT_EQ(movie->player()->rate(), 0.0f);
    EXPECT_FALSE(movie->hasTimeObserver());
    movie->scrubber()->setValue(20.0);
    movie->scrub();
    EXPECT_NEAR(seconds(), 20.0, movie->player()->durationSeconds() / movie->scrubber()->bounds().width() + 1e-9);
    EXPECT_EQ(movie->labelCurrent()->text(), "00:20");
    movie->endScrubbing();
    EXPECT_EQ(movie->player()->rate(), 1.0f);
    EXPECT_TRUE(movie->hasTimeObserver());
    advance(2.0);
    EXPECT_EQ(movie->labelCurrent()->text(), "00:22");
    EXPECT_NEAR(movie->scrubber()->value(), seconds(), 0.11);
}

TEST_F(MovieViewTest, DoneClosesTheCurtainsFirstAndDropsThePlayer) {
    present(testsupport::testMovie(TestMovie::FortyFiveSeconds));
    advance(3);
    std::weak_ptr<media::Player> player = movie->player();
    press(movie->btnDone());
    EXPECT_FALSE(movie->player());
    EXPECT_FALSE(player.lock()) << "nothing else keeps the player";
    EXPECT_FALSE(movie->hasLoopTimer());
    EXPECT_FALSE(movie->isCurtainOpen());
    EXPECT_EQ(root->presentedViewController(), movie.get());
    advance(0.9);
    EXPECT_EQ(root->presentedViewController(), movie.get()) << "the curtains take a second";
    advance(1.0);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(MovieViewTest, EscapeLeavesAsDoneDoesEvenWithTheControlsHidden) {
    present(testsupport::testMovie(TestMovie::FortyFiveSeconds));
    advance(7);  // playing untouched: the controls have faded out
    ASSERT_EQ(movie->viewLandscapeControls()->alpha(), 0.0);
    EXPECT_TRUE(fingers.press(ui::Key::Escape));
    EXPECT_FALSE(movie->player());
    EXPECT_FALSE(movie->btnDone()->isEnabled());
    EXPECT_FALSE(fingers.press(ui::Key::Escape)) << "leaving once";
    advance(2.0);  // the curtains close, then the screen goes
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(MovieViewTest, AMovieThatCannotBeReadLeavesAStillScreenThatSaysSo) {
    present(testsupport::testMovie(TestMovie::NotAVideo), false);
    EXPECT_FALSE(movie->player());
    ASSERT_TRUE(movie->playerError());
    EXPECT_EQ(movie->labelEnd()->text(), "--:--");
    press(movie->btnPlayPause());
    press(movie->btnReverse());
    advance(5);
    EXPECT_EQ(movie->playButtonImageName(), NXMovieView::kPlayImage);
    press(movie->btnDone());
    advance(1.0);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

}  // namespace
