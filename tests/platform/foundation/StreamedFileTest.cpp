#include "platform/foundation/FileManager.h"
#include "platform/foundation/StreamedFile.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

using namespace foundation;
namespace fs = std::filesystem;

// The target appears whole at commit or not at all, and never over a file
// that is there already, also one that came while the file was written.
TEST(StreamedFile, TargetAppearsOnlyAtCommitAndNeverReplacesAFile) {
    testsupport::TempAppFolders folders;
    const std::string dir = folders.temporary();
    struct Case {
        const char* name;
        bool commit;
        bool rivalArrives;  // another file takes the name before the commit
        std::optional<std::string> expected;
    } cases[] = {
        {"committed", true, false, "first part, second part"},
        {"dropped", false, false, std::nullopt},
        {"overtaken", true, true, "rival"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string target = dir + "/" + c.name;
        {
            auto file = StreamedFile::create(target);
            ASSERT_TRUE(file);
            ASSERT_TRUE(file->write("first part, ", 12));
            ASSERT_TRUE(file->write("second part", 11));
            EXPECT_FALSE(fs::exists(target));
            if (c.rivalArrives) testsupport::writeFileBytes(target, "rival");
            if (c.commit) {
                Status committed = file->commit();
                EXPECT_EQ(committed.ok(), !c.rivalArrives);
                if (!committed) {
                    EXPECT_EQ(committed.error().code, kFileWriteFileExistsError);
                }
            }
        }
        EXPECT_EQ(fs::exists(target) ? std::optional(testsupport::readFileBytes(target)) : std::nullopt, c.expected);
    }
    // No temporary file outlives its StreamedFile.
    EXPECT_EQ(testsupport::namesInFolder(dir), (std::vector<std::string>{"committed", "overtaken"}));

    auto taken = StreamedFile::create(dir + "/committed");
    ASSERT_FALSE(taken);
    EXPECT_EQ(taken.error().code, kFileWriteFileExistsError);
    auto noFolder = StreamedFile::create(dir + "/missing/file");
    ASSERT_FALSE(noFolder);
    EXPECT_EQ(noFolder.error().code, kFileNoSuchFileError);
}
