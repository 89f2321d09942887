// Removing a tree that someone changes while it is removed: a folder swapped
// for a symbolic link is taken away as a link, and nothing outside the tree
// is entered or removed.

#include "platform/foundation/FileManager.h"
#include "platform/foundation/TreeRemoval.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

using namespace foundation;
namespace fs = std::filesystem;

namespace {

// Every entry below `folder` (links not followed) with a file's contents or
// a link's target.
std::map<std::string, std::string> contentsOf(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        entries[fs::relative(entry.path(), folder).string()] =
            entry.is_symlink()        ? "-> " + fs::read_symlink(entry).string()
            : entry.is_regular_file() ? testsupport::readFileBytes(entry.path())
                                      : "";
    return entries;
}

void makeTree(const fs::path& top) {
    for (const char* file : {"one", "a/two", "a/b/three", "a/b/c/four"}) testsupport::writeFileBytes(top / file, file);
}

TEST(TreeRemoval, LinksInTheTreeOrSwappedInWhileItIsRemovedTakeNothingOutside) {
    testsupport::TempAppFolders folders;
    const fs::path root = folders.root(), tree = root / "tree", outside = root / "outside";
    makeTree(outside);
    const auto outsideBefore = contentsOf(outside);
    const struct {
        const char* what;
        const char* swapped;  // the folder swapped as it is entered ("" the tree itself), if any
        fs::path linkTarget;
    } cases[] = {
        {"nothing swapped", nullptr, {}},
        {"the tree itself, for a link to a folder outside", "", outside},
        {"a folder, for a link to a folder outside", "a", outside},
        {"a folder deep down, for a link to a folder outside", "a/b/c", outside / "a"},
        {"a folder, for a link to a file outside", "a/b", outside / "one"},
        {"a folder, for a link to the tree's own top", "a/b", tree},
        {"a folder, for a link that leads nowhere", "a", root / "missing"},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        makeTree(tree);
        fs::create_directory_symlink(outside, tree / "a" / "to-folder");
        fs::create_symlink(outside / "one", tree / "to-file");
        // The folder is moved out of the tree, and a link takes its name.
        const fs::path movedAway = root / ("moved-" + std::to_string(++number));
        int swaps = 0;
        const Status removed = removeTree(tree.string(), [&](const std::string& folder) {
            if (!c.swapped || fs::path(folder) != (*c.swapped ? tree / c.swapped : tree)) return;
            ++swaps;
            fs::rename(folder, movedAway);
            fs::create_symlink(c.linkTarget, folder);
        });
        EXPECT_EQ(swaps, c.swapped ? 1 : 0);
        EXPECT_TRUE(removed.ok()) << (removed.ok() ? "" : removed.error().description);
        EXPECT_FALSE(fs::exists(fs::symlink_status(tree))) << "the tree and the link are gone";
        EXPECT_EQ(contentsOf(outside), outsideBefore);
        EXPECT_EQ(fs::is_directory(movedAway), c.swapped != nullptr) << "what was moved out is out of reach";
    }
}

TEST(TreeRemoval, ALinkGivenAsThePathGoesAndWhatCannotBeRemovedIsRefused) {
    testsupport::TempAppFolders folders;
    const fs::path root = folders.root();
    makeTree(root / "outside");
    const auto outsideBefore = contentsOf(root / "outside");
    fs::create_directory_symlink(root / "outside", root / "link-to-outside");
    // The link goes, not what it names, also when the path ends with a separator.
    EXPECT_TRUE(FileManager::defaultManager().removeItem((root / "link-to-outside").string() + "/"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root / "link-to-outside")));
    EXPECT_EQ(contentsOf(root / "outside"), outsideBefore);
    for (const std::string& path : {std::string(""), (root / "missing").string(), (root / "outside" / "..").string()})
        EXPECT_FALSE(removeTree(path).ok()) << path;
    EXPECT_TRUE(fs::is_directory(root / "outside"));
}

}  // namespace
