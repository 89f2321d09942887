#include "platform/media/FFmpeg.h"
#include "platform/media/MediaTime.h"

#include <gtest/gtest.h>

namespace {

using media::MediaTime;

TEST(MediaTime, SecondsRoundToThePreferredTimescale) {
    struct Case {
        double seconds;
        int32_t timescale;
        int64_t value;
    };
    const Case cases[] = {{0.0, 30, 0},         {1.0 / 12, 30, 3}, {4.9 / 48 * 47, 30, 144},
                          {59.0 / 12, 30, 148}, {-0.05, 30, -2},   {2.5, 600, 1500}};
    for (const Case& c : cases) {
        MediaTime time = MediaTime::fromSeconds(c.seconds, c.timescale);
        EXPECT_EQ(time.value, c.value) << c.seconds;
        EXPECT_EQ(time.timescale, c.timescale);
    }
    EXPECT_FALSE(MediaTime::fromSeconds(1.0, 0).isValid());
    EXPECT_FALSE(MediaTime::fromSeconds(std::nan(""), 30).isValid());
}

TEST(MediaTime, OrderHoldsAcrossTimescales) {
    EXPECT_EQ(MediaTime::make(1, 2), MediaTime::make(300, 600));
    EXPECT_LT(MediaTime::make(1, 3), MediaTime::make(34, 100));
    EXPECT_GT(MediaTime::positiveInfinity(), MediaTime::make(INT64_MAX, 1));
    EXPECT_LT(MediaTime::invalid(), MediaTime::make(INT64_MIN, 1));
    EXPECT_EQ(MediaTime::positiveInfinity().seconds(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(MediaTime::invalid().seconds(), 0.0);
}

TEST(MediaError, FFmpegCodesBecomeErrorsOfTheMediaDomain) {
    struct Case {
        int averror;
        int64_t code;
        const char* underlyingDomain;
    };
    const Case cases[] = {
        {AVERROR_INVALIDDATA, media::kMediaErrorFileFailedToParse, media::kFFmpegErrorDomain},
        {AVERROR_DEMUXER_NOT_FOUND, media::kMediaErrorFileFormatNotRecognized, media::kFFmpegErrorDomain},
        {AVERROR(ENOMEM), media::kMediaErrorOutOfMemory, foundation::kPOSIXErrorDomain},
        {AVERROR(ENOENT), media::kMediaErrorUnknown, foundation::kPOSIXErrorDomain},
        {AVERROR_EOF, media::kMediaErrorUnknown, media::kFFmpegErrorDomain},
    };
    for (const Case& c : cases) {
        foundation::Error error = media::mediaError(c.averror, "Cannot open a.mp4");
        EXPECT_EQ(error.domain, media::kMediaErrorDomain);
        EXPECT_EQ(error.code, c.code) << c.averror;
        EXPECT_EQ(error.description.rfind("Cannot open a.mp4: ", 0), 0u) << error.description;
        EXPECT_GT(error.description.size(), std::string("Cannot open a.mp4: ").size());
        ASSERT_TRUE(error.underlying);
        EXPECT_EQ(error.underlying->domain, c.underlyingDomain);
    }
    EXPECT_EQ(media::mediaError(AVERROR(ENOENT), "x").underlying->code, ENOENT);
    EXPECT_EQ(media::mediaError(AVERROR_INVALIDDATA, "").description, "Invalid data found when processing input");
}

}  // namespace
