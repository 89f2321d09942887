#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageMovieWriter.h"
#include "components/gpuimage/GPUImagePicture.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/media/Asset.h"
#include "platform/media/MediaError.h"
#include "platform/media/MediaMetadata.h"
#include "platform/media/VideoSampleReader.h"
#include "support/MovieFacts.h"
#include "support/Process.h"
#include "support/RunFolder.h"

#include <QImage>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <gtest/gtest.h>

using namespace gpuimage;
using graphics::Size;
using media::MediaTime;

namespace {

testsupport::RunFolder& folder() {
    static testsupport::RunFolder run("tollivar-gpuwriter");
    return run;
}

// A path no earlier run of the test used (tests may repeat in one process).
std::string moviePath(const std::string& name) {
    static int run = 0;
    return folder().path() + "/" + std::to_string(++run) + "-" + name;
}

// Finishes the writer and waits for the file (the handler runs on a global queue).
void finishAndWait(GPUImageMovieWriter& writer) {
    foundation::DispatchSemaphore done(0);
    writer.finishRecordingWithCompletionHandler([&] { done.signal(); });
    ASSERT_TRUE(done.wait(60)) << "the writer never finished";
}

// A tone of `frames` frames at 44.1 kHz starting at sample `first`, mono.
media::AudioSampleBuffer tone(int64_t first, int64_t frames) {
    media::AudioSampleBuffer buffer;
    buffer.presentationTime = MediaTime::make(first, 44100);
    buffer.sampleRate = 44100;
    buffer.channelCount = 1;
    for (int64_t i = 0; i < frames; ++i)
        buffer.samples.push_back(0.4f * float(std::sin(2 * M_PI * 440 * double(first + i) / 44100)));
    return buffer;
}

// A writer fed a solid picture by hand: frames at the given times.
struct Rig {
    std::shared_ptr<GPUImagePicture> picture;
    std::shared_ptr<GPUImageMovieWriter> writer;

    Rig(const std::string& path, Size size, graphics::RGBA colour, bool live = false) {
        picture = *GPUImagePicture::create(graphics::Image::filled(int(size.width), int(size.height), colour));
        writer = GPUImageMovieWriter::create(path, size);
        writer->setEncodingLiveVideo(live);
        picture->addTarget(writer);
    }
    void frameAt(MediaTime time) {
        runSynchronouslyOnContextQueue([&] { writer->newFrameReadyAtTime(time, 0); });
    }
};

// A picture of four colours, one to each quarter (top left, top right,
// bottom left, bottom right), top row first.
graphics::Image quarters(Size size, const std::array<graphics::RGBA, 4>& colours) {
    const int width = int(size.width), height = int(size.height);
    QImage bitmap(width, height, QImage::Format_RGBA8888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const graphics::RGBA c = colours[size_t(2 * (y >= height / 2) + (x >= width / 2))];
            bitmap.setPixelColor(x, y, QColor(c.r, c.g, c.b, c.a));
        }
    return graphics::Image(bitmap);
}

}  // namespace

// 90 frames at 30 frames a second with sound, as ffprobe reads the file back.
TEST(GPUImageMovieWriter, WritesH264FramesAndAacMonoSound) {
    const std::string path = moviePath("ninety.mov");
    Rig rig(path, Size{96, 64}, {200, 40, 90, 255});
    rig.writer->setHasAudioTrack(true);
    EXPECT_EQ(rig.writer->duration(), MediaTime::zero()) << "nothing written yet";
    const graphics::AffineTransform quarterTurn{0, 1, -1, 0, 64, 0};
    rig.writer->startRecordingInOrientation(quarterTurn);
    EXPECT_EQ(rig.writer->transform(), quarterTurn);
    for (int i = 0; i < 90; ++i) {
        rig.writer->processAudioBuffer(tone(int64_t(i) * 1470, 1470));
        rig.frameAt(MediaTime::make(i, 30));
    }
    EXPECT_EQ(rig.writer->duration(), MediaTime::make(89, 30));
    finishAndWait(*rig.writer);
    EXPECT_FALSE(rig.writer->error().has_value()) << rig.writer->error()->description;

    const auto facts = testsupport::probeMovieFacts(path);
    EXPECT_EQ(facts.majorBrand, "qt  ");
    EXPECT_EQ(facts.videoCodec, "h264");
    EXPECT_EQ(facts.width, 96);
    EXPECT_EQ(facts.height, 64);
    ASSERT_EQ(facts.frameTimes.size(), 90u);
    for (size_t i = 0; i < facts.frameTimes.size(); ++i) EXPECT_NEAR(facts.frameTimes[i], double(i) / 30, 1e-3) << i;
    EXPECT_EQ(facts.audioCodec, "aac");
    EXPECT_EQ(facts.channels, 1);
    EXPECT_EQ(facts.sampleRate, 44100);
    EXPECT_NEAR(facts.audioBitRate, 64000, 16000);
    EXPECT_NEAR(facts.audioDurationSeconds, 3.0, 0.05);
    auto asset = media::Asset::open(path);
    ASSERT_TRUE(asset);
    EXPECT_EQ(asset->firstVideoTrack()->preferredTransform, quarterTurn);

    // The colours keep their channels (the framebuffer is read as BGRA).
    auto reader = media::VideoSampleReader::open(path);
    ASSERT_TRUE(reader);
    auto first = (*reader)->next();
    ASSERT_TRUE(first && *first);
    const uint8_t* pixel = (*first)->pixels.row(32) + 48 * 4;
    EXPECT_NEAR(pixel[2], 200, 8);
    EXPECT_NEAR(pixel[1], 40, 8);
    EXPECT_NEAR(pixel[0], 90, 8);
}

