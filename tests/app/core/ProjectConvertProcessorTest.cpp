#include "ProjectModelFixture.h"
#include "app/core/AudioClip.h"
#include "app/core/FrameMeta.h"
#include "app/core/ProjectConvertProcessor.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PropertyList.h"
#include "support/HostileFiles.h"
#include "support/TestFiles.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <limits>

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;
namespace fs = std::filesystem;

namespace {

Dictionary timeDictionary(int64_t value, int32_t timescale) {
    return AudioClip::getDictionaryFromCMTime({value, timescale, AudioClip::Time::kFlagValid, 0});
}

Dictionary entry(const std::string& uid, const std::string& frameID, int type = 0) {
    Dictionary d{{"UID", uid}, {"FRAME_ID", frameID}};
    if (type != 0) d.set("FRAME_TYPE", Value(type));
    return d;
}

Dictionary oldClip(const std::string& linkUID, const std::string& file, int64_t startMs, int64_t playedMs,
                   int64_t lengthMs, int linkPosition = 0) {
    return Dictionary{{"RecordAudioURL", "/var/old/container/Documents/" + file},
                      {"RecordAudioName", file},
                      {"RecordAudioStart", timeDictionary(startMs * 600 / 1000, 600)},
                      {"RecordAudioDuration", timeDictionary(playedMs, 1000)},
                      {"RecordAudioLength", timeDictionary(lengthMs * 44100 / 1000, 44100)},
                      {"RecordAudioVolume", Value::real(0.5)},
                      {"RecordAudioLinkToFrame", linkUID},
                      {"RecordAudioLinkToPosition", Value(linkPosition)}};
}

class ConversionTest : public ProjectModelFixture {
protected:
    // Writes an old project's two files into a new folder and opens it.
    ProjectModelPtr oldProject(const Array& frames, const Value& version, const Dictionary& clipTracks = {}) {
        fs::path folder = fs::path(folders_.documents()) / "kelbrin-old";
        fs::create_directories(folder);
        Dictionary meta{{"RecordName", "Old"}, {"RecordFPS", Value(10)}};
        if (!version.isNull()) meta.set("ProductVersion", version);
        if (!clipTracks.empty()) meta.set("RecordMetaAudio", clipTracks);
        EXPECT_TRUE(foundation::plist::writeFile(Value(meta), (folder / "kelbrin.meta").string()));
        EXPECT_TRUE(foundation::plist::writeFile(Value(Dictionary{{"FRAMELIST_DATA", frames}}),
                                                 (folder / "frames.meta").string()));
        return ProjectModel::create(folder.string());
    }

    // Converts through the background queue and waits for the completion;
    // the error the processor kept, if any.
    std::optional<foundation::Error> convert(const ProjectModelPtr& project, bool expectFailure = false) {
        auto processor = ProjectConvertProcessor::create();
        std::atomic<bool> done = false;
        processor->convertProject(project, [&done] { done = true; });
        EXPECT_EQ(processor->status(), ProjectConvertProcessor::kStatusQueued);
        EXPECT_TRUE(runMainUntil([&] { return done.load(); }));
        EXPECT_FLOAT_EQ(processor->getProgress(), 0.0f);
        EXPECT_EQ(processor->error().has_value(), expectFailure);
        return processor->error();
    }

