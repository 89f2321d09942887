#include "app/core/Frame.h"
#include "support/Pictures.h"
#include "support/Process.h"

#include <cmath>
#include <gtest/gtest.h>
#include <regex>

using foundation::Dictionary;
using foundation::Value;

namespace {

bool isUUID(const std::string& text) {
    static const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    return std::regex_match(text, form);
}

TEST(FrameIdentity, NewFrameUsesOneFreshUUIDForBothIdentifiers) {
    FramePtr a = Frame::create(Frame::kTypePicture);
    FramePtr b = Frame::create(Frame::kTypePicture);
    EXPECT_TRUE(isUUID(a->UID()));
    EXPECT_EQ(a->UID(), a->frameID());
    EXPECT_NE(a->UID(), b->UID());
    EXPECT_EQ(a->getDuration(), 1);
    EXPECT_EQ(a->getAudio(), nullptr);
    EXPECT_EQ(a->getTheme(), nullptr);
    EXPECT_FALSE(a->isFramePausedForDurationOfAudio());
}

TEST(FrameIdentity, GivenFrameIDKeepsItAndDrawsAFreshUID) {
    FramePtr frame = Frame::create(Frame::kTypeThemeTextCard, "SHARED");
    EXPECT_EQ(frame->frameID(), "SHARED");
    EXPECT_TRUE(isUUID(frame->UID()));
    EXPECT_EQ(frame->type(), 4);
}

TEST(FrameDictionary, MissingIdentifiersBecomeOneFreshUUIDAndAStoredFrameIDIsKept) {
    FramePtr frame = Frame::createWithDictionary(Dictionary{});
    EXPECT_TRUE(isUUID(frame->UID()));
    EXPECT_EQ(frame->UID(), frame->frameID());
    EXPECT_EQ(frame->type(), 0);
    EXPECT_EQ(frame->getDuration(), 1);
    EXPECT_FALSE(frame->isFramePausedForDurationOfAudio());

    // A stored frame ID without a UID is kept; the UID is drawn afresh.
    FramePtr old = Frame::createWithDictionary(Dictionary{{"FRAME_ID", "OLD"}});
    EXPECT_EQ(old->frameID(), "OLD");
    EXPECT_NE(old->UID(), "OLD");
    EXPECT_TRUE(isUUID(old->UID()));
}

TEST(FrameDictionary, PictureWritesNoTypeKeyAndOtherTypesDo) {
    Dictionary picture = Frame::create(Frame::kTypePicture)->encode();
    EXPECT_FALSE(picture.contains("FRAME_TYPE"));
    EXPECT_EQ(Frame::createWithDictionary(picture)->type(), 0);

    Dictionary card = Frame::create(Frame::kTypeThemeTextCard)->encode();
    EXPECT_EQ(card.get("FRAME_TYPE").asInt(), 4);
    EXPECT_TRUE(card.get("FRAME_TYPE").isInteger());
    EXPECT_EQ(Frame::createWithDictionary(card)->type(), 4);
}

TEST(FrameDictionary, WritesExactlyTheDocumentedKeysAndTypes) {
    FramePtr frame = Frame::create(Frame::kTypePicture);
    Dictionary plain = frame->encode();
    EXPECT_EQ(plain.keys(), (std::vector<std::string>{"UID", "FRAME_ID", "DURATION", "IS_FRAME_PAUSED_FOR_AUDIO"}));
    EXPECT_TRUE(plain.get("DURATION").isInteger());
    EXPECT_TRUE(plain.get("IS_FRAME_PAUSED_FOR_AUDIO").isBool());

    frame->setAudio(std::make_shared<KWAudioClip>("Voice", "voice.m4a"));
    frame->setTheme(std::make_shared<KWThemeItem>());
    Dictionary full = frame->encode();
    EXPECT_TRUE(full.get("AUDIO").isDictionary());
    EXPECT_TRUE(full.get("THEME").isDictionary());
}

TEST(FrameDictionary, HoldOfZeroOrLessReadsBackUnchanged) {
    for (int64_t hold : {0, -3}) {
        FramePtr frame = Frame::create(Frame::kTypePicture);
        frame->setDuration(hold);
        EXPECT_EQ(Frame::createWithDictionary(frame->encode())->getDuration(), hold);
    }
}

TEST(FrameDictionary, ValuesOfTheWrongKindCountAsMissing) {
    Dictionary odd{{"UID", Value(7)}, {"DURATION", "many"}, {"AUDIO", "clip"}, {"THEME", Value(3)}};
    FramePtr frame = Frame::createWithDictionary(odd);
    EXPECT_TRUE(isUUID(frame->UID()));
    EXPECT_EQ(frame->getDuration(), 1);
    EXPECT_EQ(frame->getAudio(), nullptr);
    EXPECT_EQ(frame->getTheme(), nullptr);
}

TEST(FrameDictionary, RoundTripKeepsEverythingButTheClipsTrackPosition) {
    FramePtr frame = Frame::create(Frame::kTypeThemeTextCard);
    frame->setDuration(7);
    frame->setIsFramePausedForDurationOfAudio(true);
    auto clip = std::make_shared<KWAudioClip>("Voice", "voice.m4a");
    clip->setStart(150);
    clip->setStop(2500);
    clip->setDuration(9000);
    clip->setVolume(0.25f);
    clip->setTimeIndexInAudioTrack(4321);
    frame->setAudio(clip);
    auto theme = std::make_shared<KWThemeItem>();
    theme->setText("The End");
    theme->setThemeID(3);
    frame->setTheme(theme);

    FramePtr back = Frame::createWithDictionary(frame->encode());
    EXPECT_EQ(back->UID(), frame->UID());
    EXPECT_EQ(back->frameID(), frame->frameID());
    EXPECT_EQ(back->type(), 4);
    EXPECT_EQ(back->getDuration(), 7);
    EXPECT_TRUE(back->isFramePausedForDurationOfAudio());
    ASSERT_NE(back->getAudio(), nullptr);
    EXPECT_EQ(back->getAudio()->start(), 150);
    EXPECT_EQ(back->getAudio()->stop(), 2500);
    EXPECT_EQ(back->getAudio()->duration(), 9000);
    EXPECT_FLOAT_EQ(back->getAudio()->volume(), 0.25f);
    EXPECT_EQ(back->getAudio()->name(), "Voice");
    EXPECT_EQ(back->getAudio()->fileName(), "voice.m4a");
    EXPECT_EQ(back->getAudio()->timeIndexInAudioTrack(), 0);
    ASSERT_NE(back->getTheme(), nullptr);
    EXPECT_EQ(back->getTheme()->text(), "The End");
    EXPECT_EQ(back->getTheme()->themeID(), 3);
}

TEST(FrameArchive, KeyedArchiverRoundTripAndLayout) {
    FramePtr frame = Frame::create(Frame::kTypePicture);
    frame->setDuration(3);
    frame->setAudio(std::make_shared<KWAudioClip>("Voice", "voice.m4a"));
    auto archive = foundation::KeyedArchiver::archivedData(std::shared_ptr<foundation::Archivable>(frame));
    ASSERT_TRUE(archive);

    auto back = foundation::KeyedUnarchiver::unarchiveObject(*archive);
    ASSERT_TRUE(back) << back.error().description;
    auto decoded = std::dynamic_pointer_cast<Frame>(*back);
    ASSERT_NE(decoded, nullptr);
    EXPECT_NE(decoded, frame);
    EXPECT_EQ(decoded->UID(), frame->UID());
    EXPECT_EQ(decoded->getDuration(), 3);
    EXPECT_EQ(decoded->getAudio()->fileName(), "voice.m4a");

    // The archive names the class and keeps the dictionary under FRAME_DATA.
    auto layout = testsupport::runPython(R"(
import plistlib, sys
archive = plistlib.load(open(sys.argv[1], 'rb'))
objects = archive['$objects']
root = objects[archive['$top']['root'].data]
print(objects[root['$class'].data]['$classname'], 'FRAME_DATA' in root)
)",
                                         {testsupport::writeTestFile("frame-archive.plist", *archive)});
    EXPECT_EQ(layout.exitCode, 0) << layout.output;
    EXPECT_EQ(layout.output, "Frame True\n");
}

