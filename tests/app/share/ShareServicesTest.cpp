// The share services offered for a project. What the duplicate service
// asks for is driven end to end by the project card's tests.

#include "app/core/KWProjects.h"
#include "app/share/DuplicateConnectHandler.h"
#include "app/share/ShareServices.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/library/ActivityViewController.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

namespace {

class ShareServicesTest : public ::testing::Test {
protected:
    ShareServicesTest() { KWProjects::getInstance().resetForTesting(); }
    ~ShareServicesTest() override { KWProjects::getInstance().resetForTesting(); }

    static ProjectModelPtr savedProject() {
        auto project = ProjectModel::create();
        auto list = project->getFrameList();
        list->insertFrame(Frame::create(Frame::kTypePicture), list->getCaptureIndex());
        project->saveAllDataToDisk();
        return project;
    }

    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
};

TEST_F(ShareServicesTest, DuplicateIsOfferedForSavedProjectsOnly) {
    graphics::ensureGuiApplication();
    auto services = ShareServices().getAvailableShareServices();
    ASSERT_EQ(services.size(), 1u);
    auto* duplicate = dynamic_cast<DuplicateConnectHandler*>(services[0].get());
    ASSERT_NE(duplicate, nullptr);
    EXPECT_EQ(duplicate->activityTitle(), "Duplicate");
    EXPECT_FALSE(duplicate->activityImage().isNull());
    // Fresh objects per call: a sheet prepares and keeps the ones it gets.
    EXPECT_NE(ShareServices().getAvailableShareServices()[0], services[0]);

    auto saved = savedProject();
    ASSERT_TRUE(saved->getProjectPath());
    EXPECT_TRUE(duplicate->canPerformWithActivityItems({std::any(42), std::any(saved)}));
    EXPECT_FALSE(duplicate->canPerformWithActivityItems({std::any(ProjectModel::create())}));
    EXPECT_FALSE(duplicate->canPerformWithActivityItems({std::any(ProjectModelPtr())}));
    EXPECT_FALSE(duplicate->canPerformWithActivityItems({}));

    library::ActivityViewController sheet({std::any(ProjectModel::create())}, services);
    EXPECT_TRUE(sheet.offeredActivities().empty());
}

}  // namespace
