#include "support/MovieFacts.h"

#include "support/Process.h"

#include <fstream>
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

    const auto video = runProcess({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                   "stream=codec_name,profile,width,height,has_b_frames", "-of", "default=nw=1", path});
    facts.videoCodec = entry(video.output, "codec_name");
    facts.videoProfile = entry(video.output, "profile");
    facts.width = number(entry(video.output, "width"));
    facts.height = number(entry(video.output, "height"));
    const std::string bFrames = entry(video.output, "has_b_frames");
    facts.hasBFrames = bFrames.empty() ? -1 : number(bFrames);

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

bool fileContains(const std::string& path, const std::string& text) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return bytes.find(text) != std::string::npos;
}

}  // namespace testsupport