    static std::shared_ptr<FrameList> reread(const ProjectModelPtr& project) {
        return ProjectModel::create(project->getProjectPath())->getFrameList();
    }
};

TEST_F(ConversionTest, VersionsFromThreeToBelowSixAreConvertedWhetherNumberOrText) {
    struct Case {
        Value version;
        bool converted;
    };
    const Case cases[] = {{Value(), false},         {Value::real(2.9), false}, {Value::real(6.0), false},
                          {Value("2.0"), false},    {Value("abc"), false},     {Value(true), false},
                          {Value::real(5.9), true}, {Value(3), true},          {Value("5.0"), true},
                          {Value(" 4.5 "), true}};
    for (const Case& c : cases) {
        auto project = oldProject(Array{entry("A", "X"), entry("B", "X")}, c.version);
        std::string metaFile = *project->getProjectPath() + "/kelbrin.meta";
        std::string listFile = *project->getProjectPath() + "/frames.meta";
        auto metaBefore = foundation::readFile(metaFile), listBefore = foundation::readFile(listFile);
        convert(project);
        auto meta = foundation::plist::readFile(metaFile);
        ASSERT_TRUE(meta) << c.version.description();
        // The browser's gate reads the version the same way: whatever it
        // sends to conversion comes back current, so it is converted once.
        auto version = ProjectConvertProcessor::getProductVersion(meta->asDictionary());
        EXPECT_EQ(ProjectConvertProcessor::needsConversion(version), false) << c.version.description();
        if (c.converted) {
            EXPECT_TRUE(meta->asDictionary().get("ProductVersion").isReal());
            EXPECT_EQ(version, 6.0f);
            EXPECT_EQ(reread(project)->getFrameAtIndex(0)->getDuration(), 2) << c.version.description();
        } else {
            EXPECT_EQ(*foundation::readFile(metaFile), *metaBefore) << c.version.description();
            EXPECT_EQ(*foundation::readFile(listFile), *listBefore) << c.version.description();
        }
        fs::remove_all(*project->getProjectPath());
    }
}

TEST_F(ConversionTest, HugeClipTimesAreClampedToWholeMilliseconds) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    struct Case {
        int64_t startValue, playedValue, lengthValue;  // each over a timescale of 1 s
        int64_t start, stop, duration;
    };
    // Seconds beyond what 64 bits of milliseconds hold become the nearest
    // count; a negative start reads as zero.
    const Case cases[] = {
        {kMax, 0, kMax, kMax, kMax, kMax},
        {1, kMax, kMin, 1000, kMax, kMin},
        {kMin, 2, -5, 0, 2000, -5000},
        {9000000000000000, 0, 0, 9000000000000000000, 9000000000000000000, 0},
    };
    for (const Case& c : cases) {
        Dictionary clip = oldClip("A", "long.caf", 0, 0, 0);
        clip.set("RecordAudioStart", timeDictionary(c.startValue, 1));
        clip.set("RecordAudioDuration", timeDictionary(c.playedValue, 1));
        clip.set("RecordAudioLength", timeDictionary(c.lengthValue, 1));
        auto project = oldProject(Array{entry("A", "X")}, Value::real(5.0), Dictionary{{"TRACK_0", Array{clip}}});
        convert(project);
        auto audio = reread(project)->getFrameAtIndex(0)->getAudio();
        ASSERT_NE(audio, nullptr) << c.startValue;
        EXPECT_EQ(audio->start(), c.start) << c.startValue;
        EXPECT_EQ(audio->stop(), c.stop) << c.startValue;
        EXPECT_EQ(audio->duration(), c.duration) << c.startValue;
        fs::remove_all(*project->getProjectPath());
    }
}

TEST_F(ConversionTest, RepeatedEntriesCollapseIntoHolds) {
    auto project =
        oldProject(Array{entry("A", "X"), entry("B", "X"), entry("C", "X"), entry("D", "Y")}, Value::real(5.0));
    convert(project);
    auto list = reread(project);
    ASSERT_EQ(list->count(), 3);  // X, Y and the new capture slot
    EXPECT_EQ(list->getFrameAtIndex(0)->frameID(), "X");
    EXPECT_EQ(list->getFrameAtIndex(0)->UID(), "A");
    EXPECT_EQ(list->getFrameAtIndex(0)->getDuration(), 3);
    EXPECT_EQ(list->getFrameAtIndex(1)->frameID(), "Y");
    EXPECT_EQ(list->getFrameAtIndex(1)->getDuration(), 1);
    EXPECT_EQ(list->getFrameAtIndex(2)->type(), Frame::kTypeCaptureSlot);

    Dictionary meta = foundation::plist::readFile(*project->getProjectPath() + "/kelbrin.meta")->asDictionary();
    EXPECT_TRUE(meta.get("ProductVersion").isReal());
    EXPECT_DOUBLE_EQ(meta.get("ProductVersion").asDouble(), 6.0);
    EXPECT_EQ(meta.get("RecordName").asString(), "Old");
}

TEST_F(ConversionTest, ClipsMoveOntoTheirFramesAndSplitHolds) {
    Dictionary tracks{{"TRACK_0", Array{oldClip("B", "voice.caf", 1500, 2000, 10000)}}};
    auto project = oldProject(Array{entry("A", "X"), entry("B", "X"), entry("C", "X")}, Value::real(5.0), tracks);
    convert(project);
    auto list = reread(project);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->getFrameAtIndex(0)->getDuration(), 1);
    EXPECT_EQ(list->getFrameAtIndex(0)->getAudio(), nullptr);
    FramePtr held = list->getFrameAtIndex(1);
    EXPECT_EQ(held->UID(), "B");
    EXPECT_EQ(held->getDuration(), 2);
    ASSERT_NE(held->getAudio(), nullptr);
    EXPECT_EQ(held->getAudio()->start(), 1500);
    EXPECT_EQ(held->getAudio()->stop(), 3500);
    EXPECT_EQ(held->getAudio()->duration(), 10000);
    EXPECT_EQ(held->getAudio()->fileName(), "voice.caf");
    EXPECT_EQ(held->getAudio()->name(), "voice.caf");
    EXPECT_FLOAT_EQ(held->getAudio()->volume(), 0.5f);
    // The old clips stay in the metadata.
    EXPECT_TRUE(project->getMetaData()->contains("RecordMetaAudio"));
}

