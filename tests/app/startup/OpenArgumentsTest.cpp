// What the command line asks the application to open: files as "file:" URLs
// (relative ones taken from the folder the launch was made in), URLs as they
// stand, options and the values of Qt's options skipped.

#include "platform/ui/host/OpenArguments.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

TEST(OpenArguments, FilesBecomeAbsoluteFileURLsAndOptionsAreSkipped) {
    testsupport::TempAppFolders folders;
    const std::string here = folders.root();
    // A file whose name looks like a URL is still a file.
    std::ofstream(here + "/tollivar:odd.tollivarmobile") << "x";

    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> urls;
    };
    const std::vector<Case> cases = {
        {{"film.tollivarmobile"}, {"file://" + here + "/film.tollivarmobile"}},
        {{"./in/../Film 1.tollivarmobile"}, {"file://" + here + "/Film%201.tollivarmobile"}},
        {{"/abs/a#b?.tollivarmobile"}, {"file:///abs/a%23b%3F.tollivarmobile"}},
        // A name in Latin-1 bytes, not UTF-8: the URL keeps its bytes.
        {{"/abs/Fr\351d\351ric.tollivarmobile"}, {"file:///abs/Fr%E9d%E9ric.tollivarmobile"}},
        {{"/abs/\xc3\xa9t\xc3\xa9.zip"}, {"file:///abs/%C3%A9t%C3%A9.zip"}},
        {{"-platform", "offscreen", "a.zip", "-reverse", "--style", "x", "-platform=vnc", "b.zip"},
         {"file://" + here + "/a.zip", "file://" + here + "/b.zip"}},
        {{"tollivar://open", "db-abc://1/connect", "https://example.com/x"},
         {"tollivar://open", "db-abc://1/connect", "https://example.com/x"}},
        {{"tollivar:odd.tollivarmobile"}, {"file://" + here + "/tollivar%3Aodd.tollivarmobile"}},
        {{"", "-"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "" : c.arguments.front());
        EXPECT_EQ(ui::urlsFromArguments(c.arguments, here), c.urls);
    }
}

}  // namespace