TEST(FrameArchive, FramesInsideArchivedContainersComeBackAsFrames) {
    FramePtr a = Frame::create(Frame::kTypePicture), b = Frame::create(Frame::kTypeTitleCard);
    foundation::Array frames{foundation::archivableValue(a), foundation::archivableValue(b)};
    auto archive = foundation::KeyedArchiver::archivedData(Value(Dictionary{{"FRAMES", frames}, {"WHERE", "/p"}}));
    ASSERT_TRUE(archive) << archive.error().description;
    auto back = foundation::KeyedUnarchiver::unarchiveValue(*archive);
    ASSERT_TRUE(back) << back.error().description;
    foundation::Array decoded = back->asDictionary().get("FRAMES").asArray();
    ASSERT_EQ(decoded.size(), 2u);
    auto first = std::dynamic_pointer_cast<Frame>(foundation::archivableFrom(decoded[0]));
    auto second = std::dynamic_pointer_cast<Frame>(foundation::archivableFrom(decoded[1]));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->UID(), a->UID());
    EXPECT_EQ(second->type(), Frame::kTypeTitleCard);
}

TEST(FrameArchive, ArchivedFrameWithoutDataIsRefused) {
    struct Impostor : foundation::Archivable {
        std::string className() const override { return "Frame"; }
        void encodeWithCoder(foundation::KeyedArchiver& coder) const override { coder.encodeInt(1, "OTHER"); }
    };
    auto archive = foundation::KeyedArchiver::archivedData(std::make_shared<Impostor>());
    ASSERT_TRUE(archive);
    EXPECT_FALSE(foundation::KeyedUnarchiver::unarchiveObject(*archive));
}

