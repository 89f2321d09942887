#include "components/crashreporting/BWQuincyManager.h"

#include "components/crashreporting/CrashLogFormatter.h"
#include "components/crashreporting/CrashReportDecoder.h"
#include "components/crashreporting/CrashReporter.h"
#include "components/crashreporting/CrashSubmissionXML.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Uuid.h"
#include "platform/net/URLConnection.h"

#include <iostream>
#include <mutex>

using namespace crashreporting;
namespace path = foundation::path;

namespace {

std::mutex gSharedMutex;

std::unique_ptr<BWQuincyManager>& sharedHolder() {
    static std::unique_ptr<BWQuincyManager> holder;
    return holder;
}

void logLine(const std::string& text) { std::cerr << "BWQuincyManager: " << text << std::endl; }

ReportIdentity bundleIdentity() {
    foundation::Bundle& bundle = foundation::Bundle::main();
    return {bundle.bundleIdentifier(), bundle.displayName(), bundle.bundleVersion(), bundle.shortVersionString()};
}

}  // namespace

BWQuincyManager& BWQuincyManager::sharedQuincyManager() {
    std::lock_guard lock(gSharedMutex);
    auto& holder = sharedHolder();
    if (!holder) holder.reset(new BWQuincyManager());
    return *holder;
}

void BWQuincyManager::resetSharedManagerForTesting() {
    std::lock_guard lock(gSharedMutex);
    sharedHolder().reset();
}

BWQuincyManager::~BWQuincyManager() {
    if (started_) CrashReporter::disable();
}

std::string BWQuincyManager::crashesDirectory() {
    return path::appending(foundation::Paths::cachesDirectory(), kCrashesFolderName);
}

void BWQuincyManager::startManager() {
    if (started_) return;
    started_ = true;
    crashesDirectory_ = crashesDirectory();
    auto& files = foundation::FileManager::defaultManager();
    if (foundation::Status created = files.createDirectory(crashesDirectory_, true); !created) {
        logLine("cannot create " + crashesDirectory_ + ": " + created.error().description +
                "; crashes are not captured");
        return;
    }
    const std::string livePath = path::appending(crashesDirectory_, kLiveReportName);
    takeOverPreviousReport(livePath);

    if (foundation::Status enabled = CrashReporter::enable(livePath, bundleIdentity()); !enabled)
        logLine("crash capture is off: " + enabled.error().description);

    life_.performAfter(
        kSendCheckDelay, [this] { checkForPendingReports(); }, "checkForPendingReports");
}

void BWQuincyManager::takeOverPreviousReport(const std::string& livePath) {
    auto& files = foundation::FileManager::defaultManager();
    // What a crash during the write of a report leaves behind is of no use.
    const std::string partial = livePath + ".partial";
    if (files.fileExists(partial)) (void)files.removeItem(partial);
    if (!files.fileExists(livePath)) return;

    foundation::Result<CrashReport> report = CrashReportDecoder::decodeFile(livePath);
    if (!report) {
        logLine("dropping an unreadable report: " + report.error().description);
        (void)files.removeItem(livePath);
        return;
    }
    // Moved aside at once, so the next crash cannot overwrite it.
    std::string pending = path::appending(
        crashesDirectory_, path::appendingExtension("crash-" + foundation::makeUuidString(), kReportExtension));
    if (foundation::Status moved = files.moveItem(livePath, pending); !moved) {
        logLine("cannot keep the report of the last run: " + moved.error().description);
        (void)files.removeItem(livePath);
    }
    didCrashInLastSession_ = true;
}

std::vector<std::string> BWQuincyManager::pendingReports() const {
    std::vector<std::string> reports;
    auto listing = foundation::FileManager::defaultManager().contentsOfDirectory(crashesDirectory_);
    if (!listing) return reports;
    for (const std::string& name : *listing) {
        if (name == kLiveReportName || path::extension(name) != kReportExtension) continue;
        reports.push_back(path::appending(crashesDirectory_, name));
    }
    return reports;
}

void BWQuincyManager::checkForPendingReports() {
    std::vector<std::string> reports = pendingReports();
    if (reports.empty() || postsInFlight_ > 0) return;
    if (submissionURL_.empty()) {
        logLine("no submission address; keeping " + std::to_string(reports.size()) + " report(s)");
        return;
    }
    if (!askHandler_) return;  // nobody to ask: the reports wait for a launch that can

    foundation::LifeObserver alive = life_.observer();
    auto answeredOnce = std::make_shared<bool>(false);
    askHandler_([this, alive, answeredOnce, reports](bool send) {
        auto deliver = [this, alive, answeredOnce, reports, send] {
            if (!alive || *answeredOnce) return;
            *answeredOnce = true;
            answered(send, reports);
        };
        if (foundation::RunLoop::isMainThread())
            deliver();
        else
            foundation::DispatchQueue::main().async(deliver);
    });
}

void BWQuincyManager::answered(bool send, const std::vector<std::string>& reports) {
    if (send) {
        sendReports(reports);
        return;
    }
    for (const std::string& report : reports) (void)foundation::FileManager::defaultManager().removeItem(report);
}

void BWQuincyManager::sendReports(const std::vector<std::string>& reports) {
    auto& files = foundation::FileManager::defaultManager();
    foundation::Bundle& bundle = foundation::Bundle::main();
    if (delegate_) delegate_->connectionOpened();
    postsInFlight_ = 1;  // held until every post has started, so an early answer cannot close the round
    foundation::LifeObserver alive = life_.observer();
    for (const std::string& reportPath : reports) {
        foundation::Result<CrashReport> report = CrashReportDecoder::decodeFile(reportPath);
        if (!report) {
            logLine("dropping an unreadable report: " + report.error().description);
            (void)files.removeItem(reportPath);
            continue;
        }
        CrashSubmission submission;
        submission.applicationName = report->applicationName.empty() ? report->processName : report->applicationName;
        submission.bundleIdentifier = report->applicationIdentifier;
        submission.systemVersion = report->osVersion;
        submission.platform = report->machine;
        submission.senderVersion = bundle.bundleVersion();
        submission.version = report->applicationVersion;
        if (delegate_) {
            submission.userID = delegate_->crashReportUserID();
            submission.contact = delegate_->crashReportContact();
            submission.description = delegate_->crashReportDescription();
        }
        submission.log = CrashLogFormatter::format(*report);

        net::URLRequest request(submissionURL_, kSubmissionTimeout);
        request.httpMethod = "POST";
        request.setValue("application/xml; charset=utf-8", "Content-Type");
        request.setHTTPBody(crashSubmissionXML(submission));
        ++postsInFlight_;
        net::URLConnection::sendAsynchronousRequest(
            std::move(request), foundation::DispatchQueue::main(),
            [this, alive, reportPath](const std::optional<net::HTTPURLResponse>& response, const foundation::Bytes&,
                                      const std::optional<foundation::Error>& error) {
                if (!alive) return;
                if (!error && response && response->isSuccess()) {
                    (void)foundation::FileManager::defaultManager().removeItem(reportPath);
                } else {
                    logLine("keeping " + reportPath + " for later: " +
                            (error ? error->description : "server answered " + std::to_string(response->statusCode)));
                }
                submissionEnded();
            });
    }
    submissionEnded();
}

void BWQuincyManager::submissionEnded() {
    if (postsInFlight_ == 0 || --postsInFlight_ > 0) return;
    if (delegate_) delegate_->connectionClosed();
}
