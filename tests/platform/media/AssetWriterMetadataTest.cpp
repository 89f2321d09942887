// A movie's metadata: taken before writing starts, refused after, and found
// in the file by libavformat under the muxer's keys.

#include "platform/foundation/DispatchSemaphore.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/MediaError.h"
#include "platform/media/MediaMetadata.h"
#include "support/Process.h"
#include "support/RunFolder.h"

#include <gtest/gtest.h>

namespace {

using media::MetadataItem;
using media::MetadataKey;

// 2024-05-06 07:08:09 UTC.
const foundation::Date kCreated = foundation::Date::fromUnixTime(1714979289);

std::vector<MetadataItem> allKeys() {
    return {{MetadataKey::Title, "Sunday in the Park"},
            {MetadataKey::Author, "Åsa Lindqvist"},
            {MetadataKey::Comment, "made with clay, 5 frames a second"},
            {MetadataKey::CreationDate, kCreated},
            {MetadataKey::Copyright, "© 2024 Quorvane"}};
}

// A writer of a small QuickTime movie in a folder of its own, not yet started.
struct SmallMovie {
    explicit SmallMovie(const std::string& name)
        : folder("tollivar-" + name),
          path(folder.path() + "/" + name + ".mov"),
          writer(*media::AssetWriter::create(path, media::AssetWriter::kFileTypeQuickTimeMovie)),
          video(media::AssetWriterInput::video({64, 48, 200'000, 5})) {
        writer->addInput(video);
    }
    testsupport::RunFolder folder;
    std::string path;
    std::shared_ptr<media::AssetWriter> writer;
    std::shared_ptr<media::AssetWriterInput> video;
};

// Three grey pictures, then the file is finished.
void writeShortMovie(media::AssetWriter& writer, media::AssetWriterInput& video) {
    writer.startSessionAtSourceTime(media::MediaTime::zero());
    media::PixelBuffer grey = media::PixelBuffer::create(64, 48);
    std::fill(grey.bytes.begin(), grey.bytes.end(), 128);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(video.appendPixelBuffer(grey, media::MediaTime::make(i, 5)));
    foundation::DispatchSemaphore done(0);
    writer.finishWriting([&] { done.signal(); });
    ASSERT_TRUE(done.wait(60));
    ASSERT_EQ(writer.status(), media::AssetWriterStatus::Completed) << writer.error()->description;
}

}  // namespace

TEST(AssetWriterMetadata, IsWrittenUnderTheMuxersKeysAndFixedOnceWritingStarts) {
    SmallMovie movie("metadata");
    auto& [folder, path, writer, video] = movie;
    EXPECT_TRUE(writer->metadata().empty());

    // Values of the wrong kind are refused and change nothing.
    for (const MetadataItem& wrong : {MetadataItem{MetadataKey::Title, 42}, MetadataItem{MetadataKey::CreationDate, "today"},
                                      MetadataItem{MetadataKey::CreationDate, foundation::Date::fromUnixTime(-3e9)}}) {
        auto refused = writer->setMetadata({{MetadataKey::Author, "kept out"}, wrong});
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().domain, media::kMediaErrorDomain);
        EXPECT_TRUE(writer->metadata().empty());
    }
    ASSERT_TRUE(writer->setMetadata(allKeys()));
    EXPECT_EQ(writer->metadata(), allKeys());

    ASSERT_TRUE(writer->startWriting());
    auto late = writer->setMetadata({{MetadataKey::Title, "Too late"}});
    ASSERT_FALSE(late);
    EXPECT_EQ(late.error().code, media::kMediaErrorOperationNotAllowed);
    EXPECT_NE(late.error().description.find("cannot change once writing has started"), std::string::npos);
    EXPECT_EQ(writer->metadata(), allKeys()) << "the metadata stays as it was";
    writeShortMovie(*writer, *video);

    auto read = media::readMediaMetadata(path);
    ASSERT_TRUE(read) << read.error().description;
    EXPECT_EQ(read->tag("title"), "Sunday in the Park");
    EXPECT_EQ(read->tag("artist"), "Åsa Lindqvist") << "FFmpeg reads the QuickTime author under this name";
    EXPECT_EQ(read->tag("comment"), "made with clay, 5 frames a second");
    EXPECT_EQ(read->tag("copyright"), "© 2024 Quorvane");
    EXPECT_EQ(read->tag("creation_time"), "2024-05-06T07:08:09.000000Z");
}

// A QuickTime text item counts its bytes in 16 bits and FFmpeg takes it up to
// its first NUL: text that would be cut or lost, or is not UTF-8, is refused.
TEST(AssetWriterMetadata, TextAMovieCannotHoldIsRefusedSayingWhy) {
    SmallMovie movie("metadata-limits");
    auto& [folder, path, writer, video] = movie;
    const std::pair<MetadataItem, std::string> refused[] = {
        {{MetadataKey::Title, std::string(65'536, 'a')},
         "The movie's title is 65536 bytes long; a movie holds at most 65535"},
        {{MetadataKey::Comment, std::string(200'000, 'c')}, "The movie's comment is 200000 bytes long"},
        {{MetadataKey::Author, std::string("Åsa\0Lind", 9)}, "The movie's author holds a NUL character"},
        {{MetadataKey::Copyright, "\xA9 2024"}, "The movie's copyright is not UTF-8 text"},
        {{MetadataKey::Title, "over\xC0\xAFlong"}, "The movie's title is not UTF-8 text"},
    };
    for (const auto& [item, because] : refused) {
        auto set = writer->setMetadata({{MetadataKey::Comment, "kept out"}, item});
        ASSERT_FALSE(set) << because;
        EXPECT_EQ(set.error().description.rfind(because, 0), 0u) << set.error().description;
        EXPECT_TRUE(writer->metadata().empty());
    }

    // The longest texts come back whole: 32,767 é and a '!' (65,535 bytes), and a shorter title.
    std::string longest;
    for (int i = 0; i < 32'767; ++i) longest += "é";
    const std::string title(65'534, 't');
    ASSERT_TRUE(writer->setMetadata({{MetadataKey::Comment, longest + "!"}, {MetadataKey::Title, title}}));
    ASSERT_TRUE(writer->startWriting());
    writeShortMovie(*writer, *video);
    const auto read = testsupport::runProcess(
        {"ffprobe", "-v", "error", "-show_entries", "format_tags=comment,title", "-of", "default=nw=1", path});
    EXPECT_EQ(read.output, "TAG:title=" + title + "\nTAG:comment=" + longest + "!\n");
}