TEST(FrameDictionary, HoldsBeyondThirtyTwoBitsAreDamageInFilesAndArchives) {
    struct Case {
        Value hold;
        bool readable;
    };
    const Case cases[] = {
        {Value(int64_t(2147483647)), true},
        {Value(int64_t(-2147483648LL)), true},
        {Value(0), true},
        {Value::real(2147483647.0), true},
        {Value("many"), true},
        {Value(true), true},
        {Value(int64_t(2147483648LL)), false},
        {Value(int64_t(-2147483649LL)), false},
        {Value(18446744073709551615ULL), false},
        {Value::real(1e300), false},
        {Value::real(std::nan("")), false},
    };
    for (const Case& c : cases) {
        Dictionary stored{{"UID", "U"}, {"FRAME_ID", "F"}, {"DURATION", c.hold}};
        EXPECT_EQ(Frame::checkDictionary(stored).ok(), c.readable) << c.hold.description();
        // The pasteboard's archives are held to the same rule.
        struct Stored : foundation::Archivable {
            Dictionary dictionary;
            std::string className() const override { return "Frame"; }
            void encodeWithCoder(foundation::KeyedArchiver& coder) const override {
                coder.encodeValue(dictionary, Frame::kArchiveKey);
            }
        };
        auto archived = std::make_shared<Stored>();
        archived->dictionary = stored;
        auto archive = foundation::KeyedArchiver::archivedData(archived);
        ASSERT_TRUE(archive);
        EXPECT_EQ(bool(foundation::KeyedUnarchiver::unarchiveObject(*archive)), c.readable) << c.hold.description();
    }
}

