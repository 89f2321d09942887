#pragma once

// Sound files made by the ffmpeg command for the tests that read audio:
// an `aevalsrc` expression (of t, in seconds; one expression per channel,
// separated by '|') rendered at a rate into a file whose extension picks the
// format (wav, mp3, m4a, aif). Each is made once per test run into a
// temporary folder (removed when the process ends) and handed out by path.
//
//     std::string path = testsupport::testSound({"0.25", 2.0});  // mono WAV, 44.1 kHz

#include <string>
#include <vector>

namespace testsupport {

struct TestSound {
    std::string expression;
    double seconds = 1;
    int sampleRate = 44100;
    std::string extension = "wav";
    // More ffmpeg output options (codec, bit rate), before the file name.
    std::vector<std::string> options = {};
};

std::string testSound(const TestSound& sound);

// What ffmpeg writes to standard output for the arguments (its messages
// left out); throws std::runtime_error when it fails.
std::string ffmpegOutput(const std::vector<std::string>& arguments);

// The audio packets of a file as ffmpeg's framemd5 muxer lists them (time
// base, codec, sample rate, layout, then timestamps, size and MD5 of every
// packet): two files with the same list hold the same packets.
std::string audioPacketChecksums(const std::string& path);

}  // namespace testsupport
