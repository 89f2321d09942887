#include "platform/graphics/GuiApplication.h"

#include <QGuiApplication>
#include <stdexcept>

namespace graphics {

void ensureGuiApplication() {
    QCoreApplication* existing = QCoreApplication::instance();
    if (existing) {
        if (!qobject_cast<QGuiApplication*>(existing))
            throw std::logic_error("A non-GUI application object already exists; text needs a QGuiApplication.");
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // QGuiApplication keeps references to argc and argv for its whole life.
    static int argc = 1;
    static char name[] = "tollivar";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* application = new QGuiApplication(argc, argv);
    (void)application;
}

}  // namespace graphics
