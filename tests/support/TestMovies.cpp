#include "support/TestMovies.h"

#include "support/Process.h"
#include "support/RunFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <stdexcept>

namespace testsupport {

namespace {

namespace fs = std::filesystem;

// The grey-band picture of frame N as an ffmpeg filter on a blank source.
std::string bandsFilter() {
    return "format=gray,geq=lum='if(lt(X,W/3),mod(trunc(N/256),16)*16+8,"
           "if(lt(X,2*W/3),mod(trunc(N/16),16)*16+8,mod(N,16)*16+8))'";
}

void runFFmpeg(std::vector<std::string> arguments) {
    std::vector<std::string> argv = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ProcessResult result = runProcess(argv);
    if (result.exitCode != 0) throw std::runtime_error("ffmpeg failed: " + result.output);
}

void makeBands(const std::string& path, double seconds, int width, int height, int frameRate, int keyframeInterval,
               const std::string& extraFilter, const std::vector<std::string>& extraOptions) {
    std::vector<std::string> arguments = {"-f",
                                          "lavfi",
                                          "-i",
                                          "nullsrc=s=" + std::to_string(width) + "x" + std::to_string(height) +
                                              ":r=" + std::to_string(frameRate) + ":d=" + std::to_string(seconds),
                                          "-vf",
                                          bandsFilter() + extraFilter + ",format=yuv420p",
                                          "-c:v",
                                          "libx264",
                                          "-crf",
                                          "10",
                                          "-g",
                                          std::to_string(keyframeInterval)};
    arguments.insert(arguments.end(), extraOptions.begin(), extraOptions.end());
    arguments.push_back(path);
    runFFmpeg(arguments);
}

std::string make(TestMovie movie, const std::string& folder) {
    const int rate = kTestMovieFrameRate;
    auto in = [&](const char* name) { return folder + "/" + name; };
    switch (movie) {
        case TestMovie::HalfSecond:
            makeBands(in("half-second.mp4"), 0.5, 128, 72, rate, 50, "", {});
            return in("half-second.mp4");
        case TestMovie::FourPointNine:
            makeBands(in("four-point-nine.mp4"), 4.9, 128, 72, rate, 50, "", {});
            return in("four-point-nine.mp4");
        case TestMovie::FiveSeconds:
            makeBands(in("five-seconds.mp4"), 5, 128, 72, rate, 50, "", {});
            return in("five-seconds.mp4");
        case TestMovie::TwentySeconds:
            makeBands(in("twenty-seconds.mp4"), 20, 128, 72, rate, 50, "", {});
            return in("twenty-seconds.mp4");
        case TestMovie::FortyFiveSeconds:
            makeBands(in("forty-five-seconds.mp4"), 45, 128, 72, rate, 50, "", {});
            return in("forty-five-seconds.mp4");
        case TestMovie::Rotated: {
            // Stored a quarter turn clockwise; the display matrix that ffmpeg
            // writes for "rotate=90" turns it back counter-clockwise.
            makeBands(in("rotated-stored.mp4"), 2, 72, 128, rate, 50, ",transpose=1", {});
            runFFmpeg(
                {"-i", in("rotated-stored.mp4"), "-c", "copy", "-metadata:s:v:0", "rotate=90", in("rotated.mp4")});
            return in("rotated.mp4");
        }
        case TestMovie::Truncated: {
            makeBands(in("whole.mp4"), 5, 128, 72, rate, 50, "", {"-movflags", "+faststart"});
            const auto size = fs::file_size(in("whole.mp4"));
            fs::copy_file(in("whole.mp4"), in("truncated.mp4"));
            fs::resize_file(in("truncated.mp4"), size * 3 / 4);
            return in("truncated.mp4");
        }
        case TestMovie::ColourBars: {
            // The bar of column X is trunc(4X/W); each channel picks its level.
            auto channel = [](auto level) {
                std::string value = "0";
                for (int bar = 3; bar >= 0; --bar)
                    value = "if(eq(trunc(4*X/W)," + std::to_string(bar) + ")," +
                            std::to_string(level(kColourBars[bar])) + "," + value + ")";
                return "'" + value + "'";
            };
            runFFmpeg({"-f", "lavfi", "-i", "nullsrc=s=1280x720:r=" + std::to_string(rate) + ":d=1", "-vf",
                       "format=gbrp,geq=r=" + channel([](Rgb c) { return c.r; }) +
                           ":g=" + channel([](Rgb c) { return c.g; }) + ":b=" + channel([](Rgb c) { return c.b; }) +
                           ",scale=out_color_matrix=bt709:out_range=tv,format=yuv420p",
                       "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv",
                       "-c:v", "libx264", "-crf", "10", in("colour-bars.mp4")});
            return in("colour-bars.mp4");
        }
        case TestMovie::NotAVideo: {
            std::ofstream(in("not-a-video.mp4")) << "This is a shopping list, not a movie.\n";
            return in("not-a-video.mp4");
        }
    }
    throw std::logic_error("unknown test movie");
}

}  // namespace

std::string testMovie(TestMovie movie) {
    static std::mutex lock;
    static RunFolder folder("tollivar-movies");
    static std::map<TestMovie, std::string> made;
    std::lock_guard guard(lock);
    auto found = made.find(movie);
    if (found != made.end()) return found->second;
    return made[movie] = make(movie, folder.path());
}

}  // namespace testsupport
