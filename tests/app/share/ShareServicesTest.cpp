// The share services offered for a project, in order, and what the
// services that need no screen of their own do. What the duplicate service
// asks for is driven end to end by the project card's tests.

#include "ShareTestSupport.h"
#include "app/core/KWProjects.h"
#include "app/share/DropboxConnectHandler.h"
#include "app/share/DuplicateConnectHandler.h"
#include "app/share/MailConnectHandler.h"
#include "app/share/ShareServices.h"
#include "app/share/YoutubeConnectHandler.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/library/ActivityViewController.h"
#include "platform/ui/controllers/AlertView.h"
#include "support/TempAppFolders.h"
#include "support/WindowFixture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class ShareServicesTest : public testsupport::WindowFixture {
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
    static std::vector<std::string> titles(const std::vector<std::shared_ptr<library::Activity>>& services) {
        std::vector<std::string> result;
        for (const auto& service : services) result.push_back(service->activityTitle());
        return result;
    }

    testsupport::TempAppFolders folders;
    sharetest::ProgramRecorders programs{folders.root() + "/bin"};
};

TEST_F(ShareServicesTest, MailIsListedOnlyWhenTheDesktopNamesAMailProgram) {
    const std::vector<std::string> withoutMail = {"Photos", "YouTube", "Dropbox", "Save to Folder", "Duplicate"};
    const std::vector<std::string> withMail = {"Photos", "YouTube", "Dropbox", "Save to Folder", "Mail", "Duplicate"};
    struct Case {
        const char* script;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {nullptr, withoutMail},                               // no xdg-mime at all
        {"echo\n", withoutMail},                              // names no program
        {"echo thunderbird.desktop; exit 2\n", withoutMail},  // fails
        {"echo '  thunderbird.desktop'\n", withMail},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script ? c.script : "none");
        fs::remove(folders.root() + "/bin/xdg-mime");
        if (c.script) programs.write("xdg-mime", c.script);
        auto services = ShareServices().getAvailableShareServices();
        EXPECT_EQ(titles(services), c.expected);
        for (const auto& service : services) {
            EXPECT_FALSE(service->activityImage().isNull()) << service->activityTitle();
            EXPECT_EQ(service->activityTitle().find("iCloud"), std::string::npos);
        }
    }
    // Fresh objects per call: a sheet prepares and keeps the ones it gets.
    EXPECT_NE(ShareServices().getAvailableShareServices()[0], ShareServices().getAvailableShareServices()[0]);
}

TEST_F(ShareServicesTest, EveryServiceWorksOnSavedProjectsOnly) {
    programs.mailHandler("thunderbird.desktop");
    auto services = ShareServices().getAvailableShareServices();
    ASSERT_EQ(services.size(), 6u);
    auto saved = savedProject();
    ASSERT_TRUE(saved->getProjectPath());
    for (const auto& service : services) {
        SCOPED_TRACE(service->activityTitle());
        EXPECT_TRUE(service->canPerformWithActivityItems({std::any(42), std::any(saved)}));
        EXPECT_FALSE(service->canPerformWithActivityItems({std::any(ProjectModel::create())}));
        EXPECT_FALSE(service->canPerformWithActivityItems({std::any(ProjectModelPtr())}));
        EXPECT_FALSE(service->canPerformWithActivityItems({}));
    }
    library::ActivityViewController sheet({std::any(ProjectModel::create())}, services);
    EXPECT_TRUE(sheet.offeredActivities().empty());
    library::ActivityViewController savedSheet({std::any(saved)}, services);
    EXPECT_EQ(savedSheet.offeredActivities().size(), 6u);
}

TEST_F(ShareServicesTest, OnlineServicesSayWhyTheyCannotUpload) {
    auto saved = savedProject();
    window->setRootViewController(std::make_shared<ui::ViewController>());
    auto choose = [&](const std::shared_ptr<library::Activity>& service) {
        auto sheet = std::make_shared<library::ActivityViewController>(
            library::ActivityItems{std::any(saved)}, std::vector<std::shared_ptr<library::Activity>>{service});
        std::optional<bool> completed;
        sheet->completionHandler = [&](const std::optional<std::string>&, bool done) { completed = done; };
        window->rootViewController()->presentViewController(sheet, false);
        advance(1);
        sheet->chooseActivityAtIndex(0);
        advance(1);
        EXPECT_EQ(completed, std::optional<bool>(false));
        auto messages = alertMessages();
        for (auto& alert : ui::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
        advance(1);
        return messages;
    };
    EXPECT_EQ(choose(std::make_shared<YoutubeConnectHandler>()),
              std::vector<std::string>{"YouTube is not set up on this computer."});
    EXPECT_EQ(choose(std::make_shared<DropboxConnectHandler>()),
              std::vector<std::string>{"Dropbox is not set up on this computer."});
}

class MailTest : public ::testing::Test {
protected:
    // Hands the file over and waits for the service's answer.
    void send(const std::string& title, const std::string& caption) {
        mail->setDelegate(&delegate);
        mail->uploadFile(movie, title, caption, kUTTypeQuickTimeMovie);
        ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return delegate.ended(); }, 30));
    }
    std::vector<std::string> outboxEntries() const {
        std::vector<std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(foundation::Paths::cachesDirectory() + "/Outbox"))
            if (entry.is_regular_file()) entries.push_back(entry.path());
        return entries;
    }

    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
    sharetest::ProgramRecorders programs{folders.root() + "/bin"};
    std::shared_ptr<MailConnectHandler> mail = std::make_shared<MailConnectHandler>();
    sharetest::RecordingDelegate delegate;
    std::string movie = [this] {
        std::string path = folders.root() + "/My_Movie.mov";
        std::ofstream(path) << "movie";
        return path;
    }();
};

TEST_F(MailTest, HandsTheOutboxCopyToXdgEmailAsAnArgumentVector) {
    programs.mailer(0);
    const std::string title = "Rock \"n\" Roll; $(rm -rf ~) `x` --attach /etc/passwd";
    send(title, "Our first film");
    EXPECT_EQ(delegate.finished, 1);
    EXPECT_TRUE(delegate.failures.empty());
    auto entries = outboxEntries();
    ASSERT_EQ(entries.size(), 1u) << "the entry stays for the mail program";
    EXPECT_FALSE(fs::equivalent(entries[0], movie)) << "a copy of its own";
    EXPECT_EQ(programs.recordedArguments(),
              (std::vector<std::string>{"--subject", title, "--body", "Our first film\n\nMade with Tollivar",
                                        "--attach", entries[0]}));
    EXPECT_TRUE(fs::path(entries[0]).is_absolute());
}

TEST_F(MailTest, AMailProgramThatFailsOrIsMissingIsReported) {
    for (bool installed : {true, false}) {
        SCOPED_TRACE(installed);
        delegate = {};
        fs::remove(folders.root() + "/bin/xdg-email");
        if (installed) programs.mailer(1);
        // A clean PATH so the machine's own xdg-email cannot answer.
        testsupport::ScopedEnvironment path({{"PATH", folders.root() + "/bin:/usr/bin/nonexistent"}});
        send("Title", "");
        EXPECT_EQ(delegate.finished, 0);
        ASSERT_EQ(delegate.failures.size(), 1u);
        EXPECT_EQ(delegate.failures[0].description, "Your mail program could not be opened.");
        EXPECT_TRUE(outboxEntries().empty()) << "nothing took the file";
    }
}

}  // namespace