TEST_F(ConversionTest, ClipsOfAllThreeTracksWithoutFrameAreDroppedAndSecondClipsMoveOn) {
    Dictionary tracks{
        {"TRACK_0", Array{oldClip("A", "one.caf", 0, 1000, 1000)}},
        {"TRACK_1", Array{oldClip("gone", "lost.caf", 0, 1000, 1000), oldClip("A", "two.caf", 0, 500, 500)}},
        {"TRACK_2", Array{Value("not a clip")}}};
    auto project = oldProject(Array{entry("A", "X"), entry("B", "Y"), entry("C", "Z")}, Value::real(4.0), tracks);
    convert(project);
    auto list = reread(project);
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->getFrameAtIndex(0)->getAudio()->fileName(), "one.caf");
    ASSERT_NE(list->getFrameAtIndex(1)->getAudio(), nullptr);
    EXPECT_EQ(list->getFrameAtIndex(1)->getAudio()->fileName(), "two.caf");
    EXPECT_EQ(list->getFrameAtIndex(2)->getAudio(), nullptr);
}

TEST_F(ConversionTest, NonZeroLinkPositionNamesTheFrameByIndex) {
    Dictionary tracks{{"TRACK_0", Array{oldClip("A", "pos.caf", 0, 100, 100, 2)}}};
    auto project = oldProject(Array{entry("A", "X"), entry("B", "Y"), entry("C", "Z")}, Value::real(5.5), tracks);
    convert(project);
    auto list = reread(project);
    EXPECT_EQ(list->getFrameAtIndex(0)->getAudio(), nullptr);
    ASSERT_NE(list->getFrameAtIndex(2)->getAudio(), nullptr);
    EXPECT_EQ(list->getFrameAtIndex(2)->getAudio()->fileName(), "pos.caf");
}

TEST_F(ConversionTest, ThemeTextCardsGetTheirOldText) {
    auto project = oldProject(Array{entry("A", "CARD", 4), entry("B", "BARE", 4), entry("C", "X")}, Value::real(5.0));
    FrameMeta legacy("CARD", *project->getProjectPath());
    legacy.setValue(Dictionary{{"THEME_CARD_TEXT", "Chapter One"}, {"THEME_CARD_ID", Value(3)}}, "THEME_CARD_DATA");
    ASSERT_TRUE(legacy.saveMetaData());
    convert(project);
    auto list = reread(project);
    ASSERT_NE(list->getFrameAtIndex(0)->getTheme(), nullptr);
    EXPECT_EQ(list->getFrameAtIndex(0)->getTheme()->text(), "Chapter One");
    EXPECT_EQ(list->getFrameAtIndex(0)->getTheme()->themeID(), 3);
    ASSERT_NE(list->getFrameAtIndex(1)->getTheme(), nullptr);
    EXPECT_EQ(list->getFrameAtIndex(1)->getTheme()->text(), "");
    EXPECT_EQ(list->getFrameAtIndex(1)->getTheme()->themeID(), 0);
    EXPECT_EQ(list->getFrameAtIndex(2)->getTheme(), nullptr);
}

TEST_F(ConversionTest, ConversionInterruptedBeforeTheMetadataSaveRunsAgainSafely) {
    Dictionary tracks{{"TRACK_0", Array{oldClip("A", "same.caf", 0, 100, 100), oldClip("C", "same.caf", 0, 100, 100)}}};
    auto project = oldProject(Array{entry("A", "X"), entry("B", "X"), entry("C", "Y")}, Value::real(5.0), tracks);
    convert(project);
    // As if the process died after "frames.meta": the metadata still says 5.0.
    std::string metaFile = *project->getProjectPath() + "/kelbrin.meta";
    Dictionary meta = foundation::plist::readFile(metaFile)->asDictionary();
    meta.set("ProductVersion", Value::real(5.0));
    ASSERT_TRUE(foundation::plist::writeFile(Value(meta), metaFile));

    auto reopened = ProjectModel::create(project->getProjectPath());
    convert(reopened);
    auto list = reread(reopened);
    int clips = 0;
    for (const FramePtr& frame : *list) clips += frame->getAudio() ? 1 : 0;
    EXPECT_EQ(clips, 2);
    EXPECT_EQ(list->getFrameAtIndex(0)->getDuration(), 2);
}

TEST_F(ConversionTest, DamagedFrameListIsNotMarkedConverted) {
    auto project = oldProject(Array{entry("A", "X")}, Value::real(5.0));
    std::string listFile = *project->getProjectPath() + "/frames.meta";
    ASSERT_TRUE(foundation::writeFileAtomically(listFile, std::string_view("damaged")));
    auto error = convert(project, true);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description, "The project could not be converted because its files could not be read.");
    Dictionary meta = foundation::plist::readFile(*project->getProjectPath() + "/kelbrin.meta")->asDictionary();
    EXPECT_DOUBLE_EQ(meta.get("ProductVersion").asDouble(), 5.0);
}