TEST(FrameCopy, CopyHasNewIdentityAndIndependentClipSharingTheAudioFile) {
    FramePtr frame = Frame::create(Frame::kTypePicture);
    frame->setDuration(4);
    frame->setIsFramePausedForDurationOfAudio(true);
    frame->setAudio(std::make_shared<KWAudioClip>("Song", "song.m4a"));
    frame->setTheme(std::make_shared<KWThemeItem>());

    FramePtr copy = frame->copy();
    EXPECT_NE(copy->UID(), frame->UID());
    EXPECT_EQ(copy->UID(), copy->frameID());
    EXPECT_EQ(copy->getDuration(), 4);
    EXPECT_TRUE(copy->isFramePausedForDurationOfAudio());
    ASSERT_NE(copy->getAudio(), nullptr);
    EXPECT_NE(copy->getAudio(), frame->getAudio());
    EXPECT_EQ(copy->getAudio()->fileName(), "song.m4a");
    ASSERT_NE(copy->getTheme(), nullptr);
    EXPECT_NE(copy->getTheme(), frame->getTheme());

    copy->getAudio()->setName("Changed");
    EXPECT_EQ(frame->getAudio()->name(), "Song");
}

TEST(FrameCapabilities, CaptureSlotCanOnlyBePastedAt) {
    FramePtr slot = Frame::create(Frame::kTypeCaptureSlot);
    EXPECT_TRUE(slot->canPaste());
    EXPECT_FALSE(slot->canCopy());
    EXPECT_FALSE(slot->canDelete());
    EXPECT_FALSE(slot->canHold());
    EXPECT_FALSE(slot->canSelect());
    EXPECT_FALSE(slot->canCapture());
    for (int32_t type : {0, 2, 3, 4}) {
        FramePtr frame = Frame::create(type);
        EXPECT_TRUE(frame->canCopy() && frame->canDelete() && frame->canHold() && frame->canSelect() &&
                    frame->canCapture() && frame->canPaste())
            << "type " << type;
    }
}

TEST(AudioClip, DictionaryDefaultsForMissingKeys) {
    KWAudioClip clip{Dictionary{{"START", Value(10)}}};
    EXPECT_EQ(clip.start(), 10);
    EXPECT_EQ(clip.stop(), -1);
    EXPECT_EQ(clip.duration(), -1);
    EXPECT_FLOAT_EQ(clip.volume(), 1.0f);
    EXPECT_EQ(clip.name(), std::nullopt);
    EXPECT_EQ(clip.fileName(), std::nullopt);
    EXPECT_EQ(KWAudioClip(Dictionary{}).start(), 0);
}

TEST(AudioClip, NamedClipStartsSilentAndWritesOnlySetTexts) {
    KWAudioClip clip("Voice", "voice.m4a");
    EXPECT_FLOAT_EQ(clip.volume(), 0.0f);
    EXPECT_EQ(clip.stop(), 0);
    Dictionary dictionary = clip.encode();
    EXPECT_TRUE(dictionary.get("VOLUME").isReal());
    EXPECT_EQ(dictionary.get("NAME").asString(), "Voice");

    KWAudioClip unnamed(std::nullopt, std::nullopt);
    Dictionary bare = unnamed.encode();
    EXPECT_EQ(bare.keys(), (std::vector<std::string>{"START", "STOP", "DURATION", "VOLUME"}));
}

TEST(ThemeItem, DefaultsAndDictionaryForm) {
    KWThemeItem empty;
    EXPECT_EQ(empty.text(), std::nullopt);
    EXPECT_EQ(empty.themeID(), 0);
    EXPECT_EQ(empty.encode().keys(), std::vector<std::string>{"THEMEID"});

    KWThemeItem read{Dictionary{{"TEXT", "Hello"}}};
    EXPECT_EQ(read.text(), "Hello");
    EXPECT_EQ(read.themeID(), 0);
}

}  // namespace
