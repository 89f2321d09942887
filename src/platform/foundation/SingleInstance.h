#pragma once

// One running copy of a program per data folder.
//
// The running copy holds an exclusive lock (flock) on a file in the data
// folder for as long as it runs, whatever becomes of its socket: the lock,
// not the socket, is what keeps a second copy from running. It listens on a
// local socket in the first owner-only folder where the socket's path fits
// (a socket's path holds at most 107 bytes) and writes where that is into the
// lock file, or that it listens nowhere. A later launch that finds the lock
// taken reads that: it hands its messages (texts, such as the files it was
// asked to open) to the running copy over the socket and waits until the
// copy has taken them, or learns that the copy cannot be reached; either
// way it does not run. The lock goes with the process, so a crashed copy
// never blocks the next launch.
//
// Both files are owner-only. The socket is trusted only when it is a socket
// owned by this user in a folder only this user can enter, and the peer on
// either side must run as this user (SO_PEERCRED); anything else is refused.
//
// The messages of later launches reach the running copy's handler on the main
// run loop, each launch's on their own. The copy says "taken" before it hands
// them to the handler, and "ok" once the handler has opened them (a file
// imported, say); a launch waits for "taken" until its deadline and, once
// taken, for "ok" as long as it takes. A launch that gives up at its deadline
// shuts its side for reading first: from then on the copy's "taken" fails,
// and the copy drops the messages instead of opening them later. A copy that
// begins to quit stops listening first (stopListening): what it has not taken
// yet it leaves unanswered, and it says nothing more in the lock file, so a
// later launch waits for the lock and runs by itself, with its own messages;
// what it took but did not open by the time it ends, the launch learns was
// not opened (ECANCELED). Messages: at most 1 MiB in all, no NUL bytes.

#include "platform/foundation/DescriptorWatch.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/FileDescriptor.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace foundation {

class SingleInstance {
public:
    // Opens a launch's messages and calls `opened` when they are (main
    // thread). Dropping `opened` uncalled tells the launch that they were
    // not.
    using MessageHandler = std::function<void(std::vector<std::string> messages, std::function<void()> opened)>;
    // The folders where a socket of this name may go, in the order tried.
    using FolderList = std::function<std::vector<std::string>(const std::string& socketName)>;
    enum class Role {
        Running,         // this process is the running copy now
        HandedOff,       // another copy runs and has opened the messages
        AlreadyRunning,  // another copy runs but listens nowhere: it cannot be handed anything
    };

    // $XDG_RUNTIME_DIR when it is a folder of this user's that only this
    // user can enter; none otherwise.
    static std::optional<std::string> runtimeDirectory();
    // Where a running copy may put a socket of this name, in the order
    // tried: the runtime folder and "runtime" in the temporary folder, those
    // of them where the socket's path fits; when it fits in neither,
    // "runtime" in the short private folder (Paths::shortPrivateDirectory).
    // Each is an owner-only folder, made when it is listed.
    static std::vector<std::string> socketFolders(const std::string& socketName);
    // The socket's name for a data folder: "<prefix>-<hash of the folder's
    // canonical path>.socket".
    static std::string socketNameFor(const std::string& dataFolder, const std::string& prefix);
    // Whether a local socket can have this path (and the name it is bound
    // under before it is moved there).
    static bool socketPathFits(const std::string& socketPath);

    // `socketFolders` is asked only once this process has become the running
    // copy.
    SingleInstance(std::string lockFile, std::string socketName,
                   FolderList socketFolders = &SingleInstance::socketFolders);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Becomes the running copy, or hands the messages to the one that runs.
    // A copy that has the lock but has not said where it listens (it is
    // starting, or quitting), or that did not take the messages, is waited
    // for, up to `timeoutSeconds` of real time in all; once it has taken
    // them, until it has opened them. Fails with ECANCELED when the copy
    // quit before it opened what it took, with ETIMEDOUT when it did not
    // take them in time (and now never will), and with EINPROGRESS when that
    // is not sure: the copy took them just as the time ran out, or it runs
    // another version of the program, which may open them still.
    Result<Role> claimOrHandOff(const std::vector<std::string>& messages, double timeoutSeconds);
    // The running copy: later launches' messages go to the handler, on the
    // main run loop. Messages that arrived before this wait in the socket.
    void startListening(MessageHandler handler);
    // The running copy, as it begins to quit: takes no more messages. Its
    // socket goes and the lock file says nothing; the lock is kept until
    // this object goes.
    void stopListening();
    bool isRunningCopy() const { return lockDescriptor_.valid(); }
    // Whether claimOrHandOff found the lock held by another copy.
    bool foundRunningCopy() const { return foundRunningCopy_; }
    // Where the running copy listens; empty when it listens nowhere.
    const std::string& socketPath() const { return socketPath_; }

private:
    // The lock file, opened; `locked` when this process took the lock now.
    struct LockFile {
        FileDescriptor descriptor;
        bool locked = false;
    };
    Result<LockFile> openLockFile();
    // Listens in the first folder where that works; says where in the lock file.
    void listenAndTell();
    Status listen(const std::string& socketPath);
    Status handOff(const std::string& socketPath, const std::vector<std::string>& messages,
                   std::chrono::steady_clock::time_point deadline);
    void serveOne();

    std::string lockFile_;
    std::string socketName_;
    FolderList socketFolders_;
    std::string socketPath_;
    FileDescriptor lockDescriptor_;
    FileDescriptor listenDescriptor_;
    unsigned long socketInode_ = 0;
    bool foundRunningCopy_ = false;
    std::shared_ptr<MessageHandler> handler_;
    std::unique_ptr<DescriptorWatch> watch_;
};

}  // namespace foundation
