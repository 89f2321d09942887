#include "platform/media/AssetWriter.h"
#include "support/RunFolder.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace media;

namespace {

enum class Racer { Pcm, Aac, Video };
enum class Ending { Cancel, Failure };

constexpr int kSide = 64;
constexpr int kFrameRate = 12;
constexpr size_t kAudioFrames = 1024;

// One writer whose `racer` input appends on a thread of its own, until an
// append fails, while the test's thread ends the writer after
// `appendsBefore` appends: the race of a render whose other track fails or
// whose user cancels. The writer as the end left it.
std::shared_ptr<AssetWriter> race(const std::string& path, Racer racer, Ending ending, int appendsBefore) {
    auto writer = *AssetWriter::create(path, AssetWriter::kFileTypeQuickTimeMovie);
    auto video = AssetWriterInput::video({kSide, kSide, 500'000, kFrameRate});
    auto audio =
        racer == Racer::Aac ? AssetWriterInput::aacAudio({44100, 2, 64000}) : AssetWriterInput::audio({44100, 2});
    writer->addInput(video);
    writer->addInput(audio);
    if (!writer->startWriting()) return writer;
    writer->startSessionAtSourceTime(MediaTime::zero());

    std::atomic<int> appends{0};
    std::atomic<bool> stopped{false};
    std::thread appender([&] {
        const PixelBuffer picture = PixelBuffer::create(kSide, kSide);
        // Each kind in the form its input takes without a conversion, so the
        // append meets the writer first thing.
        const std::vector<int16_t> pcm(2 * kAudioFrames, 1000);
        const std::vector<float> samples(2 * kAudioFrames, 0.03f);
        for (int64_t i = 0;; ++i, ++appends) {
            const MediaTime soundTime = MediaTime::make(i * int64_t(kAudioFrames), 44100);
            const bool appended =
                racer == Racer::Video ? video->appendPixelBuffer(picture, MediaTime::make(i, kFrameRate))
                : racer == Racer::Aac ? audio->appendAudioSamples(samples.data(), kAudioFrames, soundTime)
                                      : audio->appendAudioSamples(pcm.data(), kAudioFrames, soundTime);
            if (!appended) break;
        }
        stopped = true;
    });
    while (appends.load() < appendsBefore && !stopped.load()) std::this_thread::yield();
    if (ending == Ending::Cancel) {
        writer->cancelWriting();
    } else {
        // The other track fails the writer with a picture that does not fit.
        video->appendPixelBuffer(PixelBuffer::create(kSide / 2, kSide), MediaTime::make(1000, kFrameRate));
    }
    appender.join();
    return writer;
}

}  // namespace

// Appends that race the end of their writer (another track failing it, or a
// cancel) stop cleanly: the appends after the end return false, the writer
// keeps the status and error of its end, and no file is left. Under the
// sanitizers an append that still reached the freed muxer is caught here.
TEST(AssetWriterRaceTest, AppendsRacingTheWritersEndStopCleanly) {
    testsupport::RunFolder folder("tollivar-writer-race");
    const std::string path = folder.path() + "/race.mov";
    struct Combination {
        Racer racer;
        Ending ending;
    };
    const Combination combinations[] = {{Racer::Pcm, Ending::Cancel},   {Racer::Pcm, Ending::Failure},
                                        {Racer::Aac, Ending::Cancel},   {Racer::Aac, Ending::Failure},
                                        {Racer::Video, Ending::Cancel}};
    for (const Combination& c : combinations) {
        for (int round = 0; round < 24; ++round) {
            SCOPED_TRACE("racer " + std::to_string(int(c.racer)) + ", ending " + std::to_string(int(c.ending)) +
                         ", round " + std::to_string(round));
            // The encoders hand out their first packets only once their
            // lookahead (x264) or priming (AAC) is full.
            const int appendsBefore = (c.racer == Racer::Video ? 24 : c.racer == Racer::Aac ? 2 : 1) + round % 6;
            const auto writer = race(path, c.racer, c.ending, appendsBefore);
            if (c.ending == Ending::Cancel) {
                EXPECT_EQ(writer->status(), AssetWriterStatus::Cancelled);
                EXPECT_FALSE(writer->error());
            } else {
                EXPECT_EQ(writer->status(), AssetWriterStatus::Failed);
                ASSERT_TRUE(writer->error());
                EXPECT_NE(writer->error()->description.find("does not fit the movie"), std::string::npos)
                    << writer->error()->description;
            }
            EXPECT_TRUE(fs::is_empty(folder.path())) << "no movie and no temporary file";
            if (HasFailure()) return;
        }
    }
}
