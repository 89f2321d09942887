#include "support/MovieFacts.h"

#include "support/Process.h"
#include "support/TestSounds.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace testsupport {

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        if (!line.empty()) result.push_back(line);
    return result;
}

// "key=value" lines of ffprobe's default writer, for one stream kind.
std::string entry(const std::string& output, const std::string& key) {
    for (const std::string& line : lines(output))
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    return {};
}

int number(const std::string& text) { return text.empty() ? 0 : std::stoi(text); }

}  // namespace

MovieFacts probeMovieFacts(const std::string& path) {
    MovieFacts facts;
    const auto format =
        runProcess({"ffprobe", "-v", "error", "-show_entries", "format_tags=major_brand", "-of", "default=nw=1", path});
    if (format.exitCode != 0) return facts;
    facts.readable = true;
    facts.majorBrand = entry(format.output, "TAG:major_brand");

    const auto video = runProcess(
        {"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
         "stream=codec_name,profile,width,height,has_b_frames,color_space,color_primaries,color_transfer,color_range",
         "-of", "default=nw=1", path});
    facts.videoCodec = entry(video.output, "codec_name");
    facts.videoProfile = entry(video.output, "profile");
    facts.width = number(entry(video.output, "width"));
    facts.height = number(entry(video.output, "height"));
    const std::string bFrames = entry(video.output, "has_b_frames");
    facts.hasBFrames = bFrames.empty() ? -1 : number(bFrames);
    facts.colours = entry(video.output, "color_space") + "/" + entry(video.output, "color_primaries") + "/" +
                    entry(video.output, "color_transfer") + "/" + entry(video.output, "color_range");

    const auto audio =
        runProcess({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                    "stream=codec_name,sample_rate,channels,duration,bit_rate", "-of", "default=nw=1", path});
    facts.audioCodec = entry(audio.output, "codec_name");
    facts.sampleRate = number(entry(audio.output, "sample_rate"));
    facts.channels = number(entry(audio.output, "channels"));
    const std::string bitRate = entry(audio.output, "bit_rate");
    facts.audioBitRate = bitRate.empty() || bitRate == "N/A" ? 0 : number(bitRate);
    const std::string duration = entry(audio.output, "duration");
    facts.audioDurationSeconds = duration.empty() || duration == "N/A" ? 0 : std::stod(duration);

    const auto frames = runProcess({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                    "packet=pts_time", "-of", "csv=p=0", path});
    for (const std::string& line : lines(frames.output)) facts.frameTimes.push_back(std::stod(line));
    return facts;
}

std::string ourColours(int width, int height) {
    return height >= 720 || width >= 1280 ? "bt709/bt709/bt709/tv" : "smpte170m/bt709/bt709/tv";
}

int levelsApart(const Rgb& a, const Rgb& b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

std::string toString(const Rgb& colour) {
    return std::to_string(colour.r) + "," + std::to_string(colour.g) + "," + std::to_string(colour.b);
}

void expectMiddleColours(const std::string& path, const std::string& matrix, const std::vector<Rgb>& expected) {
    const std::string read = matrix.empty() ? "" : ",scale=in_color_matrix=" + matrix + ":in_range=tv";
    const std::string decoded = ffmpegOutput(
        {"-i", path, "-fps_mode", "passthrough", "-vf", "crop=2:2" + read, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    ASSERT_EQ(decoded.size(), expected.size() * 12) << matrix;
    for (size_t i = 0; i < expected.size(); ++i) {
        const Rgb shown{uint8_t(decoded[12 * i]), uint8_t(decoded[12 * i + 1]), uint8_t(decoded[12 * i + 2])};
        EXPECT_LE(levelsApart(shown, expected[i]), 4)
            << "picture " << i << " read by '" << matrix << "': " << toString(shown);
    }
}

void expectOurColours(const std::string& path, int width, int height, const std::vector<Rgb>& expected) {
    EXPECT_EQ(probeMovieFacts(path).colours, ourColours(width, height));
    expectMiddleColours(path, "", expected);
    expectMiddleColours(path, ourColours(width, height).starts_with("bt709") ? "bt709" : "bt601", expected);
}

bool fileContains(const std::string& path, const std::string& text) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return bytes.find(text) != std::string::npos;
}

}  // namespace testsupport