TEST_F(ConversionTest, AFailedSaveIsKeptAsTheConversionsError) {
    auto project = oldProject(Array{entry("A", "X"), entry("B", "X")}, Value::real(5.0));
    ASSERT_TRUE(project->getMetaData() && project->getFrameList());
    // A folder where the metadata belong: the converted project cannot be saved.
    std::string metaFile = *project->getProjectPath() + "/kelbrin.meta";
    fs::remove(metaFile);
    fs::create_directory(metaFile);
    auto error = convert(project, true);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, foundation::kPOSIXErrorDomain);
    EXPECT_EQ(error->code, EISDIR);
    // Told in the user's words: the project and why, no file of its folder.
    EXPECT_EQ(error->description,
              "The project “Old” could not be saved: something else is in the place of one of its files.");
}

TEST(ConversionHelpers, HoldCountAndUIDLookup) {
    FrameList list;
    list.removeFrameAtIndex(0);
    FramePtr a = Frame::create(0, "X"), b = Frame::create(0, "X"), c = Frame::create(0, "X"), d = Frame::create(0, "Y");
    c->setAudio(std::make_shared<KWAudioClip>());
    for (const FramePtr& f : {a, b, c, d}) list.addFrame(f);
    EXPECT_EQ(ProjectConvertProcessor::calculateTheNumberOfImagesInHoldAtIndex(0, list), 2);
    EXPECT_EQ(ProjectConvertProcessor::calculateTheNumberOfImagesInHoldAtIndex(2, list), 1);
    EXPECT_EQ(ProjectConvertProcessor::findFrameWithUID(b->UID(), list), b);
    EXPECT_EQ(ProjectConvertProcessor::findFrameWithUID("nope", list), nullptr);
}

TEST(OldAudioClip, DictionaryFormAndTimes) {
    Dictionary stored = oldClip("F", "a.caf", 1500, 2000, 10000);
    stored.set("RecordAudioStart", timeDictionary(-5, 1));
    AudioClip clip(stored);
    EXPECT_EQ(clip.start.secondsValue(), 0.0);  // negative starts read as zero
    EXPECT_DOUBLE_EQ(clip.duration.secondsValue(), 2.0);
    EXPECT_EQ(clip.url, "file:///var/old/container/Documents/a.caf");
    EXPECT_EQ(clip.UID().size(), 36u);

    Dictionary written = clip.encode();
    EXPECT_EQ(written.get("RecordAudioURL").asString(), "a.caf");
    EXPECT_EQ(written.get("RecordAudioLinkToFrame").asString(), "F");
    EXPECT_FALSE(written.contains("fileID"));
    EXPECT_EQ(AudioClip(written).UID(), clip.UID());
    EXPECT_FALSE(AudioClip::getCMTimeFromDictonary(Value("x")).isNumeric());

    clip.timeRangeInMovie = {AudioClip::Time::seconds(1.0), AudioClip::Time::seconds(2.0)};
    EXPECT_TRUE(clip.isAudioPlayingAtTime(AudioClip::Time::seconds(1.0)));
    EXPECT_TRUE(clip.isAudioPlayingAtTime(AudioClip::Time::seconds(2.999)));
    EXPECT_FALSE(clip.isAudioPlayingAtTime(AudioClip::Time::seconds(3.0)));
}

TEST(LegacyFrameMeta, OnlyASmallRegularFileIsReadAndAnEmptySaveWritesNothing) {
    testsupport::TempAppFolders folders;
    FrameMeta meta("X", folders.documents());
    EXPECT_TRUE(meta.dictMeta().empty());
    EXPECT_TRUE(meta.saveMetaData());
    EXPECT_FALSE(fs::exists(folders.documents() + "/meta-X.meta"));
    meta.setValue(Value(1), "k");
    ASSERT_TRUE(meta.saveMetaData());
    EXPECT_EQ(FrameMeta("X", folders.documents()).objectForKey("k").asInt(), 1);
    EXPECT_TRUE(FrameMeta("../X", folders.documents()).dictMeta().empty());
    // The file comes with an old project, perhaps from a shared archive: one
    // larger than any earlier release wrote, or no regular file, reads as none.
    const std::string path = folders.documents() + "/meta-X.meta";
    const auto read = [&] { return !FrameMeta("X", folders.documents()).dictMeta().empty(); };
    testsupport::writeFileBytes(
        path, "<plist>" + std::string(2 << 20, ' ') + "<dict><key>k</key><integer>1</integer></dict></plist>");
    EXPECT_FALSE(testsupport::boundedRead(path, read));
    testsupport::expectNoneRead(path, read);
}

}  // namespace
