// Text drawing needs a QGuiApplication; one is made before any test runs,
// on the offscreen platform unless the environment chose another.

#include "platform/graphics/GuiApplication.h"

#include <QByteArray>
#include <QtGlobal>
#include <gtest/gtest.h>

namespace {

class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        graphics::ensureGuiApplication();
    }
};

[[maybe_unused]] ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace
