#include "support/TestSounds.h"

#include "support/ChildProcess.h"
#include "support/Process.h"
#include "support/RunFolder.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>

namespace testsupport {

namespace {

namespace fs = std::filesystem;

std::string keyOf(const TestSound& sound) {
    std::string key = sound.expression + "/" + std::to_string(sound.seconds) + "/" + std::to_string(sound.sampleRate) +
                      "/" + sound.extension;
    for (const auto& option : sound.options) key += "/" + option;
    return key;
}

}  // namespace

std::string testSound(const TestSound& sound) {
    static std::mutex mutex;
    static RunFolder folder("tollivar-sounds");
    static std::map<std::string, std::string> made;
    std::lock_guard lock(mutex);
    const std::string key = keyOf(sound);
    if (auto found = made.find(key); found != made.end()) return found->second;

    const std::string path = folder.path() + "/sound-" + std::to_string(made.size()) + "." + sound.extension;
    std::vector<std::string> argv = {"ffmpeg",
                                     "-hide_banner",
                                     "-loglevel",
                                     "error",
                                     "-nostdin",
                                     "-y",
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "aevalsrc='" + sound.expression + "':s=" + std::to_string(sound.sampleRate) +
                                         ":d=" + std::to_string(sound.seconds)};
    argv.insert(argv.end(), sound.options.begin(), sound.options.end());
    argv.push_back(path);
    ProcessResult result = runProcess(argv);
    if (result.exitCode != 0) throw std::runtime_error("ffmpeg failed: " + result.output);
    made.emplace(key, path);
    return path;
}

std::string ffmpegOutput(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildProcess::Options options;
    options.captureOutput = true;
    auto child = ChildProcess::spawn(argv, options);
    std::string output = child.readOutput();
    if (int code = child.wait(); code != 0)
        throw std::runtime_error("ffmpeg failed with status " + std::to_string(code));
    return output;
}

std::string audioPacketChecksums(const std::string& path) {
    return ffmpegOutput({"-i", path, "-map", "0:a", "-c", "copy", "-f", "framemd5", "-"});
}

}  // namespace testsupport
