#include "ProjectModelFixture.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/PropertyList.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <thread>

using foundation::Array;
using foundation::Value;
namespace fs = std::filesystem;

namespace {

class ProjectListTest : public ProjectModelFixture {
protected:
    std::vector<std::string> listedNames() const {
        std::vector<std::string> names;
        auto stored = foundation::plist::readFile(folders_.documents() + "/.projects.plist");
        if (stored && stored->isArray())
            for (const Value& name : stored->asArray()) names.push_back(name.asString());
        return names;
    }

    // Starts a list operation and runs the main loop until its completion
    // has come and what it queued has run; the error it reported.
    std::optional<foundation::Error> outcomeOf(const std::function<void(KWProjects::Completion)>& start) {
        std::atomic<bool> done = false;
        std::optional<foundation::Error> reported;
        start([&](const std::optional<foundation::Error>& error) {
            reported = error;
            done = true;
        });
        EXPECT_TRUE(runMainUntil([&] { return done.load(); }));
        foundation::RunLoop::main().runUntilIdle();
        return reported;
    }

    static std::string nameOf(const ProjectModelPtr& project) {
        return fs::path(*project->getProjectPath()).filename().string();
    }
};

TEST_F(ProjectListTest, WithoutListFileOnlyTheUnsavedEntryExists) {
    auto& projects = KWProjects::getInstance().getProjects();
    ASSERT_EQ(projects.size(), 1u);
    EXPECT_FALSE(projects[0]->getProjectPath());
    EXPECT_EQ(&KWProjects::getInstance(), &KWProjects::getInstance());
}

TEST_F(ProjectListTest, ListedNamesMapToFoldersAndTheIntroductionLivesInCaches) {
    Array names{Value(".kelbrin-introduction"), Value(".kelbrin-2024-01-02-03-04-05"), Value("kelbrin-old"),
                Value("../outside"), Value(7)};
    fs::create_directories(folders_.documents());
    ASSERT_TRUE(foundation::plist::writeFile(Value(names), folders_.documents() + "/.projects.plist"));

    auto& projects = KWProjects::getInstance().getProjects();
    ASSERT_EQ(projects.size(), 4u);
    EXPECT_EQ(fs::path(*projects[1]->getProjectPath()), fs::path(folders_.caches()) / ".kelbrin-introduction");
    EXPECT_EQ(fs::path(*projects[2]->getProjectPath()),
              fs::path(folders_.documents()) / ".kelbrin-2024-01-02-03-04-05");
    EXPECT_EQ(fs::path(*projects[3]->getProjectPath()), fs::path(folders_.documents()) / "kelbrin-old");
}

TEST_F(ProjectListTest, RegisteringPutsAProjectAtOneOnce) {
    auto first = savedProject();
    auto second = savedProject();
    KWProjects::getInstance().addProject(second);
    auto& projects = KWProjects::getInstance().getProjects();
    ASSERT_EQ(projects.size(), 3u);
    EXPECT_EQ(projects[1], second);
    EXPECT_EQ(projects[2], first);
    EXPECT_EQ(listedNames(), (std::vector<std::string>{nameOf(second), nameOf(first)}));
}

TEST_F(ProjectListTest, RegisteringFromAnotherThreadWaitsForTheMainQueue) {
    auto project = ProjectModel::create();
    std::atomic<bool> stored = false;
    foundation::DispatchQueue::global().async([&] {
        // A picture stored by a background import creates the folder there.
        bool ok = project->updateRegularFileWithContents(foundation::Bytes{1, 2, 3}, "frame-A.jpg").ok();
        foundation::DispatchQueue::main().async([&stored, ok] { stored = ok; });
    });
    ASSERT_TRUE(runMainUntil([&] { return stored.load(); }));
    EXPECT_EQ(KWProjects::getInstance().getProjects()[1], project);
    EXPECT_EQ(listedNames(), std::vector<std::string>{nameOf(project)});
}

TEST_F(ProjectListTest, DuplicateGoesInFrontOfItsSource) {
    auto third = savedProject(1);
    auto second = savedProject(2);
    auto first = savedProject(3);
    auto& projects = KWProjects::getInstance().getProjects();
    ASSERT_EQ(projects[3], third);
    first->setName("Renamed");
    first->saveMetaDataToDisk();
    // Modes as an earlier version took them from an archive.
    for (const auto& entry : fs::recursive_directory_iterator(*third->getProjectPath()))
        ASSERT_EQ(::chmod(entry.path().c_str(), 06777), 0);

    std::atomic<bool> done = false;
    std::optional<foundation::Error> reported;
    KWProjects::getInstance().duplicateProject(third, [&](const std::optional<foundation::Error>& error) {
        reported = error;
        foundation::DispatchQueue::main().async([&] { done = true; });
    });
    ASSERT_TRUE(runMainUntil([&] { return done.load(); }));
    EXPECT_FALSE(reported);
    ASSERT_EQ(projects.size(), 5u);
    ProjectModelPtr copy = projects[3];
    EXPECT_EQ(projects[4], third);
    EXPECT_NE(copy->getProjectPath(), third->getProjectPath());
    EXPECT_EQ(copy->getFrameList()->count(), 2);
    EXPECT_EQ(copy->getFrameList()->getFrameAtIndex(0)->frameID(),
              third->getFrameList()->getFrameAtIndex(0)->frameID());
    EXPECT_EQ(listedNames(), (std::vector<std::string>{nameOf(first), nameOf(second), nameOf(copy), nameOf(third)}));
    // Told apart by its name, on disk too.
    EXPECT_EQ(copy->getName(), third->getName() + " copy");
    EXPECT_EQ(ProjectModel::create(*copy->getProjectPath())->getName(), third->getName() + " copy");
    // Nothing in it that others may write or that is set-id.
    for (const auto& entry : fs::recursive_directory_iterator(*copy->getProjectPath()))
        EXPECT_EQ(fs::status(entry.path()).permissions() & fs::perms(07022), fs::perms::none) << entry.path();
}

// What a kill leaves between a project's move into place and the save of
// the list, and what else may be found, as the next start sees it.
TEST_F(ProjectListTest, WholeUnlistedProjectsAreListedAtTheStartAndEmptyFoldersGo) {
    auto listed = savedProject(), older = savedProject(), newer = savedProject();
    auto& list = KWProjects::getInstance();
    ASSERT_TRUE(list.removeProject(older) && list.removeProject(newer));
    // Not whole projects: empty, without metadata, a link, the introduction's name.
    const fs::path documents = folders_.documents(), empty = documents / ".kelbrin-2001-01-01-00-00-00",
                   noMeta = documents / ".kelbrin-2001-01-01-00-00-01";
    for (const fs::path& folder : {empty, noMeta}) fs::create_directory(folder);
    std::ofstream(noMeta / "frame-1.jpg") << "jpeg";
    fs::copy(*older->getProjectPath(), documents / ".kelbrin-introduction");
    fs::create_directory_symlink(*older->getProjectPath(), documents / ".kelbrin-link");

    EXPECT_EQ(list.adoptUnlistedProjects(), (std::vector<std::string>{nameOf(older), nameOf(newer)}));
    EXPECT_EQ(listedNames(), (std::vector<std::string>{nameOf(newer), nameOf(older), nameOf(listed)}));
    EXPECT_FALSE(fs::exists(empty));
    EXPECT_TRUE(fs::exists(noMeta / "frame-1.jpg")) << "what may be the user's is kept";
}

TEST(DuplicateName, CopiesAreNamedApartFromEveryListedName) {
    struct Case {
        const char* name;
        std::vector<std::string> taken;
        const char* expected;
    } cases[] = {
        {"Robot dance", {"Robot dance"}, "Robot dance copy"},
        {"Robot dance", {"Robot dance", "Robot dance copy"}, "Robot dance copy 2"},
        {"Robot dance", {"Robot dance", "Robot dance copy", "Robot dance copy 2"}, "Robot dance copy 3"},
        {"Robot dance copy", {"Robot dance", "Robot dance copy"}, "Robot dance copy 2"},
        {"Robot dance copy 2", {"Robot dance", "Robot dance copy", "Robot dance copy 2"}, "Robot dance copy 3"},
        {"Robot dance", {"Robot dance", "Robot dance copy 2"}, "Robot dance copy"},  // a gap is used
        {"copy", {"copy"}, "copy copy"},
    };
    for (const Case& c : cases) EXPECT_EQ(KWProjects::duplicateName(c.name, c.taken), c.expected) << c.name;
}

// A copy that fails half-way, or that the application's quit stops once
// the copy of its many files is under way, inserts nothing and leaves nothing.
TEST_F(ProjectListTest, FailedDuplicateInsertsNothingAndLeavesNoCopy) {
    auto project = savedProject();
    fs::path folder = *project->getProjectPath();
    for (int i = 0; i < 2000; ++i) std::ofstream(folder / ("pad-" + std::to_string(i))) << i;

    for (bool quit : {true, false}) {
        // Then a pipe, which cannot be copied, listed last: the copy fails half-way.
        ASSERT_TRUE(quit || ::mkfifo((folder / "zz-pipe").c_str(), 0600) == 0);
        std::atomic<bool> ended = false;
        auto reported = outcomeOf([&](KWProjects::Completion done) {
            KWProjects::getInstance().duplicateProject(project, [&ended, done](const auto& error) {
                ended = true;
                done(error);
            });
            // Under way: files in the folder built aside, the one that holds a "project" folder.
            for (bool copying = !quit; !copying && !ended; std::this_thread::yield())
                for (const auto& entry : fs::directory_iterator(folders_.documents()))
                    if (std::error_code none; !fs::is_empty(entry.path() / "project", none) && !none) copying = true;
            KWProjects::stopDuplicates(quit);
        });
        KWProjects::stopDuplicates(false);
        ASSERT_TRUE(reported);
        EXPECT_EQ(reported->domain, "KWProjects");
        EXPECT_EQ(reported->code == KWProjects::kDuplicateStoppedCode, quit);
        EXPECT_EQ(KWProjects::getInstance().getProjects().size(), 2u);
        EXPECT_EQ(folderFiles(folders_.documents()), (std::set<std::string>{".projects.plist", nameOf(project)}));
        EXPECT_EQ(listedNames().size(), 1u);
    }
}

TEST_F(ProjectListTest, DuplicateOfAnUnsavedProjectReportsAnError) {
    std::atomic<bool> done = false;
    std::optional<foundation::Error> reported;
    KWProjects::getInstance().duplicateProject(KWProjects::getInstance().getProjects()[0],
                                               [&](const std::optional<foundation::Error>& error) {
                                                   reported = error;
                                                   done = true;
                                               });
    ASSERT_TRUE(runMainUntil([&] { return done.load(); }));
    EXPECT_TRUE(reported);
    EXPECT_EQ(KWProjects::getInstance().getProjects().size(), 1u);
    EXPECT_TRUE(projectFolders().empty());
}

TEST_F(ProjectListTest, DeletingTheOnlySavedProjectLeavesAnEmptyList) {
    auto project = savedProject();
    std::string folder = *project->getProjectPath();
    std::atomic<bool> done = false;
    KWProjects::getInstance().deleteProject(project, [&](const std::optional<foundation::Error>& error) {
        EXPECT_FALSE(error);
        done = true;
    });
    // The entry leaves the list at once, on the main thread.
    EXPECT_EQ(KWProjects::getInstance().getProjects().size(), 1u);
    ASSERT_TRUE(runMainUntil([&] { return done.load(); }));
    EXPECT_FALSE(fs::exists(folder));
    auto stored = foundation::plist::readFile(folders_.documents() + "/.projects.plist");
    ASSERT_TRUE(stored && stored->isArray());
    EXPECT_TRUE(stored->asArray().empty());
}

// The list file cannot be replaced once a folder stands in its place (even
// for root), so every save of the list fails from then on.
void breakListFile(const std::string& documents) {
    fs::remove(documents + "/.projects.plist");
    fs::create_directories(documents + "/.projects.plist/blocked");
}

TEST_F(ProjectListTest, AChangeWhoseSaveFailsIsTakenBackAndReported) {
    auto kept = savedProject();
    auto& list = KWProjects::getInstance();
    const std::vector<ProjectModelPtr> before = list.getProjects();
    breakListFile(folders_.documents());

    // Register: reported, and not listed in memory either.
    auto stray = ProjectModel::create(folders_.documents() + "/.kelbrin-stray");
    foundation::Status added = list.addProject(stray);
    EXPECT_FALSE(added.ok());
    EXPECT_EQ(list.getProjects(), before);

    // Delete and duplicate: both report, the list is as it was and so are
    // the folders on disk (the project's kept, no copy left).
    struct Case {
        const char* name;
        std::function<void(KWProjects::Completion)> run;
    };
    const std::vector<Case> cases = {
        {"delete", [&](KWProjects::Completion done) { list.deleteProject(kept, std::move(done)); }},
        {"duplicate", [&](KWProjects::Completion done) { list.duplicateProject(kept, std::move(done)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto reported = outcomeOf(c.run);
        ASSERT_TRUE(reported);
        EXPECT_EQ(reported->domain, "KWProjects");
        EXPECT_EQ(list.getProjects(), before);
        EXPECT_EQ(projectFolders(), std::vector<std::string>{nameOf(kept)});
    }
}

TEST_F(ProjectListTest, DeletingAProjectListedTwiceRemovesEveryListing) {
    auto twice = savedProject();
    auto other = savedProject();
    auto& list = KWProjects::getInstance();
    ASSERT_TRUE(
        foundation::plist::writeFile(Value(Array{Value(nameOf(twice)), Value(nameOf(other)), Value(nameOf(twice))}),
                                     folders_.documents() + "/.projects.plist"));
    for (bool saveFails : {true, false}) {
        SCOPED_TRACE(saveFails ? "the save fails" : "the save succeeds");
        list.loadFromDisk();
        const std::vector<ProjectModelPtr> before = list.getProjects();
        ASSERT_EQ(before.size(), 4u);
        const std::string folder = *before[1]->getProjectPath();
        if (saveFails) breakListFile(folders_.documents());
        auto reported = outcomeOf([&](KWProjects::Completion done) { list.deleteProject(before[1], std::move(done)); });
        EXPECT_EQ(reported.has_value(), saveFails);
        EXPECT_EQ(fs::exists(folder), saveFails);
        if (saveFails) {
            // Nothing changed: the list in memory, the folder, and (once the
            // file can be written again) what is stored.
            EXPECT_EQ(list.getProjects(), before);
            fs::remove_all(folders_.documents() + "/.projects.plist");
            ASSERT_TRUE(list.saveToDisk());
            EXPECT_EQ(listedNames(), (std::vector<std::string>{nameOf(twice), nameOf(other), nameOf(twice)}));
        } else {
            EXPECT_EQ(list.getProjects(), (std::vector<ProjectModelPtr>{before[0], before[2]}));
            EXPECT_EQ(listedNames(), std::vector<std::string>{nameOf(other)});
        }
    }
}

TEST_F(ProjectListTest, ReloadKeepsTheSavedOrder) {
    auto older = savedProject();
    auto newer = savedProject();
    KWProjects::getInstance().loadFromDisk();
    auto& projects = KWProjects::getInstance().getProjects();
    ASSERT_EQ(projects.size(), 3u);
    EXPECT_FALSE(projects[0]->getProjectPath());
    EXPECT_EQ(projects[1]->getProjectPath(), newer->getProjectPath());
    EXPECT_EQ(projects[2]->getProjectPath(), older->getProjectPath());
}

}  // namespace
