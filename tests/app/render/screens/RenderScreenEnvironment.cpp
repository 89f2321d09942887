// Before any test: the build's resources (the drawn tiles and overlays) as
// the application's resources.

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class ResourcesEnvironment : public ::testing::Environment {
public:
    void SetUp() override { setenv("TOLLIVAR_RESOURCES", TOLLIVAR_BUILD_RESOURCES, 1); }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ResourcesEnvironment);

}  // namespace
