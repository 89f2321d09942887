#include "ProjectModelFixture.h"
#include "app/core/ProjectTrackModel.h"

#include <gtest/gtest.h>

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

namespace {

using ItemPtr = ProjectTrackModel::ItemPtr;

ItemPtr item(int64_t start, int64_t duration) {
    auto made = std::make_shared<ProjectTrackItemModel>();
    made->setStart(start);
    made->setDuration(duration);
    return made;
}

void expectColor(const graphics::Color& color, int red, int green, int blue) {
    auto rgba = color.rgba();
    ASSERT_TRUE(rgba);
    EXPECT_NEAR(rgba->red, red / 255.0, 1e-6);
    EXPECT_NEAR(rgba->green, green / 255.0, 1e-6);
    EXPECT_NEAR(rgba->blue, blue / 255.0, 1e-6);
    EXPECT_NEAR(rgba->alpha, 0.9, 1e-6);
}

TEST(TrackTypes, StoreNamesAndDefaultNames) {
    EXPECT_EQ(ProjectTrackModel::getTrackStoreNameForTrackType(5), "ProjectTrackTypeAudio");
    EXPECT_EQ(ProjectTrackModel::getTrackTypeForName("ProjectTrackTypeMarker"), 1);
    EXPECT_EQ(ProjectTrackModel::getTrackTypeForName("ProjectTrackTypeDefault"), 0);
    EXPECT_EQ(ProjectTrackModel::getTrackTypeForName("ProjectTrackTypeVideo"), std::nullopt);
    EXPECT_EQ(ProjectTrackModel(4).name(), "Background");
    EXPECT_EQ(ProjectTrackModel().name(), "");
    EXPECT_EQ(ProjectTrackModel(9).getDefaultName(), "");
    EXPECT_TRUE(ProjectTrackModel().isEnabled());
    EXPECT_FALSE(ProjectTrackModel().isHidden());
}

TEST(TrackItems, DefaultColoursByType) {
    expectColor(ProjectTrackItemModel().color(), 104, 168, 8);
    expectColor(ProjectTrackItemModel(1).color(), 104, 168, 8);
    expectColor(ProjectTrackItemModel(2).color(), 104, 68, 8);
    expectColor(ProjectTrackItemModel(3).color(), 4, 168, 128);
    expectColor(ProjectTrackItemModel(4).color(), 204, 8, 128);
    expectColor(ProjectTrackItemModel(5).color(), 4, 180, 178);
    expectColor(ProjectTrackItemModel(17).color(), 104, 168, 8);
}

TEST(TrackItems, ItemWithoutColourReadIntoAnEffectTrackKeepsTheTypeZeroColour) {
    Dictionary stored{{"Items", Array{Dictionary{{"Start", Value(3)}, {"Duration", Value(2)}}}}};
    ProjectTrackModel track(stored, ProjectTrackModel::kTypeEffect);
    ASSERT_EQ(track.getItems().size(), 1u);
    EXPECT_EQ(track.getItems()[0]->type(), 2);
    expectColor(track.getItems()[0]->color(), 104, 168, 8);
    expectColor(track.getItems()[0]->getDefaultColor(), 104, 68, 8);
    EXPECT_EQ(track.getItems()[0]->getEnd(), 5);
}

TEST(TrackItems, RoundTripAndDuplicate) {
    ProjectTrackItemModel original(3);
    original.setName("Sun");
    original.setStart(10);
    original.setDuration(4);
    original.setInformation("bright");
    original.setMeta(Dictionary{{"k", Value(1)}});
    original.setColor(graphics::Color::rgb(0.25, 0.5, 0.75, 1.0));

    ProjectTrackItemModel back(original.encode());
    EXPECT_EQ(back.itemID(), original.itemID());
    EXPECT_EQ(back.name(), "Sun");
    EXPECT_EQ(back.start(), 10);
    EXPECT_EQ(back.duration(), 4);
    EXPECT_EQ(back.information(), "bright");
    EXPECT_EQ(back.meta().get("k").asInt(), 1);
    EXPECT_NEAR(back.color().rgba()->blue, 0.75, 1e-6);

    auto copy = original.duplicate();
    EXPECT_NE(copy->itemID(), original.itemID());
    EXPECT_EQ(copy->type(), 0);
    EXPECT_EQ(copy->name(), "Sun");
    copy->meta().set("k", Value(2));
    EXPECT_EQ(original.meta().get("k").asInt(), 1);
}

TEST(TrackItems, UnnamedItemReadsBackUnnamed) {
    ProjectTrackItemModel unnamed;
    EXPECT_FALSE(unnamed.encode().contains("Name"));
    EXPECT_EQ(ProjectTrackItemModel(unnamed.encode()).name(), std::nullopt);
    EXPECT_EQ(ProjectTrackItemModel(Dictionary{}).meta().size(), 0u);
}

TEST(TrackLookup, ItemAtPositionAndClosestItem) {
    ProjectTrackModel track(ProjectTrackModel::kTypeMarker);
    ItemPtr first = item(0, 5), second = item(5, 5);
    track.addItem(first);
    track.addItem(second);
    EXPECT_EQ(track.getItemAtIndex(4), first);
    EXPECT_EQ(track.getItemAtIndex(5), second);
    EXPECT_EQ(track.getItemAtIndex(10), nullptr);

    ProjectTrackModel spread;
    ItemPtr at2 = item(2, 1), at6 = item(6, 1), at4 = item(4, 1), alsoAt4 = item(4, 9);
    for (const ItemPtr& i : {at2, at6, at4, alsoAt4}) spread.addItem(i);
    EXPECT_EQ(spread.getClosestItemToIndex(3), at4);
    EXPECT_EQ(spread.getClosestItemToIndex(2), at2);
    EXPECT_EQ(spread.getClosestItemToIndex(7), nullptr);

    spread.addItem(at2);
    spread.deleteItem(at2);
    EXPECT_EQ(spread.getItems().size(), 3u);
}

TEST(TrackDictionary, MissingKeysTakeDefaults) {
    ProjectTrackModel audio(Dictionary{}, ProjectTrackModel::kTypeAudio);
    EXPECT_EQ(audio.name(), "Audio");
    EXPECT_TRUE(audio.isEnabled());
    EXPECT_FALSE(audio.isHidden());
    EXPECT_TRUE(audio.getItems().empty());
    EXPECT_EQ(audio.trackID().size(), 36u);

    Dictionary encoded = audio.encode();
    EXPECT_EQ(encoded.keys(), (std::vector<std::string>{"ID", "Name", "Hidden", "Enabled", "Items"}));
    EXPECT_EQ(ProjectTrackModel(encoded, 5).trackID(), audio.trackID());
}

class ProjectTracksTest : public ProjectModelFixture {};

TEST_F(ProjectTracksTest, ProjectWithoutTracksHasNone) {
    auto project = ProjectModel::create();
    EXPECT_TRUE(project->getAllTracks().empty());
    for (int32_t type = 0; type < ProjectTrackModel::kTypeCount; ++type) EXPECT_FALSE(project->hasTrackOfType(type));
    EXPECT_FALSE(project->getTracksOfType(1));
    EXPECT_EQ(project->encode().size(), 0u);
}

TEST_F(ProjectTracksTest, AddInsertDeleteAndListByType) {
    auto project = ProjectModel::create();
    auto effect = std::make_shared<ProjectTrackModel>(2);
    auto markerA = std::make_shared<ProjectTrackModel>(1);
    auto markerB = std::make_shared<ProjectTrackModel>(1);
    auto markerC = std::make_shared<ProjectTrackModel>(1);
    project->addTrack(effect);
    project->addTrack(markerA);
    project->addTrack(markerB, 0);
    project->addTrack(markerC, 2);  // equal to the count: appended
    EXPECT_EQ(*project->getTracksOfType(1), (std::vector<ProjectModel::TrackPtr>{markerB, markerA, markerC}));

    auto all = project->getAllTracks();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(project->encode().keys(), (std::vector<std::string>{"ProjectTrackTypeMarker", "ProjectTrackTypeEffect"}));
    EXPECT_EQ(all.back(), effect);
    EXPECT_EQ(project->getTrackWithTrackID(effect->trackID()), nullptr);

    project->deleteTrack(markerA);
    EXPECT_EQ(project->getTracksOfType(1)->size(), 2u);
    EXPECT_TRUE(project->hasTrackOfType(2));
}

TEST_F(ProjectTracksTest, TracksAreReadFromAndStoredUnderTracks) {
    auto project = ProjectModel::create();
    addPictures(project, 1);
    auto audio = std::make_shared<ProjectTrackModel>(5);
    auto clip = std::make_shared<ProjectTrackItemModel>(5);
    clip->setName("Song");
    audio->addItem(clip);
    project->addTrack(audio);
    project->saveAllDataToDisk();

    auto reopened = ProjectModel::create(project->getProjectPath());
    auto tracks = reopened->getTracksOfType(5);
    ASSERT_TRUE(tracks);
    ASSERT_EQ(tracks->size(), 1u);
    EXPECT_EQ((*tracks)[0]->trackID(), audio->trackID());
    ASSERT_EQ((*tracks)[0]->getItems().size(), 1u);
    EXPECT_EQ((*tracks)[0]->getItems()[0]->name(), "Song");
    EXPECT_EQ((*tracks)[0]->getItems()[0]->type(), 5);
}

TEST_F(ProjectTracksTest, UnknownStoreNamesAreSkippedAndUntouchedTracksAreNotWritten) {
    auto project = ProjectModel::create();
    Dictionary stored{{"ProjectTrackTypeVideo", Array{Dictionary{}}}, {"ProjectTrackTypeMarker", Array{Dictionary{}}}};
    auto tracks = project->getTracksFromDictonary(stored);
    EXPECT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks["ProjectTrackTypeMarker"].size(), 1u);

    addPictures(project, 1);
    project->getAllTracks();
    project->saveAllDataToDisk();
    EXPECT_FALSE(project->getMetaData()->contains("Tracks"));
}

}  // namespace
