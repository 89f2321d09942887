// The probe's shortest picture time against ffprobe's presentation times,
// for movies whose index tells the times without reading a picture and for
// those it does not (reordered pictures, fragments).

#include "platform/media/MovieProbe.h"
#include "support/MovieFacts.h"
#include "support/Process.h"
#include "support/RunFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using media::probeMovie;

// The shortest positive gap between ffprobe's sorted presentation times.
double shortestGap(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    double shortest = 0;
    for (size_t i = 1; i < times.size(); ++i)
        if (times[i] > times[i - 1] && (shortest == 0 || times[i] - times[i - 1] < shortest))
            shortest = times[i] - times[i - 1];
    return shortest;
}

TEST(MovieProbeTest, TheShortestPictureTimeIsTheOneOnScreen) {
    static testsupport::RunFolder folder("tollivar-probe");
    struct Case {
        const char* what;
        const char* file;
        std::vector<std::string> arguments;  // ffmpeg's, up to the output file
        double shortest;
    };
    const std::vector<std::string> twoSeconds = {"-f", "lavfi", "-i", "testsrc=size=160x90:rate=12", "-t", "2"};
    auto with = [](std::vector<std::string> input, std::vector<std::string> options) {
        input.insert(input.end(), options.begin(), options.end());
        return input;
    };
    const std::vector<Case> cases = {
        {"stored in order", "inorder.mov", with(twoSeconds, {"-c:v", "libx264", "-bf", "0"}), 1.0 / 12},
        {"reordered (B-frames)", "reordered.mov", with(twoSeconds, {"-c:v", "libx264", "-bf", "3"}), 1.0 / 12},
        {"fragmented", "fragments.mp4",
         with(twoSeconds, {"-c:v", "libx264", "-bf", "0", "-movflags", "frag_keyframe+empty_moov"}), 1.0 / 12},
        // Six pictures 0.1 s apart, then 0.04 s apart: the short gaps come after the first ones.
        {"variable rate, stored in order",
         "variable.mov",
         {"-filter_complex",
          "testsrc=size=160x90:rate=10:duration=0.6[a];testsrc=size=160x90:rate=25:duration=1[b];[a][b]concat",
          "-fps_mode", "vfr", "-c:v", "libx264", "-bf", "0"},
         0.04},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder.path() + "/" + c.file;
        std::vector<std::string> command = with({"ffmpeg", "-loglevel", "error", "-nostdin", "-y"}, c.arguments);
        command.insert(command.end(), {"-pix_fmt", "yuv420p", path});
        const auto made = testsupport::runProcess(command);
        ASSERT_EQ(made.exitCode, 0) << made.output;

        const auto facts = testsupport::probeMovieFacts(path);
        ASSERT_GT(facts.frameTimes.size(), 10u);
        EXPECT_NEAR(shortestGap(facts.frameTimes), c.shortest, 1e-3) << "the movie is what the case says";
        auto probe = probeMovie(path);
        ASSERT_TRUE(probe);
        EXPECT_TRUE(probe->compatible);
        EXPECT_NEAR(probe->minFrameDurationSeconds, c.shortest, 1e-3);
    }
}

}  // namespace
