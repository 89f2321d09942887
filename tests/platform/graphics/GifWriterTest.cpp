#include "platform/foundation/FileManager.h"
#include "platform/graphics/GifWriter.h"
#include "support/Pictures.h"
#include "support/Process.h"
#include "support/RunFolder.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

using namespace graphics;

namespace {

testsupport::RunFolder& folder() {
    static testsupport::RunFolder shared("tollivar-gif");
    return shared;
}

std::string freshPath(const std::string& name) {
    std::string path = folder().path() + "/" + name;
    std::filesystem::remove(path);
    return path;
}

// Smooth colour ramps with a moving bright square: more than 256 colours,
// so the palette has to choose.
Image rampPicture(int width, int height, int shift) {
    QImage bitmap(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            bool square = std::abs(x - (shift * 7) % width) < 12 && std::abs(y - height / 2) < 12;
            bitmap.setPixel(x, y,
                            square ? qRgb(255, 255, 240)
                                   : qRgb((x * 255) / width, (y * 255) / height, ((x + y + shift * 9) * 3) % 256));
        }
    return Image(bitmap);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) out.push_back(line);
    return out;
}

// Peak signal-to-noise ratio of one GIF picture, decoded by ImageMagick,
// against the picture it was made from.
double psnrOfPicture(const std::string& gif, int index, const Image& source) {
    auto raw = testsupport::runProcess({"convert", gif + "[" + std::to_string(index) + "]", "-depth", "8", "rgb:-"});
    const size_t expected = size_t(source.pixelWidth()) * size_t(source.pixelHeight()) * 3;
    if (raw.exitCode != 0 || raw.output.size() != expected) return 0;
    double squared = 0;
    size_t at = 0;
    for (int y = 0; y < source.pixelHeight(); ++y)
        for (int x = 0; x < source.pixelWidth(); ++x) {
            RGBA pixel = source.pixelAt(x, y);
            for (int channel : {pixel.r, pixel.g, pixel.b}) {
                double difference = double(uint8_t(raw.output[at++])) - channel;
                squared += difference * difference;
            }
        }
    double mean = squared / double(expected);
    return mean == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mean);
}

}  // namespace

TEST(GifWriterTest, DelayIsHundredthsOfTheFrameTimeAndAtLeastTwo) {
    const struct {
        double fps;
        int centiseconds;
    } cases[] = {{10, 10}, {12, 8},  {5, 20},   {24, 4}, {25, 4},  {30, 3},   {7, 14},       {1, 100},
                 {60, 2},  {100, 2}, {1000, 2}, {0, 10}, {-4, 10}, {NAN, 10}, {0.001, 65535}};
    for (const auto& c : cases)
        EXPECT_EQ(GifWriter::delayCentisecondsForFramesPerSecond(c.fps), c.centiseconds) << "fps " << c.fps;
}

