#pragma once

// Dropbox uploads, one file at a time, in the order they were asked for:
// the next upload starts only once the previous one has its answer. An entry
// holds the rendered file open from the moment it is queued and uploads it
// from there, so a project card that wipes its render cache meanwhile takes
// nothing away, and a new render, which puts a new file in place of the old
// one (never writing into it), changes nothing either. Meanwhile an Outbox
// copy of it is made away from the main thread; the copy goes when its upload
// ends, however it ends.
//
// The application's queue keeps a list of its entries whose Outbox copies
// are made, written atomically on every change, so that a share the user saw
// accepted is not lost when the application ends: the next launch takes the
// list up again (restore) and sends those copies, with nobody waiting for
// those answers. An entry whose copy fails (a full disk) is still sent in
// this run; the failure is logged.
//
// A 401 means the link to the account has expired: the queue asks its
// relink handler (which unlinks that user and asks the user to link again)
// and, once relinked, sends the failed upload once more.
//
// The transfer itself is a Transport (the Dropbox client), so the queue's
// order and its error handling are the queue's alone. Main thread only.

#include "platform/foundation/Error.h"
#include "platform/foundation/FileDescriptor.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The app-folder path a title uploads to: "/" and the title with the
// characters file systems and the service refuse removed and blanks as "_",
// at most 200 bytes (never splitting a character), "My_Stop_Ziruru_Movie"
// when nothing is left, then the extension.
std::string dropboxPathForTitle(const std::string& title, const std::string& extension);

class DropboxUploadQueue {
public:
    static constexpr int64_t kUnauthorizedCode = 401;

    class Transport {
    public:
        virtual ~Transport() = default;
        using Progress = std::function<void(double fraction)>;
        // Once, with no error on success.
        using Completion = std::function<void(const std::optional<foundation::Error>& error)>;
        // Sends the file to the path; the server renames on a clash. The file
        // is read from `opened` when there is one, which `fromPath` then only
        // names.
        virtual void upload(const std::string& fromPath, std::shared_ptr<const foundation::FileDescriptor> opened,
                            const std::string& toPath, Progress progress, Completion completion) = 0;
        // Ends the running upload without an answer.
        virtual void cancel() = 0;
    };

    using Progress = Transport::Progress;
    using Completion = Transport::Completion;
    // Answers whether the account is linked again.
    using RelinkHandler = std::function<void(std::function<void(bool relinked)> answer)>;

    // The list's name in the Outbox (Outbox::listPath).
    static inline const char* kListName = "DropboxUploads";

    // A queue that keeps its list on disk, or one in memory only.
    explicit DropboxUploadQueue(bool keepsList = false) : keepsList_(keepsList) {}
    ~DropboxUploadQueue();
    DropboxUploadQueue(const DropboxUploadQueue&) = delete;
    DropboxUploadQueue& operator=(const DropboxUploadQueue&) = delete;
    // The application's one queue; it keeps its list.
    static DropboxUploadQueue& shared();

    void setTransport(std::shared_ptr<Transport> transport) { transport_ = std::move(transport); }
    void setRelinkHandler(RelinkHandler handler) { relink_ = std::move(handler); }

    // Queues the regular file; an identifier for cancel, or the error of
    // opening it.
    foundation::Result<uint64_t> enqueue(const std::string& path, const std::string& toPath, Progress progress,
                                         Completion completion);
    // Drops a waiting entry or stops the running one; its completion does not run.
    void cancel(uint64_t identifier);
    // Takes up, behind the entries already queued, those the list names that
    // are not queued yet and whose links are still there (the rest are
    // dropped from the list). Starts nothing: resume() does, once there is a
    // transport. Returns the Outbox copies of every entry, for the launch to
    // keep.
    std::vector<std::string> restore();
    // Starts the next entry unless one is running.
    void resume() { startNext(); }
    // Entries not yet answered, the running one included.
    size_t count() const { return entries_.size(); }
    bool isUploading() const { return running_; }

private:
    struct Entry {
        uint64_t identifier = 0;
        // The file as it was queued, open, with the path it had then; none
        // for an entry taken up from the list.
        std::shared_ptr<const foundation::FileDescriptor> opened;
        std::string queuedPath;
        // The Outbox copy being made, then made; empty until it is.
        std::shared_future<foundation::Result<std::string>> copy;
        std::string outboxPath;
        std::string toPath;
        Progress progress;
        Completion completion;
        bool retried = false;
    };
    void copied(uint64_t identifier, const foundation::Result<std::string>& copy);
    void startNext();
    void answered(uint64_t identifier, const std::optional<foundation::Error>& error);
    void finishFront(const std::optional<foundation::Error>& error);
    // Writes the list (removes it when nothing waits); a failure is logged,
    // and the uploads go on for this run.
    void saveList() const;

    bool keepsList_;
    std::shared_ptr<Transport> transport_;
    RelinkHandler relink_;
    std::deque<Entry> entries_;
    uint64_t nextIdentifier_ = 1;
    bool running_ = false;
    // Bumped whenever the running upload is abandoned, so a late answer is ignored.
    uint64_t attempt_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
