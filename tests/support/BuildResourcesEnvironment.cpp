// Before any test: the build's resources (the drawn theme cards, tiles,
// overlays and sounds) as the application's resources. Compiled into the
// test programs that read them, which define TOLLIVAR_BUILD_RESOURCES.

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class BuildResourcesEnvironment : public ::testing::Environment {
public:
    void SetUp() override { setenv("TOLLIVAR_RESOURCES", TOLLIVAR_BUILD_RESOURCES, 1); }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new BuildResourcesEnvironment);

}  // namespace
