// The real executable in a child process: it launches headless, and SIGTERM
// or SIGINT end it through the terminate path (settings saved) with status 0.

#include "AppProcess.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <signal.h>

namespace {

namespace fs = std::filesystem;
using namespace startuptest;

void expectCleanEndOnSignal(int signal) {
    testsupport::TempAppFolders folders;
    std::string settings = folders.documents() + "/.settings.plist";
    auto child = startApplication();
    ASSERT_TRUE(waitInFolder(folders.config(), child, [&] { return launchCompleted(folders.config()); }))
        << "the application did not finish launching";
    ASSERT_TRUE(fs::exists(folders.caches() + "/.kelbrin-introduction/kelbrin.meta"));

    // Whatever the launch saved goes; only the terminate path can bring it back.
    fs::remove(settings);
    EXPECT_EQ(child.stop(signal), 0);
    auto saved = testsupport::runPython(
        "import plistlib, sys\nprint(plistlib.load(open(sys.argv[1], 'rb'))['version'])", {settings});
    EXPECT_EQ(saved.exitCode, 0) << saved.output;
    EXPECT_EQ(saved.output, "4.0\n");
}

TEST(ApplicationProcess, SigtermSavesTheSettingsAndExitsCleanly) { expectCleanEndOnSignal(SIGTERM); }

TEST(ApplicationProcess, SigintSavesTheSettingsAndExitsCleanly) { expectCleanEndOnSignal(SIGINT); }

}  // namespace
