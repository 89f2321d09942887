#pragma once

// The crash-report manager: captures crashes while the application runs and,
// at the next launch, offers the reports for sending.
//
// startManager (first call only):
//  - a report left by the previous run ("live.plcrash" in the caches folder's
//    "crashes" subfolder) is kept as a pending report and
//    didCrashInLastSession becomes true;
//  - crash capture starts, writing to that live report file;
//  - shortly after (kSendCheckDelay on the main run loop) the pending reports
//    are offered: the ask handler asks the user; true posts each report to
//    the submission address and removes it once the server answered 2xx;
//    false removes them; a failed post, no address or no ask handler keeps them for
//    a later launch.
//
// Each report is posted on its own as an XML document (CrashSubmissionXML.h)
// in the request body, with Content-Type "application/xml; charset=utf-8":
// the plain body keeps the log readable by any server without a form parser.
//
// Used on the main thread only.

#include "platform/foundation/Lifetime.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Callbacks of the manager's delegate; all are optional (each has a default).
class BWQuincyManagerDelegate {
public:
    virtual ~BWQuincyManagerDelegate() = default;
    // Texts sent along with each report.
    virtual std::string crashReportUserID() { return {}; }
    virtual std::string crashReportContact() { return {}; }
    virtual std::string crashReportDescription() { return {}; }
    // Sending started, and every post of this round has been answered (or failed).
    virtual void connectionOpened() {}
    virtual void connectionClosed() {}
};

class BWQuincyManager {
public:
    // Receives a function to call with the user's answer (true: send).
    using AskHandler = std::function<void(std::function<void(bool send)> answer)>;

    static constexpr double kSendCheckDelay = 0.5;
    static constexpr double kSubmissionTimeout = 30.0;
    static constexpr const char* kCrashesFolderName = "crashes";
    static constexpr const char* kLiveReportName = "live.plcrash";
    static constexpr const char* kReportExtension = "plcrash";

    static BWQuincyManager& sharedQuincyManager();

    // Forgets the shared manager as if the process had started anew (a
    // second "launch" in a test): crash capture is switched off, pending
    // timers are cancelled and answers of earlier posts are ignored.
    static void resetSharedManagerForTesting();

    ~BWQuincyManager();
    BWQuincyManager(const BWQuincyManager&) = delete;
    BWQuincyManager& operator=(const BWQuincyManager&) = delete;

    bool didCrashInLastSession() const { return didCrashInLastSession_; }
    void setSubmissionURL(std::string url) { submissionURL_ = std::move(url); }
    const std::string& submissionURL() const { return submissionURL_; }
    void setDelegate(BWQuincyManagerDelegate* delegate) { delegate_ = delegate; }
    void setAskHandler(AskHandler handler) { askHandler_ = std::move(handler); }

    void startManager();

    // The folder that holds the live report and the pending ones.
    static std::string crashesDirectory();

private:
    BWQuincyManager() = default;

    void takeOverPreviousReport(const std::string& livePath);
    std::vector<std::string> pendingReports() const;
    void checkForPendingReports();
    void answered(bool send, const std::vector<std::string>& reports);
    void sendReports(const std::vector<std::string>& reports);
    void submissionEnded();

    bool started_ = false;
    bool didCrashInLastSession_ = false;
    std::string submissionURL_;
    BWQuincyManagerDelegate* delegate_ = nullptr;
    AskHandler askHandler_;
    std::string crashesDirectory_;
    size_t postsInFlight_ = 0;
    // Completions and timers do nothing once the manager is gone.
    foundation::LifeToken life_;
};
