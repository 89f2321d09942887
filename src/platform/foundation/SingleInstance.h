#pragma once

// One running copy of a program per data folder.
//
// The running copy holds an exclusive lock (flock) on a file in the data
// folder for as long as it runs, and listens on a local socket in an
// owner-only runtime folder. A later launch that finds the lock taken hands
// its messages (texts, such as the files it was asked to open) to the running
// copy over that socket and waits until the copy has taken them; then it can
// exit. The lock goes with the process, so a crashed copy never blocks the
// next launch.
//
// Both files are owner-only. The socket is trusted only when it is a socket
// owned by this user in a folder only this user can enter, and the peer on
// either side must run as this user (SO_PEERCRED); anything else is refused.
//
// The messages of later launches reach the running copy's handler on the main
// run loop. Messages: at most 1 MiB in all, no NUL bytes.

#include "platform/foundation/DescriptorWatch.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/FileDescriptor.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace foundation {

class SingleInstance {
public:
    using MessageHandler = std::function<void(std::vector<std::string> messages)>;
    enum class Role {
        Running,    // this process is the running copy now
        HandedOff,  // another copy runs and has taken the messages
    };

    // The runtime folder for sockets: $XDG_RUNTIME_DIR when it is a folder
    // of this user's that only this user can enter, else a folder of that
    // kind made in the temporary folder. An error when neither can be had.
    static Result<std::string> runtimeDirectory();
    // The socket for a data folder: "<runtime folder>/<prefix>-<hash of the
    // folder's canonical path>.socket".
    static Result<std::string> socketPathFor(const std::string& dataFolder, const std::string& prefix);

    SingleInstance(std::string lockFile, std::string socketPath);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Becomes the running copy, or hands the messages to the one that runs.
    // A copy that has the lock but does not listen yet (it is starting) is
    // waited for, up to `timeoutSeconds` of real time in all.
    Result<Role> claimOrHandOff(const std::vector<std::string>& messages, double timeoutSeconds);
    // The running copy: later launches' messages go to the handler, on the
    // main run loop. Messages that arrived before this wait in the socket.
    void startListening(MessageHandler handler);
    bool isRunningCopy() const { return lockDescriptor_.valid(); }

private:
    // True when the lock was taken now; false when another process has it.
    Result<bool> takeLock();
    Status listen();
    Status handOff(const std::vector<std::string>& messages, double timeoutSeconds);
    void serveOne();

    std::string lockFile_;
    std::string socketPath_;
    FileDescriptor lockDescriptor_;
    FileDescriptor listenDescriptor_;
    unsigned long socketInode_ = 0;
    std::shared_ptr<MessageHandler> handler_;
    std::unique_ptr<DescriptorWatch> watch_;
};

}  // namespace foundation