TEST(GifWriterTest, LoopingPicturesReadBackByImageMagick) {
    const std::string path = freshPath("ramps.gif");
    auto writer = GifWriter::create(path, 160, 90, 8);
    ASSERT_TRUE(writer.ok()) << writer.error().description;
    std::vector<Image> pictures;
    for (int k = 0; k < 4; ++k) {
        pictures.push_back(rampPicture(160, 90, k));
        auto added = writer->addImage(pictures.back());
        ASSERT_TRUE(added.ok()) << added.error().description;
    }
    // Nothing at the target until the GIF is complete.
    EXPECT_FALSE(std::filesystem::exists(path));
    auto finished = writer->finish();
    ASSERT_TRUE(finished.ok()) << finished.error().description;
    EXPECT_EQ(writer->imageCount(), 4);

    auto described = testsupport::runProcess({"identify", "-format", "%m %w %h %T %[colors]\n", path});
    ASSERT_EQ(described.exitCode, 0) << described.output;
    auto pictureLines = lines(described.output);
    ASSERT_EQ(pictureLines.size(), 4u) << described.output;
    for (const std::string& line : pictureLines) {
        std::istringstream fields(line);
        std::string format;
        int width = 0, height = 0, delay = 0, colours = 0;
        fields >> format >> width >> height >> delay >> colours;
        EXPECT_EQ(format, "GIF");
        EXPECT_EQ(width, 160);
        EXPECT_EQ(height, 90);
        EXPECT_EQ(delay, 8);
        // Each picture has a palette of its own, filled for ramps like these.
        EXPECT_GT(colours, 128) << line;
        EXPECT_LE(colours, 256) << line;
    }
    auto verbose = testsupport::runProcess({"identify", "-verbose", path + "[0]"});
    EXPECT_NE(verbose.output.find("Iterations: 0"), std::string::npos) << "loops for ever";
    std::ifstream file(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
    EXPECT_NE(bytes.find(std::string("NETSCAPE2.0\x03\x01\x00\x00", 16)), std::string::npos);
    for (int k = 0; k < 4; ++k) EXPECT_GT(psnrOfPicture(path, k, pictures[size_t(k)]), 30.0) << "picture " << k;
}

TEST(GifWriterTest, AFootprintTellsTheSizeOfAGifOfSuchPictures) {
    // Ramps (a palette of their own, dithered), a flat picture, a turned one.
    const Image flat = Image::filled(200, 120, RGBA{30, 90, 200, 255});
    const Image turned(rampPicture(120, 200, 3).bitmap(), 1.0, ImageOrientation::Right);
    for (const Image& picture : {rampPicture(200, 120, 1), flat, turned}) {
        auto footprint = GifWriter::footprintOfPicture(picture);
        ASSERT_TRUE(footprint.ok()) << footprint.error().description;
        EXPECT_GT(footprint->pictureBytes, 0u);
        const std::string path = freshPath("footprint.gif");
        auto writer = GifWriter::create(path, 200, 120, 10);
        ASSERT_TRUE(writer.ok());
        for (int k = 0; k < 3; ++k) ASSERT_TRUE(writer->addImage(picture).ok());
        ASSERT_TRUE(writer->finish().ok());
        EXPECT_EQ(std::filesystem::file_size(path), footprint->containerBytes + 3 * footprint->pictureBytes);
    }
    EXPECT_FALSE(GifWriter::footprintOfPicture(Image()).ok());
}

TEST(GifWriterTest, PicturesQuantizedSideBySideAreWrittenInTheOrderAdded) {
    // More pictures than are quantized at once, each a colour of its own.
    const std::string path = freshPath("order.gif");
    auto writer = GifWriter::create(path, 32, 16, 4);
    ASSERT_TRUE(writer.ok()) << writer.error().description;
    const int count = int(std::thread::hardware_concurrency()) * 2 + 8;
    auto colourOf = [](int k) {
        return std::array<int, 3>{(k * 37) % 256, (k * 91 + 40) % 256, (255 + 256 - k * 23 % 256) % 256};
    };
    for (int k = 0; k < count; ++k) {
        const auto c = colourOf(k);
        auto added = writer->addImage(Image::filled(32, 16, {uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2]), 255}));
        ASSERT_TRUE(added.ok()) << added.error().description;
    }
    ASSERT_TRUE(writer->finish().ok());
    auto described = testsupport::runProcess({"identify", "-format",
                                              "%[fx:int(255*p{3,3}.r)] %[fx:int(255*p{3,3}.g)] "
                                              "%[fx:int(255*p{3,3}.b)]\n",
                                              path});
    ASSERT_EQ(described.exitCode, 0) << described.output;
    const auto read = lines(described.output);
    ASSERT_EQ(int(read.size()), count);
    for (int k = 0; k < count; ++k) {
        std::istringstream fields(read[size_t(k)]);
        std::array<int, 3> got{};
        fields >> got[0] >> got[1] >> got[2];
        const auto expected = colourOf(k);
        for (size_t i = 0; i < 3; ++i) EXPECT_NEAR(got[i], expected[i], 2) << "picture " << k;
    }
}

