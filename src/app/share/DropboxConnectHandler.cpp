#include "app/share/DropboxConnectHandler.h"

#include "app/core/BundleImage.h"
#include "app/render/MovieRendererSources.h"
#include "app/render/ProjectExportRenderer.h"
#include "app/share/DropboxUploadQueue.h"
#include "app/share/ShareConfiguration.h"
#include "app/widgets/alerts/AlertView.h"
#include "components/dropbox/DBRestClient.h"
#include "components/dropbox/DBSession.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"

namespace {

constexpr const char* kRoot = "sandbox";

// Sends one file through a fresh client, so an upload after a relink signs
// with the new tokens.
class RestTransport : public DropboxUploadQueue::Transport, private DBRestClientDelegate {
public:
    void upload(const std::string& fromPath, std::shared_ptr<const foundation::FileDescriptor> opened,
                const std::string& toPath, Progress progress, Completion completion) override {
        progress_ = std::move(progress);
        completion_ = std::move(completion);
        client_ = DBRestClient::create(DropboxConnectHandler::session());
        if (!client_) {
            finish(foundation::Error(DropboxConnectHandler::kErrorDomain, 1,
                                     foundation::localized(DropboxConnectHandler::kNotSetUpText)));
            return;
        }
        client_->setDelegate(this);
        client_->uploadFile(foundation::path::lastComponent(toPath), foundation::path::deletingLastComponent(toPath),
                            std::nullopt, fromPath, std::move(opened));
    }
    void cancel() override {
        if (client_) client_->cancelAllRequests();
        progress_ = nullptr;
        completion_ = nullptr;
    }

private:
    void finish(std::optional<foundation::Error> error) {
        auto completion = std::move(completion_);
        completion_ = nullptr;
        progress_ = nullptr;
        if (completion) completion(error);
    }
    void restClientUploadedFileFrom(DBRestClient&, const std::string&, const std::string&) override {
        finish(std::nullopt);
    }
    void restClientUploadProgressForFileFrom(DBRestClient&, double fraction, const std::string&,
                                             const std::string&) override {
        if (progress_) progress_(fraction);
    }
    void restClientUploadFileFailedWithError(DBRestClient&, const foundation::Error& error) override { finish(error); }

    std::unique_ptr<DBRestClient> client_;
    Progress progress_;
    Completion completion_;
};

// A link asked for by the queue after a 401, answered by the next
// "DropboxLoginNotification".
struct Relink {
    std::function<void(bool)> answer;
    foundation::ObserverToken observer;
};
Relink& relink() {
    static Relink pending;
    return pending;
}

void askToRelink(std::function<void(bool relinked)> answer) {
    auto session = DropboxConnectHandler::session();
    if (!session) {
        answer(false);
        return;
    }
    // The expired tokens are of no use to anyone: that user is unlinked first.
    session->unlinkAll();
    auto alert =
        AlertView::create(foundation::localized("Dropbox"), foundation::localized(DropboxConnectHandler::kExpiredText));
    auto shared = std::make_shared<std::function<void(bool)>>(std::move(answer));
    alert->addButtonWithTitle(foundation::localized("Cancel"), [shared](AlertView&, int) { (*shared)(false); });
    alert->addButtonWithTitle(foundation::localized("Link"), [shared](AlertView&, int) {
        auto session = DropboxConnectHandler::session();
        if (!session || !session->appConformsToScheme()) {
            (*shared)(false);
            return;
        }
        relink().answer = *shared;
        relink().observer = foundation::NotificationCenter::defaultCenter().addObserver(
            DropboxConnectHandler::kLoginNotification, nullptr, [](const foundation::Notification& notification) {
                auto answer = std::move(relink().answer);
                relink().answer = nullptr;
                relink().observer = foundation::ObserverToken();
                if (answer) answer(notification.userInfo.get(DropboxConnectHandler::kLoginNotification).asBool(false));
            });
        session->linkFromController(nullptr);
    });
    alert->show();
}

}  // namespace

// Loads the account's display name for the handler that asked.
struct DropboxAccountLoader : DBRestClientDelegate {
    std::function<void(std::string)> done;
    std::unique_ptr<DBRestClient> client;
    void restClientLoadedAccountInfo(DBRestClient&, const DBAccountInfo& info) override { finish(info.displayName); }
    void restClientLoadAccountInfoFailedWithError(DBRestClient&, const foundation::Error&) override { finish({}); }
    void finish(std::string name) {
        auto callback = std::move(done);
        done = nullptr;
        if (callback) callback(std::move(name));
    }
};

DropboxConnectHandler::DropboxConnectHandler() {
    loginObserver_ = foundation::NotificationCenter::defaultCenter().addObserver(
        kLoginNotification, nullptr, [this](const foundation::Notification& notification) {
            loginAnswered(notification.userInfo.get(kLoginNotification).asBool(false),
                          notification.userInfo.get(kLoginErrorKey).objectAs<foundation::Error>());
        });
}

// A queued upload outlives the screen and the card: it is the queue's now.
DropboxConnectHandler::~DropboxConnectHandler() = default;

std::string DropboxConnectHandler::activityTitle() const { return "Dropbox"; }

