#include "platform/ui/host/ApplicationMain.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/QtRunLoopDriver.h"
#include "platform/ui/Window.h"
#include "platform/ui/host/WindowHost.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace ui {

namespace {

int gSignalPipe[2] = {-1, -1};

constexpr const char* kBundleIconFileKey = "CFBundleIconFile";

// Only async-signal-safe work here: the event loop reads the byte.
void onTerminationSignal(int) {
    char byte = 1;
    ssize_t written = ::write(gSignalPipe[1], &byte, 1);
    (void)written;
}

}  // namespace

int ApplicationMain(int argc, char** argv, const std::vector<std::string>& urls,
                    const std::function<std::shared_ptr<ApplicationDelegate>()>& makeDelegate) {
    QGuiApplication qtApplication(argc, argv);
    foundation::QtRunLoopDriver driver;
    Application& application = Application::shared();
    application.setExitHandler([] { QCoreApplication::quit(); });

    std::unique_ptr<QSocketNotifier> signalNotifier;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) == 0) {
        signalNotifier = std::make_unique<QSocketNotifier>(gSignalPipe[0], QSocketNotifier::Read);
        QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, [&application] {
            char byte;
            ssize_t got = ::read(gSignalPipe[0], &byte, 1);
            (void)got;
            application.terminate();
        });
        struct sigaction action {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
    }

    // A desktop's active, inactive and hidden states are the phone's
    // active, inactive and background.
    QObject::connect(&qtApplication, &QGuiApplication::applicationStateChanged, [&application](Qt::ApplicationState s) {
        switch (s) {
            case Qt::ApplicationActive:
                application.enterForeground();
                application.becomeActive();
                break;
            case Qt::ApplicationInactive:
                application.resignActive();
                break;
            case Qt::ApplicationHidden:
            case Qt::ApplicationSuspended:
                application.enterBackground();
                break;
        }
    });

    foundation::Dictionary launchOptions;
    if (!urls.empty()) launchOptions.set(Application::LaunchOptionsURLKey, urls.front());
    application.launch(makeDelegate ? makeDelegate() : nullptr, launchOptions);
    for (size_t i = 1; i < urls.size() && !application.isTerminated(); ++i) application.handleIncomingURL(urls[i]);

    std::unique_ptr<WindowHost> host;
    if (Window* key = Window::keyWindow()) {
        if (auto shared = std::dynamic_pointer_cast<Window>(key->weak_from_this().lock())) {
            host = std::make_unique<WindowHost>(shared);
            const foundation::Bundle& bundle = foundation::Bundle::main();
            // The application may have named the window already (an open project).
            if (shared->title().empty()) host->setWindowTitle(bundle.displayName());
            // The information list names the icon file (CFBundleIconFile).
            if (auto icon = bundle.objectForInfoDictionaryKey(kBundleIconFileKey).stringValue()) {
                if (auto path = bundle.pathForResource(*icon)) host->setWindowIcon(*path);
            }
            host->show();
        }
    }
    int status = application.isTerminated() ? 0 : qtApplication.exec();
    host.reset();
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signalNotifier.reset();
    if (gSignalPipe[0] >= 0) {
        ::close(gSignalPipe[0]);
        ::close(gSignalPipe[1]);
        gSignalPipe[0] = gSignalPipe[1] = -1;
    }
    return status;
}

}  // namespace ui
