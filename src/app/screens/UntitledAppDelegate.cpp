#include "app/screens/UntitledAppDelegate.h"

#include "app/core/ConfigurationUtil.h"
#include "app/core/DataManager.h"
#include "app/core/FileUtil.h"
#include "app/core/KWProjects.h"
#include "app/core/SSZipArchive.h"
#include "app/render/MovieRenderer.h"
#include "app/screens/Appirater.h"
#include "app/screens/DropboxSessionSetup.h"
#include "app/share/DropboxConnectHandler.h"
#include "app/share/Outbox.h"
#include "app/widgets/alerts/AlertView.h"
#include "components/crashreporting/CrashReportDecoder.h"
#include "components/dropbox/DBSession.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TemporaryClaim.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Color.h"
#include "platform/ui/host/Device.h"

#include <cctype>
#include <cstdio>
#include <string_view>

namespace {

namespace path = foundation::path;

constexpr const char* kDropboxLoginNotification = "DropboxLoginNotification";

// The number at `position` of a dotted version text, moving past it and its
// dot. Non-digits count as nothing; very long numbers stop growing.
long versionPart(const std::string& text, size_t& position) {
    long value = 0;
    for (; position < text.size() && text[position] != '.'; ++position) {
        unsigned char c = static_cast<unsigned char>(text[position]);
        if (std::isdigit(c) && value < 100000000) value = value * 10 + (c - '0');
    }
    ++position;
    return value;
}

// Compares dotted version texts number by number ("10.0" is above "8.0").
int compareVersions(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        long x = versionPart(a, i), y = versionPart(b, j);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

// Whether `url` is of `scheme`; schemes compare without regard to case.
bool hasScheme(std::string_view url, std::string_view scheme) {
    if (url.size() <= scheme.size() || url[scheme.size()] != ':') return false;
    for (size_t i = 0; i < scheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(url[i])) != std::tolower(static_cast<unsigned char>(scheme[i])))
            return false;
    return true;
}

// Whether a callback of `scheme` is the link answer "<scheme>://1/connect".
bool isConnectCallback(std::string_view url, std::string_view scheme) {
    std::string_view rest = url.substr(scheme.size() + 1);
    constexpr std::string_view kConnect = "//1/connect";
    if (!rest.starts_with(kConnect)) return false;
    rest.remove_prefix(kConnect.size());
    return rest.empty() || rest.front() == '?' || rest.front() == '/' || rest.front() == '#';
}

std::string rootScreenInterfaceFile() {
    const ui::Device& device = ui::Device::current();
    if (compareVersions(device.systemVersion(), "8.0") >= 0) return "MainViewController_ios8";
    return device.userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad ? "MainViewController_iPad"
                                                                      : "MainViewController";
}

std::string documentsPath(const std::string& name) {
    return path::appending(foundation::Paths::documentsDirectory(), name);
}

}  // namespace

UntitledAppDelegate::UntitledAppDelegate() = default;
UntitledAppDelegate::~UntitledAppDelegate() = default;

bool UntitledAppDelegate::applicationDidFinishLaunchingWithOptions(ui::Application& application,
                                                                   const foundation::Dictionary& launchOptions) {
    prepareProjectStore();
    installDropboxSession(application);
    // Uploads still waiting when the last run ended carry on; every other
    // Outbox entry (files handed to mail programs) has had its time.
    Outbox::removeLeftovers(DropboxConnectHandler::resumeUploads());

    window = ui::makeView<ui::Window>(ui::Device::current().screenBounds());
    mainViewController = std::make_shared<MainViewController>(rootScreenInterfaceFile());
    window->setRootViewController(mainViewController);
    window->makeKeyAndVisible();

    foundation::Value launchURL = launchOptions.get(ui::Application::LaunchOptionsURLKey);
    if (launchURL.isString()) applicationOpenURL(application, launchURL.asString(), {}, {});

    std::weak_ptr<UntitledAppDelegate> weak = weak_from_this();
    foundation::RunLoop::main().post([weak] {
        if (auto self = weak.lock()) self->loadApplication();
    });
    return true;
}

