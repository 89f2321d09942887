#include "platform/gl/Context.h"
#include "support/Process.h"
#include "support/ScopedEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// Runs in a child whose Mesa finds no drivers; the display is made once per
// process, so the parent cannot try this itself.
TEST(GlWithoutDrivers, ChildPart) {
    if (!std::getenv("TOLLIVAR_GL_CHILD")) GTEST_SKIP() << "runs only as the child of ContextCreationFailsWithAnError";
    for (gl::Api api : {gl::Api::Es1, gl::Api::Es2}) {
        auto context = gl::Context::create(api);
        ASSERT_FALSE(context.ok());
        EXPECT_EQ(context.error().domain, gl::kGLErrorDomain);
        std::printf("error %lld: %s\n", static_cast<long long>(context.error().code),
                    context.error().description.c_str());
    }
}

TEST(GlWithoutDrivers, ContextCreationFailsWithAnErrorNotAnAbort) {
    std::filesystem::path empty =
        std::filesystem::temp_directory_path() / ("no-gl-drivers-" + std::to_string(getpid()));
    std::filesystem::create_directories(empty);
    testsupport::ProcessResult result;
    {
        testsupport::ScopedEnvironment environment{{"LIBGL_DRIVERS_PATH", empty.string()},
                                                   {"TOLLIVAR_GL_CHILD", std::string("1")}};
        result = testsupport::runProcess(
            {std::filesystem::read_symlink("/proc/self/exe").string(), "--gtest_filter=GlWithoutDrivers.ChildPart"});
    }
    std::filesystem::remove_all(empty);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("[  PASSED  ] 1 test"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("error "), std::string::npos) << result.output;
}

}  // namespace
