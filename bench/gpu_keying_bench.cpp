// Keying 300 BGRA 1920×1080 camera frames over a backdrop on the GPU pipeline
// (raw data in → chroma-key blend → raw data out, read back to memory) against
// ffmpeg's chromakey and overlay filters on the same frames, also read back as
// BGRA, run by run in turn. Prints frames per second, CPU seconds and the
// ratio of the two speeds.

#include "BenchSupport.h"
#include "GpuBenchFrames.h"
#include "components/gpuimage/GPUImageChromaKeyBlendFilter.h"
#include "components/gpuimage/GPUImageRawDataInput.h"
#include "components/gpuimage/GPUImageRawDataOutput.h"
#include "support/RunFolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kFrames = 300;
// Distinct camera pictures, cycled: 300 distinct 1080p frames would be 2.5 GB.
constexpr int kDistinct = 30;

void writeRaw(const fs::path& path, const std::vector<std::vector<uint8_t>>& frames) {
    std::ofstream out(path, std::ios::binary);
    for (const auto& frame : frames)
        out.write(reinterpret_cast<const char*>(frame.data()), std::streamsize(frame.size()));
}

// Each camera frame is uploaded, keyed over the backdrop uploaded once, and
// read back as BGRA bytes before the next one goes in. All are keyed once
// untimed (programs, framebuffers and driver caches settle) before the
// timed side is given.
bench::Side pipelineSide(const std::vector<std::vector<uint8_t>>& camera, const std::vector<uint8_t>& backdrop) {
    using namespace gpuimage;
    const graphics::Size size{kWidth, kHeight};
    auto cameraInput = std::make_shared<GPUImageRawDataInput>(camera[0].data(), size);
    auto backdropInput = std::make_shared<GPUImageRawDataInput>(backdrop.data(), size);
    auto blend = std::make_shared<GPUImageChromaKeyBlendFilter>();
    auto output = std::make_shared<GPUImageRawDataOutput>(size, true);
    cameraInput->addTarget(blend);
    backdropInput->addTarget(blend);
    blend->addTarget(output);
    if (auto error = blend->error()) {
        std::fprintf(stderr, "no pipeline: %s\n", error->description.c_str());
        std::exit(1);
    }
    backdropInput->processData();
    // The backdrop stays bound: camera frames alone make a frame from now on.
    blend->disableSecondFrameCheck();

    auto keyAll = [&camera, cameraInput, output, size] {
        for (int frame = 0; frame < kFrames; ++frame) {
            cameraInput->updateDataFromBytes(camera[size_t(frame % kDistinct)].data(), size);
            cameraInput->processData();
            if (!output->rawBytesForImage()) {
                std::fprintf(stderr, "frame %d was not keyed\n", frame);
                return false;
            }
        }
        return true;
    };
    keyAll();
    return bench::timed(keyAll);
}

bench::Side ffmpegSide(const fs::path& folder) {
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    // Raw BGRA frames at 30 fps, the file read `loops` more times (-1: endlessly).
    auto rawInput = [&](const fs::path& file, int loops) {
        return std::vector<std::string>{"-f", "rawvideo",   "-pix_fmt", "bgra",         "-s",
                                        size, "-r",         "30",       "-stream_loop", std::to_string(loops),
                                        "-i", file.string()};
    };
    std::vector<std::string> command{"ffmpeg", "-nostdin", "-v", "error"};
    for (const auto& input :
         {rawInput(folder / "camera.bgra", kFrames / kDistinct - 1), rawInput(folder / "backdrop.bgra", -1)})
        command.insert(command.end(), input.begin(), input.end());
    command.insert(command.end(), {"-filter_complex", "[0:v]chromakey=0x00FF00:0.4:0.1[k];[1:v][k]overlay", "-frames:v",
                                   std::to_string(kFrames), "-pix_fmt", "bgra", "-f", "null", "-"});
    return bench::program([command] { return command; });
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("tollivar-gpu-keying");
    const fs::path root = scratch.path();
    std::vector<std::vector<uint8_t>> camera;
    for (int i = 0; i < kDistinct; ++i) camera.push_back(bench::greenScreenFrame(kWidth, kHeight, i));
    const std::vector<uint8_t> backdrop = bench::backdropFrame(kWidth, kHeight);
    writeRaw(root / "camera.bgra", camera);
    writeRaw(root / "backdrop.bgra", {backdrop});

    const auto times = bench::compare(3, pipelineSide(camera, backdrop), ffmpegSide(root));

    std::printf("gpu keying: %d frames, ours %.1f fps, ffmpeg %.1f fps\n", kFrames,
                kFrames / bench::medianOf(times.ours), kFrames / bench::medianOf(times.reference));
    return bench::report("gpu keying", times, bench::Target::atLeast(2.0)) ? 0 : 1;
}