void UntitledAppDelegate::prepareProjectStore() {
    if (storePrepared_) return;
    storePrepared_ = true;

    foundation::Bundle& bundle = foundation::Bundle::main();
    auto& defaults = foundation::UserDefaults::standard();
    defaults.setObject(
        foundation::Value(foundation::format("%@ (%@)", {bundle.shortVersionString(), bundle.bundleVersion()})),
        kVersionPreferenceKey);

    crashedInLastSession_ = previousRunLeftCrashReport();

    foundation::Value reset = defaults.objectForKey(kResetSettingsKey);
    if (crashedInLastSession_ || (!reset.isNull() && defaults.boolForKey(kResetSettingsKey))) {
        (void)FileUtil::removeItemAtPath(documentsPath(DataManager::kSettingsFile), nullptr);
        defaults.setBool(false, kResetSettingsKey);
    }

    DataManager::loadState();
    if (DataManager::sharedDataManager().version().value_or(0.0) < 3.0) setUpProjectStoreForFirstLaunch();
    // A project moved into place whose listing a kill cut off is whole, and
    // the user may still want it.
    (void)KWProjects::getInstance().adoptUnlistedProjects();
}

void UntitledAppDelegate::setUpProjectStoreForFirstLaunch() {
    auto& files = foundation::FileManager::defaultManager();
    const std::string introductionName = KWProjects::introductionProjectName();

    std::string introduction = path::appending(foundation::Paths::cachesDirectory(), introductionName);
    if (!files.fileExists(introduction) && !files.attributesOfItem(introduction)) {
        std::optional<std::string> sample = foundation::Bundle::main().pathForResource("sample", "zip");
        bool unpacked = files.createDirectory(introduction, true).ok() && sample &&
                        SSZipArchive::unzipFileAtPath(*sample, introduction);
        if (!unpacked) {
            // An empty or half-filled introduction would stay a broken project
            // for good; without it the list simply starts without.
            std::fprintf(stderr, "Start-up: the introduction project could not be unpacked\n");
            (void)files.removeItem(introduction);
        }
    }

    std::string listPath = documentsPath(KWProjects::kProjectListFile);
    auto stored = foundation::plist::readFile(listPath);
    if (!stored || !stored->isArray()) {
        foundation::Array names;
        // An introduction that could not be unpacked is not listed: it would
        // be an empty project that nobody can open.
        if (files.fileExists(introduction)) names.push_back(foundation::Value(introductionName));
        for (const std::string& name : searchForFiles()) names.push_back(foundation::Value(name));
        if (!foundation::plist::writeFile(foundation::Value(names), listPath))
            std::fprintf(stderr, "Start-up: %s could not be written\n", listPath.c_str());
        // Whatever was read of the list before is out of date now.
        KWProjects::getInstance().loadFromDisk();
    }

    DataManager::sharedDataManager().setVersion(4.0);
    DataManager::saveState();
}

std::vector<std::string> UntitledAppDelegate::searchForFiles() {
    std::vector<std::string> names;
    auto entries =
        foundation::FileManager::defaultManager().contentsOfDirectory(foundation::Paths::documentsDirectory());
    if (!entries) return names;
    for (const std::string& name : *entries)
        if (name.starts_with("kelbrin-")) names.push_back(name);
    return names;
}

void UntitledAppDelegate::loadApplication() {
    if (applicationLoaded_) return;
    applicationLoaded_ = true;
    prepareProjectStore();

    mainViewController->showProjectExplorerFromDefault();

    startCrashReporting();
    removeAbandonedFiles();

    if (!crashedInLastSession_) Appirater::appLaunchedWithAppStoreID(ConfigurationUtil::getiTunesID(), true);

    applyWindowLook();
}