// A recording says its colours, BT.709 from HD sizes on, BT.601 below, and
// ffmpeg shows them whether it follows the tags or the size's convention: a
// red far enough from grey for the two matrices to part.
TEST(GPUImageMovieWriter, RecordingsSayTheirColoursAndShowThem) {
    const graphics::RGBA red{220, 40, 60, 255};
    for (const Size size : {Size{96, 64}, Size{1280, 720}}) {
        SCOPED_TRACE(size.toString());
        const std::string path = moviePath("colours.mov");
        Rig rig(path, size, red);
        rig.writer->startRecording();
        for (int i = 0; i < 2; ++i) rig.frameAt(MediaTime::make(i, 30));
        finishAndWait(*rig.writer);
        ASSERT_FALSE(rig.writer->error().has_value()) << rig.writer->error()->description;
        const testsupport::Rgb shown{red.r, red.g, red.b};
        testsupport::expectOurColours(path, int(size.width), int(size.height), {shown, shown});
    }
}

// Frame times the file cannot take are passed over; the rest are written.
TEST(GPUImageMovieWriter, FramesAtUnusableTimesAreIgnored) {
    const std::string path = moviePath("times.mov");
    Rig rig(path, Size{32, 32}, {0, 0, 255, 255});
    rig.frameAt(MediaTime::make(0, 30));  // not recording yet
    rig.writer->startRecording();
    for (MediaTime time :
         {MediaTime::make(0, 30), MediaTime::make(0, 30), MediaTime::invalid(), MediaTime::positiveInfinity(),
          MediaTime::make(1, 30), MediaTime::make(20001, 600000), MediaTime::make(0, 30), MediaTime::make(2, 30)})
        rig.frameAt(time);
    finishAndWait(*rig.writer);
    const auto facts = testsupport::probeMovieFacts(path);
    ASSERT_EQ(facts.frameTimes.size(), 3u);
    EXPECT_NEAR(facts.frameTimes[2], 2.0 / 30, 1e-3);
}

// A live writer whose sound never comes cannot take more pictures once the
// pictures are a second ahead: they are dropped, and the context queue
// goes on.
TEST(GPUImageMovieWriter, LiveWriterDropsWhatItIsNotReadyFor) {
    gpuimagetest::LogCapture log;
    const std::string path = moviePath("live.mov");
    Rig rig(path, Size{32, 32}, {0, 255, 0, 255}, true);
    rig.writer->setHasAudioTrack(true);
    rig.writer->startRecording();
    // Frames are appended on the writing queue, which may lag behind: a
    // frame passed on before the input filled up is dropped there instead.
    for (int i = 0; i < 90; ++i) rig.frameAt(MediaTime::make(i, 30));
    ASSERT_TRUE(log.waitFor("Had to drop a video frame: {89/30 ", 60)) << "the last frame was kept";
    // Every frame is through the writing queue and the input is full: the
    // next frame is dropped before it is drawn.
    rig.frameAt(MediaTime::make(90, 30));
    EXPECT_TRUE(log.contains("1: Had to drop a video frame: {90/30 "));
    finishAndWait(*rig.writer);
    // Exactly the first second (and the frame that reached past it) is kept,
    // and each of the others is dropped once.
    const auto facts = testsupport::probeMovieFacts(path);
    ASSERT_EQ(facts.frameTimes.size(), 31u);
    for (size_t i = 0; i < facts.frameTimes.size(); ++i) EXPECT_NEAR(facts.frameTimes[i], double(i) / 30, 1e-3) << i;
    EXPECT_EQ(log.count("Had to drop a video frame: {"), 91u - 31u);
}

