#include "support/Pictures.h"

#include "support/Process.h"
#include "support/RunFolder.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <turbojpeg.h>

namespace testsupport {

graphics::Image quadrantsImage(int width, int height) {
    QImage bitmap(width, height, QImage::Format_RGB32);
    QPainter painter(&bitmap);
    painter.fillRect(0, 0, width / 2, height / 2, QColor(255, 0, 0));
    painter.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(0, 255, 0));
    painter.fillRect(0, height / 2, width / 2, height - height / 2, QColor(0, 0, 255));
    painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, QColor(255, 255, 255));
    painter.end();
    return graphics::Image(bitmap);
}

graphics::Image halvesImage(int width, int height) {
    QImage bitmap(width, height, QImage::Format_RGB32);
    QPainter painter(&bitmap);
    painter.fillRect(0, 0, width / 2, height, QColor(255, 0, 0));
    painter.fillRect(width / 2, 0, width - width / 2, height, QColor(0, 0, 255));
    painter.end();
    return graphics::Image(bitmap);
}

foundation::Bytes jpegWithExifOrientation(const foundation::Bytes& jpeg, int exifValue, bool bigEndian) {
    auto u16 = [&](foundation::Bytes& out, unsigned v) {
        if (bigEndian) {
            out.push_back(uint8_t(v >> 8));
            out.push_back(uint8_t(v));
        } else {
            out.push_back(uint8_t(v));
            out.push_back(uint8_t(v >> 8));
        }
    };
    auto u32 = [&](foundation::Bytes& out, uint32_t v) {
        if (bigEndian) {
            u16(out, v >> 16);
            u16(out, v & 0xFFFF);
        } else {
            u16(out, v & 0xFFFF);
            u16(out, v >> 16);
        }
    };
    foundation::Bytes tiff;
    tiff.push_back(bigEndian ? 'M' : 'I');
    tiff.push_back(bigEndian ? 'M' : 'I');
    u16(tiff, 42);
    u32(tiff, 8);
    u16(tiff, 2);       // two entries: something else first, then the orientation
    u16(tiff, 0x010F);  // camera make, ASCII, 4 bytes held inline
    u16(tiff, 2);
    u32(tiff, 4);
    tiff.insert(tiff.end(), {'T', 'o', 'l', 0});
    u16(tiff, 0x0112);
    u16(tiff, 3);
    u32(tiff, 1);
    u16(tiff, static_cast<unsigned>(exifValue));
    u16(tiff, 0);
    u32(tiff, 0);

    foundation::Bytes segment = {0xFF, 0xE1};
    size_t length = 2 + 6 + tiff.size();
    segment.push_back(uint8_t(length >> 8));
    segment.push_back(uint8_t(length));
    segment.insert(segment.end(), {'E', 'x', 'i', 'f', 0, 0});
    segment.insert(segment.end(), tiff.begin(), tiff.end());

    foundation::Bytes out(jpeg.begin(), jpeg.begin() + 2);  // SOI
    out.insert(out.end(), segment.begin(), segment.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

foundation::Bytes progressiveJpeg(const graphics::Image& image, int quality) {
    QImage bitmap = image.bitmap().convertToFormat(QImage::Format_RGB32);
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    int result = tjCompress2(handle, bitmap.constBits(), bitmap.width(), static_cast<int>(bitmap.bytesPerLine()),
                             bitmap.height(), TJPF_BGRX, &out, &size, TJSAMP_420, quality, TJFLAG_PROGRESSIVE);
    foundation::Bytes bytes;
    if (result == 0) bytes.assign(out, out + size);
    tjFree(out);
    tjDestroy(handle);
    if (bytes.empty()) ADD_FAILURE() << "tjCompress2 failed";
    return bytes;
}

foundation::Bytes interlacedPng(const graphics::Image& image) {
    auto plain = image.pngData();
    if (!plain) {
        ADD_FAILURE() << plain.error().description;
        return {};
    }
    const std::string in = writeTestFile("plain.png", *plain);
    const std::string out = in.substr(0, in.size() - 9) + "interlaced.png";
    ProcessResult result = runProcess({"convert", in, "-interlace", "PNG", "PNG32:" + out});
    if (result.exitCode != 0) ADD_FAILURE() << "convert failed: " << result.output;
    std::ifstream file(out, std::ios::binary);
    return foundation::Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

foundation::Bytes cmykJpeg(const graphics::Image& image, bool progressive) {
    auto plain = image.pngData();
    if (!plain) {
        ADD_FAILURE() << plain.error().description;
        return {};
    }
    const std::string in = writeTestFile("rgb.png", *plain);
    const std::string out = in.substr(0, in.size() - 7) + (progressive ? "cmyk-progressive.jpg" : "cmyk.jpg");
    std::vector<std::string> argv = {"convert", in, "-colorspace", "CMYK", "-quality", "95"};
    if (progressive) argv.insert(argv.end(), {"-interlace", "JPEG"});
    argv.push_back(out);
    ProcessResult result = runProcess(argv);
    if (result.exitCode != 0) ADD_FAILURE() << "convert failed: " << result.output;
    std::ifstream file(out, std::ios::binary);
    return foundation::Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string writeTestFile(const std::string& name, const foundation::Bytes& bytes) {
    // The run's own folder, gone when the run ends.
    static const RunFolder run("tollivar-test-files");
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::filesystem::path folder =
        std::filesystem::path(run.path()) / (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::create_directories(folder);
    std::filesystem::path path = folder / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

bool pixelNear(graphics::RGBA a, graphics::RGBA e, int tolerance) {
    return std::abs(a.r - e.r) <= tolerance && std::abs(a.g - e.g) <= tolerance && std::abs(a.b - e.b) <= tolerance &&
           std::abs(a.a - e.a) <= tolerance;
}

int largestDifference(const graphics::Image& a, const graphics::Image& b) {
    if (a.size() != b.size()) return 255;
    int largest = 0;
    for (int y = 0; y < a.pixelHeight(); ++y)
        for (int x = 0; x < a.pixelWidth(); ++x) {
            const graphics::RGBA p = a.pixelAt(x, y), q = b.pixelAt(x, y);
            largest = std::max({largest, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
        }
    return largest;
}

}  // namespace testsupport

namespace testsupport {

int frameNumberInPicture(const graphics::Image& picture) {
    graphics::Image upright = picture.normalized();
    const int width = upright.pixelWidth(), height = upright.pixelHeight();
    if (width < 3 || height < 1) return -1;
    int number = 0;
    for (int band = 0; band < 3; ++band) {
        // The mean over the middle of the band, away from its edges.
        int sum = 0, count = 0;
        for (int x = width * band / 3 + width / 12; x < width * (band + 1) / 3 - width / 12; ++x) {
            for (int y = height / 3; y < height * 2 / 3; ++y) {
                graphics::RGBA pixel = upright.pixelAt(x, y);
                sum += (pixel.r + pixel.g + pixel.b) / 3;
                ++count;
            }
        }
        if (count == 0) return -1;
        const double level = double(sum) / count;
        const int digit = static_cast<int>(std::lround((level - 8) / 16));
        if (digit < 0 || digit > 15 || std::abs(level - (digit * 16 + 8)) > 6) return -1;
        number = number * 16 + digit;
    }
    return number;
}

}  // namespace testsupport
