// What the command line asks the application to open: files as "file:" URLs
// (relative ones taken from the folder the launch was made in), URLs as they
// stand, Qt's options and their values left to Qt, anything else that looks
// like an option refused, and after "--" files whatever their names.

#include "platform/ui/host/OpenArguments.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

TEST(OpenArguments, FilesBecomeAbsoluteFileURLsAndOnlyQtsOptionsAreTaken) {
    testsupport::TempAppFolders folders;
    const std::string here = folders.root();
    // A file whose name looks like a URL is still a file; so is one that
    // looks like an option.
    std::ofstream(here + "/tollivar:odd.tollivarmobile") << "x";
    std::ofstream(here + "/-film.tollivarmobile") << "x";
    const std::string film = "file://" + here + "/-film.tollivarmobile";

    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> urls;
        std::vector<std::string> refused = {};
        size_t qtArgumentCount = 0;  // 0: all of them
    };
    const std::vector<Case> cases = {
        {{"film.tollivarmobile"}, {"file://" + here + "/film.tollivarmobile"}},
        {{"./in/../Film 1.tollivarmobile"}, {"file://" + here + "/Film%201.tollivarmobile"}},
        {{"/abs/a#b?.tollivarmobile"}, {"file:///abs/a%23b%3F.tollivarmobile"}},
        // A name in Latin-1 bytes, not UTF-8: the URL keeps its bytes.
        {{"/abs/Fr\351d\351ric.tollivarmobile"}, {"file:///abs/Fr%E9d%E9ric.tollivarmobile"}},
        {{"/abs/\xc3\xa9t\xc3\xa9.zip"}, {"file:///abs/%C3%A9t%C3%A9.zip"}},
        {{"-platform", "offscreen", "a.zip", "-reverse", "--style", "x", "-qmljsdebugger=port:1", "-name", "n",
          "b.zip"},
         {"file://" + here + "/a.zip", "file://" + here + "/b.zip"}},
        {{"tollivar://open", "db-abc://1/connect", "https://example.com/x"},
         {"tollivar://open", "db-abc://1/connect", "https://example.com/x"}},
        {{"tollivar:odd.tollivarmobile"}, {"file://" + here + "/tollivar%3Aodd.tollivarmobile"}},
        // Not Qt's: refused by name, even where a file of that name exists.
        {{"-film.tollivarmobile", "a.zip", "-platform=vnc", "", "-", "--help", "-platform"},
         {"file://" + here + "/a.zip"},
         {"-film.tollivarmobile", "-platform=vnc", "", "-", "--help", "-platform"}},
        // After "--" every argument is a file, and Qt sees none of them.
        {{"-reverse", "--", "-film.tollivarmobile", "-reverse", "--", ""},
         {film, "file://" + here + "/-reverse", "file://" + here + "/--"},
         {""},
         1},
        {{"./-film.tollivarmobile", "-qwindowtitle", "--"}, {film}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "" : c.arguments.front());
        ui::OpenArguments read = ui::readOpenArguments(c.arguments, here);
        EXPECT_EQ(read.urls, c.urls);
        EXPECT_EQ(read.refused, c.refused);
        EXPECT_EQ(read.qtArgumentCount, c.qtArgumentCount ? c.qtArgumentCount : c.arguments.size());
    }
}

}  // namespace