TEST(GPUImageMovieWriter, FinishAndCancelInEveryState) {
    // Never started: the handler still runs, and no file appears.
    {
        const std::string path = moviePath("never.mov");
        Rig rig(path, Size{32, 32}, {1, 2, 3, 255});
        finishAndWait(*rig.writer);
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    // Cancelled while writing: no file; a finish afterwards only runs the handler.
    {
        const std::string path = moviePath("cancelled.mov");
        Rig rig(path, Size{32, 32}, {1, 2, 3, 255});
        rig.writer->startRecording();
        rig.frameAt(MediaTime::make(0, 30));
        rig.writer->cancelRecording();
        EXPECT_FALSE(rig.writer->isRecording());
        finishAndWait(*rig.writer);
        EXPECT_EQ(rig.writer->assetWriter()->status(), media::AssetWriterStatus::Cancelled);
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    // Cancel after the file completed leaves it alone.
    {
        const std::string path = moviePath("kept.mov");
        Rig rig(path, Size{32, 32}, {1, 2, 3, 255});
        rig.writer->startRecording();
        rig.frameAt(MediaTime::make(0, 30));
        finishAndWait(*rig.writer);
        rig.writer->cancelRecording();
        EXPECT_EQ(rig.writer->assetWriter()->status(), media::AssetWriterStatus::Completed);
        EXPECT_TRUE(std::filesystem::exists(path));
    }
}

TEST(GPUImageMovieWriter, EndOfTheSourceCallsTheCompletionOnce) {
    Rig rig(moviePath("ends.mov"), Size{32, 32}, {1, 2, 3, 255});
    int completions = 0;
    rig.writer->setCompletionBlock([&] { ++completions; });
    rig.writer->startRecording();
    rig.writer->endProcessing();
    rig.writer->endProcessing();
    EXPECT_EQ(completions, 1);
    rig.writer->cancelRecording();

    struct Delegate : GPUImageMovieWriterDelegate {
        int completed = 0;
        void movieRecordingCompleted() override { ++completed; }
    };
    auto delegate = std::make_shared<Delegate>();
    Rig other(moviePath("delegate.mov"), Size{32, 32}, {1, 2, 3, 255});
    other.writer->setDelegate(delegate);
    other.writer->endProcessing();
    EXPECT_EQ(delegate->completed, 1);
}

TEST(GPUImageMovieWriter, WritersThatCannotBeMadeKeepTheirError) {
    gpuimagetest::LogCapture log;
    // Settings without a codec, width and height.
    auto missing = GPUImageMovieWriter::create(moviePath("settings.mov"), Size{32, 32},
                                               media::AssetWriter::kFileTypeQuickTimeMovie,
                                               foundation::Dictionary{{kGPUImageEncodingLiveVideoKey, false}});
    ASSERT_TRUE(missing->error());
    EXPECT_EQ(missing->error()->description, kGPUImageMissingSettingsText);
    EXPECT_FALSE(missing->encodingLiveVideo());
    EXPECT_TRUE(log.contains("Error: OutputSettings is missing required parameters."));

    // A file already there: the asset writer's error; later calls do nothing.
    const std::string taken = moviePath("taken.mov");
    std::FILE* file = std::fopen(taken.c_str(), "w");
    std::fclose(file);
    auto refused = GPUImageMovieWriter::create(taken, Size{32, 32});
    ASSERT_TRUE(refused->error());
    refused->startRecording();
    refused->processAudioBuffer(tone(0, 100));
    finishAndWait(*refused);
    EXPECT_EQ(std::filesystem::file_size(taken), 0u);

    EXPECT_EQ(refused->transform(), (graphics::AffineTransform{0, 0, 0, 0, 0, 0})) << "no video track";
    EXPECT_TRUE(refused->metaData().empty());
    EXPECT_FALSE(refused->setMetaData({{media::MetadataKey::Title, "nowhere"}})) << "no movie to carry it";

    // Given settings choose the size.
    const std::string sized = moviePath("sized.mov");
    auto writer = GPUImageMovieWriter::create(sized, Size{32, 32}, media::AssetWriter::kFileTypeQuickTimeMovie,
                                              foundation::Dictionary{{kGPUImageVideoCodecKey, kGPUImageVideoCodecH264},
                                                                     {kGPUImageVideoWidthKey, 48},
                                                                     {kGPUImageVideoHeightKey, 16}});
    EXPECT_FALSE(writer->error().has_value());
    writer->startRecording();
    finishAndWait(*writer);
    EXPECT_EQ(writer->assetWriter()->status(), media::AssetWriterStatus::Completed);
}

// An unturned picture of the movie's size is read as it is, any other is
// drawn into the writer's framebuffer: either way each quarter of the
// picture lands where the pipeline put it, with its own colour.
TEST(GPUImageMovieWriter, EachQuarterOfThePictureLandsInItsPlace) {
    const graphics::RGBA red{220, 30, 30, 255}, green{30, 200, 40, 255}, blue{40, 60, 220, 255},
        yellow{230, 220, 40, 255};
    const Size movie{64, 48};
    struct Case {
        const char* what;
        Size picture;
        GPUImageRotationMode rotation;
        std::array<graphics::RGBA, 4> expected;
    };
    for (const Case& c : {
             Case{"the movie's size, unturned", movie, GPUImageRotationMode::NoRotation, {red, green, blue, yellow}},
             Case{"half the movie's size", Size{32, 24}, GPUImageRotationMode::NoRotation, {red, green, blue, yellow}},
             Case{"turned half round", movie, GPUImageRotationMode::Rotate180, {yellow, blue, green, red}},
             Case{"flipped left to right", movie, GPUImageRotationMode::FlipHorizontal, {green, red, yellow, blue}},
         }) {
        SCOPED_TRACE(c.what);
        const std::string path = moviePath("quarters.mov");
        auto picture = *GPUImagePicture::create(quarters(c.picture, {red, green, blue, yellow}));
        auto writer = GPUImageMovieWriter::create(path, movie);
        writer->setEncodingLiveVideo(false);
        picture->addTarget(writer);
        picture->processImage();
        runSynchronouslyOnContextQueue([&] { writer->setInputRotation(c.rotation, 0); });
        writer->startRecording();
        for (int i = 0; i < 2; ++i)
            runSynchronouslyOnContextQueue([&] { writer->newFrameReadyAtTime(MediaTime::make(i, 30), 0); });
        finishAndWait(*writer);
        ASSERT_FALSE(writer->error().has_value()) << writer->error()->description;

        auto reader = media::VideoSampleReader::open(path);
        ASSERT_TRUE(reader);
        auto first = (*reader)->next();
        ASSERT_TRUE(first && *first);
        for (size_t quarter = 0; quarter < 4; ++quarter) {
            const uint8_t* pixel = (*first)->pixels.row(quarter < 2 ? 12 : 36) + (quarter % 2 ? 48 : 16) * 4;
            const graphics::RGBA& expected = c.expected[quarter];
            EXPECT_NEAR(pixel[2], expected.r, 10) << "quarter " << quarter;
            EXPECT_NEAR(pixel[1], expected.g, 10) << "quarter " << quarter;
            EXPECT_NEAR(pixel[0], expected.b, 10) << "quarter " << quarter;
        }
    }
}

// What the movie says about itself reaches the file as it was set before
// recording, and ffprobe reads the same as libavformat does.
TEST(GPUImageMovieWriter, WritesItsMetadataIntoTheMovie) {
    using media::MetadataKey;
    const std::string path = moviePath("tagged.mov");
    Rig rig(path, Size{32, 32}, {90, 90, 90, 255});
    const std::vector<media::MetadataItem> items = {
        {MetadataKey::Title, "The Rabbit's Picnic"},
        {MetadataKey::Author, "Hamid & Noor"},
        {MetadataKey::Comment, "second take; \"wobbly\" ears"},
        {MetadataKey::CreationDate, foundation::Date::fromUnixTime(1700000000.25)},
        {MetadataKey::Copyright, "CC BY 4.0"},
    };
    ASSERT_TRUE(rig.writer->setMetaData(items));
    EXPECT_EQ(rig.writer->metaData(), items);
    rig.writer->startRecording();
    auto late = rig.writer->setMetaData({{MetadataKey::Title, "Renamed"}});
    ASSERT_FALSE(late) << "refused once recording has started";
    EXPECT_EQ(late.error().code, media::kMediaErrorOperationNotAllowed);
    EXPECT_EQ(rig.writer->metaData(), items);
    for (int i = 0; i < 3; ++i) rig.frameAt(MediaTime::make(i, 30));
    finishAndWait(*rig.writer);
    ASSERT_FALSE(rig.writer->error()) << rig.writer->error()->description;

    auto read = media::readMediaMetadata(path);
    ASSERT_TRUE(read) << read.error().description;
    const std::map<std::string, std::string> expected = {
        {"title", "The Rabbit's Picnic"},
        {"artist", "Hamid & Noor"},  // FFmpeg's name for the QuickTime author
        {"comment", "second take; \"wobbly\" ears"},
        {"creation_time", "2023-11-14T22:13:20.000000Z"},  // the header keeps whole seconds
        {"copyright", "CC BY 4.0"},
    };
    const auto probed = testsupport::runProcess(
        {"ffprobe", "-v", "error", "-show_entries", "format_tags", "-of", "default=noprint_wrappers=1", path});
    ASSERT_EQ(probed.exitCode, 0) << probed.output;
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(read->tag(key), value) << key;
        EXPECT_NE(probed.output.find("TAG:" + key + "=" + value + "\n"), std::string::npos)
            << key << " in\n" << probed.output;
    }
}