TEST(GifWriterTest, TurnedPicturesAreWrittenUpright) {
    const std::string path = freshPath("turned.gif");
    // Stored 40×20 with red on the left, shown turned a quarter clockwise:
    // 20×40 with red on top.
    Image stored = testsupport::halvesImage(40, 20).withOrientation(ImageOrientation::Right);
    auto writer = GifWriter::create(path, 20, 40, 10);
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE(writer->addImage(stored).ok());
    ASSERT_TRUE(writer->finish().ok());
    auto top = testsupport::runProcess({"convert", path, "-format", "%[pixel:p{10,5}] %[pixel:p{10,35}]", "info:"});
    EXPECT_EQ(top.output, "srgb(255,0,0) srgb(0,0,255)");
}

TEST(GifWriterTest, RefusalsLeaveNothingBehind) {
    const std::string existing = freshPath("existing.gif");
    std::ofstream(existing) << "GI";
    const struct {
        std::string name;
        int width, height;
        int64_t code;
    } refusals[] = {
        {"zero.gif", 0, 360, kImageErrorInvalidArgument},
        {"tall.gif", 640, 70000, kImageErrorInvalidArgument},
        {"existing.gif", 640, 360, foundation::kFileWriteFileExistsError},
        {"missing-folder/a.gif", 640, 360, foundation::kFileNoSuchFileError},
    };
    for (const auto& r : refusals) {
        auto writer = GifWriter::create(folder().path() + "/" + r.name, r.width, r.height, 10);
        ASSERT_FALSE(writer.ok()) << r.name;
        EXPECT_EQ(writer.error().code, r.code) << r.name << ": " << writer.error().description;
    }

    const std::string path = freshPath("wrong-size.gif");
    auto writer = GifWriter::create(path, 64, 48, 10);
    ASSERT_TRUE(writer.ok());
    auto empty = writer->finish();
    EXPECT_EQ(empty.ok() ? 0 : empty.error().code, kImageErrorEmptyImage);
    auto wrong = writer->addImage(testsupport::quadrantsImage(48, 64));
    EXPECT_EQ(wrong.ok() ? 0 : wrong.error().code, kImageErrorInvalidArgument);
    EXPECT_EQ(wrong.ok() ? "" : wrong.error().description, "A GIF picture must be 64×48 pixels.");
    writer = GifWriter::create(freshPath("other.gif"), 8, 8, 10);  // drops the first, unfinished
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(existing), 2u) << "an existing file is never replaced";
}

TEST(GifWriterTest, FullDeviceFailsWithTheFileSystemsTextAndNoFile) {
    const std::string path = freshPath("full.gif");
    const std::string folderPath = std::filesystem::path(path).parent_path();
    auto countFiles = [&] {
        return std::distance(std::filesystem::directory_iterator(folderPath), std::filesystem::directory_iterator{});
    };
    const auto filesBefore = countFiles();
    GifWriter::setFailWritesAfterBytesForTesting(size_t(100'000));
    auto writer = GifWriter::create(path, 320, 180, 10);
    ASSERT_TRUE(writer.ok());
    foundation::Status outcome;
    int added = 0;
    for (; added < 20 && outcome.ok(); ++added) outcome = writer->addImage(rampPicture(320, 180, added));
    GifWriter::setFailWritesAfterBytesForTesting(std::nullopt);
    ASSERT_FALSE(outcome.ok()) << "100 kB hold a few ramps only";
    EXPECT_LT(added, 20);
    EXPECT_EQ(outcome.error().domain, foundation::kCocoaErrorDomain);
    EXPECT_EQ(outcome.error().code, foundation::kFileWriteOutOfSpaceError);
    EXPECT_EQ(outcome.error().description,
              "The file \u201Cfull.gif\u201D couldn\u2019t be saved because there isn\u2019t enough space.");
    // The writer stays failed, and dropping it removes the temporary file.
    auto again = writer->addImage(rampPicture(320, 180, 0));
    EXPECT_EQ(again.ok() ? 0 : again.error().code, foundation::kFileWriteOutOfSpaceError);
    auto finished = writer->finish();
    EXPECT_EQ(finished.ok() ? 0 : finished.error().code, foundation::kFileWriteOutOfSpaceError);
    writer = foundation::Error("x", 1, "dropped");
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(countFiles(), filesBefore);
}
