// Removing a tree that someone changes while it is removed: a folder swapped
// for a symbolic link is taken away as a link, and nothing outside the tree
// is entered or removed.

#include "platform/foundation/FileManager.h"
#include "platform/foundation/TreeRemoval.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

using namespace foundation;
namespace fs = std::filesystem;

namespace {

// Every entry below `folder` (links not followed) with a file's contents.
std::map<std::string, std::string> contentsOf(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string contents;
        if (entry.is_symlink()) {
            contents = "-> " + fs::read_symlink(entry).string();
        } else if (entry.is_regular_file()) {
            std::ifstream file(entry.path());
            contents.assign(std::istreambuf_iterator<char>(file), {});
        }
        entries[fs::relative(entry.path(), folder).string()] = contents;
    }
    return entries;
}

void makeTree(const fs::path& top) {
    fs::create_directories(top / "a" / "b" / "c");
    for (const char* file : {"one", "a/two", "a/b/three", "a/b/c/four"}) std::ofstream(top / file) << file;
}

TEST(TreeRemoval, AFolderSwappedForALinkWhileTheTreeIsRemovedTakesNothingOutside) {
    testsupport::TempAppFolders folders;
    const fs::path root = folders.root();
    const fs::path outside = root / "outside";
    makeTree(outside);
    std::ofstream(root / "outside-file") << "kept";
    const auto outsideBefore = contentsOf(outside);
    struct Case {
        const char* what;
        std::string swapped;  // the folder, below the tree, swapped as it is entered ("" the tree itself)
        fs::path linkTarget;
        bool directoryLink;
    };
    const Case cases[] = {
        {"the tree itself, for a link to a folder outside", "", outside, true},
        {"a folder, for a link to a folder outside", "a", outside, true},
        {"a folder deep down, for a link to a folder outside", "a/b/c", outside / "a", true},
        {"a folder, for a link to a file outside", "a/b", root / "outside-file", false},
        {"a folder, for a link to the tree's own top", "a/b", root / "tree", true},
        {"a folder, for a link that leads nowhere", "a", root / "missing", true},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path tree = root / "tree";
        makeTree(tree);
        const fs::path swapped = c.swapped.empty() ? tree : tree / c.swapped;
        // The folder is moved out of the tree, and a link takes its name.
        const fs::path movedAway = root / ("moved-" + std::to_string(++number));
        int swaps = 0;
        Status removed = removeTree(tree.string(), [&](const std::string& folder) {
            if (fs::path(folder) != swapped) return;
            ++swaps;
            fs::rename(swapped, movedAway);
            if (c.directoryLink)
                fs::create_directory_symlink(c.linkTarget, swapped);
            else
                fs::create_symlink(c.linkTarget, swapped);
        });
        EXPECT_EQ(swaps, 1);
        EXPECT_TRUE(removed.ok()) << (removed.ok() ? "" : removed.error().description);
        EXPECT_FALSE(fs::exists(fs::symlink_status(tree))) << "the tree and the link are gone";
        EXPECT_EQ(contentsOf(outside), outsideBefore);
        std::ifstream file(root / "outside-file");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "kept");
        EXPECT_TRUE(fs::is_directory(movedAway)) << "what was moved out of the tree is out of reach";
    }
}

TEST(TreeRemoval, LinksInTheTreeAreRemovedAndNeverFollowed) {
    testsupport::TempAppFolders folders;
    const fs::path root = folders.root();
    makeTree(root / "outside");
    const auto outsideBefore = contentsOf(root / "outside");
    makeTree(root / "tree");
    fs::create_directory_symlink(root / "outside", root / "tree" / "a" / "to-folder");
    fs::create_symlink(root / "outside" / "one", root / "tree" / "to-file");
    fs::create_directory_symlink(root / "outside", root / "link-to-outside");
    // A link given as the path: the link goes, not what it names, also
    // when the path ends with a separator.
    EXPECT_TRUE(FileManager::defaultManager().removeItem((root / "link-to-outside").string() + "/"));
    EXPECT_TRUE(FileManager::defaultManager().removeItem((root / "tree").string()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root / "tree")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root / "link-to-outside")));
    EXPECT_EQ(contentsOf(root / "outside"), outsideBefore);
    // What cannot name a removable entry is refused.
    for (const std::string& path : {std::string(""), (root / "missing").string(), (root / "outside" / "..").string()})
        EXPECT_FALSE(removeTree(path).ok()) << path;
    EXPECT_TRUE(fs::is_directory(root / "outside"));
}

}  // namespace
