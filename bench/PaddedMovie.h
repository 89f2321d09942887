#pragma once

// Movies of any size for the share benchmarks, QuickTime files with their
// index at the front, filled up to the size asked for by a trailing "free"
// box of noise that players and the movie probe skip.

#include "BenchSupport.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace bench {

// Appends a "free" box of noise to `movie` so that it weighs `bytes`.
inline bool padMovieWithFreeBox(const std::filesystem::path& movie, uint64_t bytes) {
    const uint64_t have = std::filesystem::file_size(movie);
    if (have + 8 > bytes) return have == bytes;
    const uint64_t boxBytes = bytes - have;
    if (boxBytes > 0xFFFFFFFFull) return false;
    std::ofstream out(movie, std::ios::binary | std::ios::app);
    const unsigned char header[8] = {static_cast<unsigned char>(boxBytes >> 24),
                                     static_cast<unsigned char>(boxBytes >> 16),
                                     static_cast<unsigned char>(boxBytes >> 8),
                                     static_cast<unsigned char>(boxBytes),
                                     'f',
                                     'r',
                                     'e',
                                     'e'};
    out.write(reinterpret_cast<const char*>(header), 8);
    std::mt19937_64 noise(7);
    std::vector<uint64_t> block(1 << 17);
    for (uint64_t left = boxBytes - 8; left > 0;) {
        for (auto& word : block) word = noise();
        const uint64_t n = std::min<uint64_t>(left, block.size() * sizeof(uint64_t));
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
        left -= n;
    }
    return static_cast<bool>(out);
}

// One second of H.264 test pattern at `size` pixels ("640x360") made by
// ffmpeg, padded to `bytes`: a short movie that weighs as much as a long
// render. `scratch` is a folder for the short one. False when ffmpeg or a
// write failed.
inline bool makePaddedMovie(const std::filesystem::path& scratch, const std::filesystem::path& movie, uint64_t bytes,
                            const std::string& size) {
    namespace fs = std::filesystem;
    const fs::path small = scratch / "small.mov";
    if (!runCommand({"ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=" + size + ":rate=12",
                     "-t", "1", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-movflags", "+faststart", small.string()}))
        return false;
    std::error_code failed;
    fs::copy_file(small, movie, fs::copy_options::overwrite_existing, failed);
    fs::remove(small, failed);
    return padMovieWithFreeBox(movie, bytes);
}

// A movie whose pictures fill nearly all of `bytes`, as a long render's do:
// a second of H.264 noise at `size` pixels, 12 pictures a second at about
// the bit rate of a 720p render, repeated as often as it fits (ffmpeg copies
// it, no encoding), padded to `bytes`. Checking it costs what checking a
// render of that size does.
inline bool makeFullMovie(const std::filesystem::path& scratch, const std::filesystem::path& movie, uint64_t bytes,
                          const std::string& size) {
    namespace fs = std::filesystem;
    const fs::path second = scratch / "second.mov";
    if (!runCommand({"ffmpeg",       "-loglevel",
                     "error",        "-y",
                     "-f",           "lavfi",
                     "-i",           "nullsrc=size=" + size + ":rate=12,geq=lum='random(1)*255':cb=128:cr=128",
                     "-t",           "1",
                     "-c:v",         "libx264",
                     "-preset",      "ultrafast",
                     "-b:v",         "5M",
                     "-maxrate",     "5M",
                     "-bufsize",     "5M",
                     "-pix_fmt",     "yuv420p",
                     second.string()}))
        return false;
    // Room for the longer index.
    const uint64_t repeats = bytes * 97 / 100 / fs::file_size(second);
    if (repeats == 0) return false;
    const bool made = runCommand({"ffmpeg", "-loglevel", "error", "-y", "-stream_loop", std::to_string(repeats - 1),
                                  "-i", second.string(), "-c", "copy", "-movflags", "+faststart", movie.string()});
    std::error_code ignored;
    fs::remove(second, ignored);
    return made && padMovieWithFreeBox(movie, bytes);
}

}  // namespace bench