graphics::Image DropboxConnectHandler::activityImage() const {
    return bundleImageNamed(kIconName).value_or(graphics::Image());
}

std::shared_ptr<DBSession> DropboxConnectHandler::session() {
    if (auto installed = DBSession::sharedSession()) return installed;
    if (!ShareConfiguration::isDropboxConfigured()) return nullptr;
    auto session = std::make_shared<DBSession>(ShareConfiguration::getDropboxAppKey(),
                                               ShareConfiguration::getDropboxAppSecret(), kRoot);
    DBSession::setSharedSession(session);
    return session;
}

void DropboxConnectHandler::prepareQueue() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    DropboxUploadQueue::shared().setTransport(std::make_shared<RestTransport>());
    DropboxUploadQueue::shared().setRelinkHandler(askToRelink);
}

std::vector<std::string> DropboxConnectHandler::resumeUploads() {
    std::vector<std::string> waiting = DropboxUploadQueue::shared().restore();
    if (waiting.empty()) return waiting;
    prepareQueue();
    DropboxUploadQueue::shared().resume();
    return waiting;
}

bool DropboxConnectHandler::isConfigured() const { return ShareConfiguration::isDropboxConfigured(); }

std::string DropboxConnectHandler::notSetUpText() const { return foundation::localized(kNotSetUpText); }

bool DropboxConnectHandler::isLoggedIn() const {
    auto current = DBSession::sharedSession();
    return current && current->isLinked();
}

void DropboxConnectHandler::login() {
    auto current = session();
    if (!current || !current->appConformsToScheme()) {
        // Without the scheme the callback could never come back here: no browser.
        if (delegate_)
            delegate_->connectHandlerDidFailLogin(
                *this, foundation::Error(kErrorDomain, 2, foundation::localized(kNotInstalledText)));
        return;
    }
    waitingForLogin_ = true;
    current->linkFromController(nullptr);
}

void DropboxConnectHandler::loginAnswered(bool linked, const foundation::Error* error) {
    // Another service's link, or none asked for: not this one's business.
    if (!waitingForLogin_) return;
    waitingForLogin_ = false;
    if (!linked) {
        if (delegate_)
            delegate_->connectHandlerDidFailLogin(*this,
                                                  error ? std::optional<foundation::Error>(*error) : std::nullopt);
        return;
    }
    loadAccount();
}

void DropboxConnectHandler::loadAccount() {
    accountLoader_ = std::make_shared<DropboxAccountLoader>();
    accountLoader_->client = DBRestClient::create(session());
    std::weak_ptr<ConnectHandler> weak = weak_from_this();
    accountLoader_->done = [weak](std::string name) {
        auto self = std::dynamic_pointer_cast<DropboxConnectHandler>(weak.lock());
        if (!self) return;
        self->accountName_ = std::move(name);
        if (self->delegate_) self->delegate_->connectHandlerDidLogin(*self);
    };
    if (!accountLoader_->client) {
        accountLoader_->finish({});
        return;
    }
    accountLoader_->client->setDelegate(accountLoader_.get());
    accountLoader_->client->loadAccountInfo();
}

void DropboxConnectHandler::logout() {
    if (auto current = DBSession::sharedSession()) current->unlinkAll();
    accountName_.clear();
    ConnectHandler::logout();
}

std::vector<std::string> DropboxConnectHandler::getSupportedUTIs() const {
    return {kUTTypeQuickTimeMovie, kUTTypeGIF, ProjectExportRenderer::kUTI};
}

void DropboxConnectHandler::uploadFile(const std::string& path, const std::string& title, const std::string&,
                                       const std::string&) {
    prepareQueue();
    std::weak_ptr<ConnectHandler> weak = weak_from_this();
    auto queued = DropboxUploadQueue::shared().enqueue(
        path, dropboxPathForTitle(title, foundation::path::extension(path)),
        [weak](double fraction) {
            auto self = weak.lock();
            if (self && self->delegate()) self->delegate()->connectHandlerUploadProgress(*self, fraction);
        },
        [weak](const std::optional<foundation::Error>& error) {
            auto self = std::dynamic_pointer_cast<DropboxConnectHandler>(weak.lock());
            if (!self) return;
            self->queued_.reset();
            if (!self->delegate_) return;
            if (error) {
                self->delegate_->connectHandlerDidFailUpload(*self, *error);
            } else {
                self->delegate_->connectHandlerUploadProgress(*self, 1.0);
                self->delegate_->connectHandlerDidFinishUpload(*self);
            }
        });
    if (!queued) {
        if (delegate_) delegate_->connectHandlerDidFailUpload(*this, queued.error());
        return;
    }
    queued_ = *queued;
}

void DropboxConnectHandler::cancel() {
    waitingForLogin_ = false;
    if (queued_) DropboxUploadQueue::shared().cancel(*queued_);
    queued_.reset();
}

std::string DropboxConnectHandler::uploadingText() const { return foundation::localized("Uploading to Dropbox…"); }

std::string DropboxConnectHandler::successText() const {
    return foundation::localized("Your movie was uploaded to Dropbox.");
}
