// The sounds the build synthesises, as the resource lookup finds them and
// as ffprobe and ffmpeg read them.

#include "platform/foundation/Bundle.h"
#include "support/Process.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>

namespace fs = std::filesystem;

namespace {

struct Heard {
    std::string codec;
    double seconds = 0;
    double loudestDecibels = -1000;  // of the decoded samples
};

Heard listen(const std::string& file) {
    Heard heard;
    auto probe = testsupport::runProcess(
        {"ffprobe", "-v", "error", "-show_entries", "format=duration:stream=codec_name", "-of", "csv=p=0", file});
    std::smatch match;
    if (std::regex_search(probe.output, match, std::regex("([a-z0-9]+)\\s+([0-9.]+)"))) {
        heard.codec = match[1];
        heard.seconds = std::stod(match[2]);
    }
    auto volume = testsupport::runProcess({"ffmpeg", "-nostdin", "-i", file, "-af", "volumedetect", "-f", "null", "-"});
    if (std::regex_search(volume.output, match, std::regex("max_volume: (-?[0-9.]+) dB")))
        heard.loudestDecibels = std::stod(match[1]);
    return heard;
}

std::vector<std::string> soundsIn(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".m4a") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

TEST(GeneratedSounds, SilenceLastsFiveMinutesAndThemeFoldersHoldAudibleSounds) {
    foundation::Bundle resources(TOLLIVAR_BUILD_RESOURCES);
    auto silence = resources.pathForResource("silent_audio", "m4a");
    auto music = resources.pathForResource("theme_music", "bundle");
    auto effects = resources.pathForResource("theme_effects", "bundle");
    ASSERT_TRUE(silence && music && effects);

    Heard quiet = listen(*silence);
    EXPECT_EQ(quiet.codec, "aac");
    EXPECT_GE(quiet.seconds, 300.0);
    EXPECT_LE(quiet.loudestDecibels, -80.0);

    struct Folder {
        std::string path;
        size_t fewest;
        double longestAtLeast;
    } folders[] = {{*music, 3, 60.0}, {*effects, 6, 0.0}};
    for (const Folder& folder : folders) {
        SCOPED_TRACE(folder.path);
        auto files = soundsIn(folder.path);
        EXPECT_GE(files.size(), folder.fewest);
        double longest = 0;
        for (const std::string& file : files) {
            SCOPED_TRACE(file);
            Heard heard = listen(file);
            EXPECT_EQ(heard.codec, "aac");
            EXPECT_GT(heard.seconds, 0.1);
            EXPECT_GT(heard.loudestDecibels, -12.0);  // plainly audible, not a silent placeholder
            longest = std::max(longest, heard.seconds);
        }
        EXPECT_GE(longest, folder.longestAtLeast);
    }
}