void UntitledAppDelegate::removeAbandonedFiles() {
    // What a killed run left while it rendered, recorded, duplicated,
    // imported or deleted; a long list must not hold up the start. The
    // folders are this run's, as the start found them.
    foundation::DispatchQueue::global(foundation::QueuePriority::Background)
        .async([caches = foundation::Paths::cachesDirectory(), temporary = foundation::Paths::temporaryDirectory(),
                documents = foundation::Paths::documentsDirectory()] {
            (void)MovieRenderer::removeAbandonedRenderFiles(caches);
            for (const std::string& folder : {temporary, documents, caches})
                (void)foundation::removeAbandonedTemporaries(folder);
            // Temporary folders of runs that were killed before they could
            // remove their own.
            (void)foundation::Paths::removeAbandonedRunFolders();
        });
}

bool UntitledAppDelegate::previousRunLeftCrashReport() {
    // The same test the manager makes when it starts: a readable report in
    // the live report's place.
    std::string live = path::appending(BWQuincyManager::crashesDirectory(), BWQuincyManager::kLiveReportName);
    if (!foundation::FileManager::defaultManager().fileExists(live)) return false;
    return crashreporting::CrashReportDecoder::decodeFile(live).ok();
}

void UntitledAppDelegate::startCrashReporting() {
    BWQuincyManager& manager = BWQuincyManager::sharedQuincyManager();
    manager.setSubmissionURL(kCrashReportSubmissionURL);
    manager.setDelegate(this);
    manager.setAskHandler([](std::function<void(bool)> answer) {
        auto alert =
            AlertView::create(foundation::localized(kCrashAlertTitle), foundation::localized(kCrashAlertMessage));
        alert->addButtonWithTitle(foundation::localized("Don't Send"), [answer](AlertView&, int) { answer(false); });
        alert->addButtonWithTitle(foundation::localized("Send Report"), [answer](AlertView&, int) { answer(true); });
        alert->show();
    });
    manager.startManager();
}

void UntitledAppDelegate::applyWindowLook() {
    window->setBackgroundColor(graphics::Color::black());
    window->setTintColor(graphics::Color::rgb(0.8313725490196079, 0.011764705882352941, 0.8431372549019608, 1.0));
    window->layer().setMasksToBounds(true);
    window->layer().setCornerRadius(5.0);
}

void UntitledAppDelegate::applicationWillResignActive(ui::Application&) { DataManager::saveState(); }
void UntitledAppDelegate::applicationDidEnterBackground(ui::Application&) { DataManager::saveState(); }
void UntitledAppDelegate::applicationWillTerminate(ui::Application&) {
    DataManager::saveState();
    // Size estimates are work for no one once the application goes: they
    // stop at their next picture instead of holding the exit.
    MovieRenderer::cancelEstimates();
}

bool UntitledAppDelegate::applicationOpenURL(ui::Application&, const std::string& url, const std::string&,
                                             const foundation::Value&) {
    return handleDropboxURL(url);
}

bool UntitledAppDelegate::handleDropboxURL(const std::string& url) {
    std::shared_ptr<DBSession> session = DBSession::sharedSession();
    if (!session || !hasScheme(url, session->appScheme())) return false;
    // The session refuses a callback that is malformed or answers another
    // login; those, a declined link and any other address of our scheme still
    // end the login the share screen waits for, as not linked. Only an
    // accepted connect callback has linked an account; an account linked
    // earlier does not make a declined link a success.
    const bool accepted = session->handleOpenURL(url);
    const bool linked = accepted && isConnectCallback(url, session->appScheme());
    foundation::Dictionary info;
    info.set(kDropboxLoginNotification, foundation::Value(linked));
    // A link refused for what it carried is an error to show, not a cancel.
    if (session->linkError())
        info.set(DropboxConnectHandler::kLoginErrorKey, foundation::Value::object(*session->linkError()));
    foundation::NotificationCenter::defaultCenter().post(kDropboxLoginNotification, this, info);
    return accepted;
}
