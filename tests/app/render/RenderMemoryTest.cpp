// A 4K movie export gives back what it took: the encoder, the composed
// pictures and the sound mix go when the export ends, while the renderer is
// still held (as the share screen holds it), and the allocator hands the
// freed memory back. Measured as resident memory in a child of this test
// binary whose sanitizer keeps no freed blocks in quarantine, so that what
// shows as resident is what the process really still holds.

#include "ExportTestSupport.h"
#include "RenderTestSupport.h"
#include "app/render/TollivarMovieRenderer.h"
#include "platform/foundation/Memory.h"
#include "support/ChildProcess.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

constexpr const char* kChildVariable = "TOLLIVAR_RENDER_MEMORY_CHILD";

double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

class RenderMemoryTest : public rendertest::RenderProjectTest {
protected:
    // Runs this test again in a child whose sanitizer keeps no freed blocks.
    void runInChild() {
        testsupport::ChildProcess::Options options;
        const char* asan = std::getenv("ASAN_OPTIONS");
        options.environment = {
            std::string(kChildVariable) + "=1",
            std::string("ASAN_OPTIONS=") + (asan ? std::string(asan) + ":" : std::string()) +
                "quarantine_size_mb=0:thread_local_quarantine_size_kb=0:allocator_release_to_os_interval_ms=0"};
        options.captureOutput = true;
        options.captureErrors = true;
        auto child =
            testsupport::ChildProcess::spawn({testsupport::ChildProcess::thisExecutable(),
                                              std::string("--gtest_filter=RenderMemoryTest.") +
                                                  testing::UnitTest::GetInstance()->current_test_info()->name()},
                                             options);
        const std::string output = child.readOutput();
        EXPECT_EQ(child.wait(), 0) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    }
};

// The largest resident size since the last reset, which makes it the size now.
double peakResidentMegabytes(bool reset = false) {
    if (reset) std::ofstream("/proc/self/clear_refs") << "5";
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:")) return std::stod(line.substr(6)) / 1024;
    return 0;
}

TEST_F(RenderMemoryTest, A4KEstimateHoldsLittleMemory) {
    if (!std::getenv(kChildVariable)) return runInChild();
    for (int i = 0; i < 6; ++i) addPicture(rendertest::scenePicture(1920, 1080, i, 0, unsigned(i), 8), 1 + i % 2);
    project->setFPS(6);
    ASSERT_TRUE(project->saveAllDataToDisk());
    auto renderer = std::make_shared<TollivarMovieRenderer>(project);
    // A small estimate first, for what any estimate brings up once.
    ASSERT_NE(renderer->getEstimatedFileSizeAfterExportforType(TollivarMovieRenderer::moviePreviewType({640, 360})),
              MovieRenderer::kNoEstimate);
    foundation::memory::releaseFreedMemory();
    const double before = peakResidentMegabytes(true);
    ASSERT_NE(renderer->getEstimatedFileSizeAfterExportforType(TollivarMovieRenderer::moviePreviewType({3840, 2160})),
              MovieRenderer::kNoEstimate);
    const double peak = peakResidentMegabytes();
    std::printf("resident before the 4K estimate %.0f MB, at its peak %.0f MB\n", before, peak);
    // An encoder for the whole picture alone holds a gigabyte and more.
    EXPECT_LE(peak - before, 120) << "one strip at a time, a small encoder";
}

TEST_F(RenderMemoryTest, A4KExportGivesItsMemoryBackWhenItEnds) {
    if (!std::getenv(kChildVariable)) return runInChild();
    // Full-size pictures that differ from frame to frame, as photographs do.
    for (int i = 0; i < 8; ++i) addPicture(rendertest::numberedPicture(i * 13, 3840, 2160));
    project->setFPS(4);
    ASSERT_TRUE(project->saveAllDataToDisk());
    // A small export first: libraries, thread pools and caches that any
    // render brings up belong to the process, not to the 4K export.
    auto warmUp = std::make_shared<TollivarMovieRenderer>(project);
    ASSERT_EQ(rendertest::runExport(warmUp, TollivarMovieRenderer::moviePreviewType({640, 360})).status,
              MovieRenderer::kStatusFinished);
    const double before = residentMegabytes();

    auto renderer = std::make_shared<TollivarMovieRenderer>(project);
    ASSERT_EQ(rendertest::runExport(renderer, TollivarMovieRenderer::moviePreviewType({3840, 2160})).status,
              MovieRenderer::kStatusFinished);
    const double after = residentMegabytes();
    std::printf("resident before the 4K export %.0f MB, after it %.0f MB\n", before, after);
    EXPECT_LE(after, before * 1.5) << "the renderer is still held, its export's memory must not be";
}

}  // namespace
