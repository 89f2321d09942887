// What an export left out, as its finish tells it: frames numbered by their
// place in the movie whatever order they were met in, each file once, the
// folder's files after the frames', and a long list cut to a count.

#include "app/core/FrameList.h"
#include "app/render/LeftOutFiles.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(LeftOutFiles, NamesEachOnceByTheFramesPlaceAndCountsTheRest) {
    FrameList list;
    std::vector<FramePtr> frames;
    for (int i = 0; i < 14; ++i) {
        frames.push_back(Frame::create(Frame::kTypePicture));
        list.insertFrame(frames.back(), list.getCaptureIndex());
    }
    frames[1]->setDuration(3);  // a hold does not shift the numbers after it
    const ExpandedFrames movie = list.getExpandedFrameList();

    LeftOutFiles leftOut;
    EXPECT_TRUE(leftOut.empty());
    EXPECT_FALSE(leftOut.text(movie));
    // Met from several composers at once, out of order and more than once.
    std::vector<std::thread> composers;
    for (int worker = 0; worker < 3; ++worker)
        composers.emplace_back([&] {
            leftOut.addFile("stray");
            leftOut.addSound(frames[4].get(), "voice.m4a");
            leftOut.addPicture(frames[2].get(), "frame-c.jpg");
        });
    for (std::thread& composer : composers) composer.join();
    leftOut.addPicture(frames[4].get(), "frame-e.jpg");
    EXPECT_EQ(*leftOut.text(movie),
              "These files could not be read and were left out: the picture of frame 3 (“frame-c.jpg”), the picture "
              "of frame 5 (“frame-e.jpg”), the sound of frame 5 (“voice.m4a”) and “stray”.");

    // Every frame's picture: the first ten named, the rest counted.
    for (const FramePtr& frame : frames) leftOut.addPicture(frame.get(), "p");
    const std::string text = *leftOut.text(movie);
    EXPECT_NE(text.find("the picture of frame 7 (“p”) and 8 more."), std::string::npos) << text;
    EXPECT_EQ(text.find("frame 8"), std::string::npos) << text;

    leftOut.clear();
    EXPECT_TRUE(leftOut.empty());
    EXPECT_FALSE(leftOut.text(movie));
}

}  // namespace
