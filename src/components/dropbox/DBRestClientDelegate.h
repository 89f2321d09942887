#pragma once

// What a DBRestClient tells its delegate. Every message has an empty default,
// so a delegate overrides only what it wants. Where two forms of a message
// exist, the client sends the richer one, whose default passes on to the
// simpler one: a delegate that overrides either is served.

#include "components/dropbox/DBRecords.h"
#include "platform/foundation/Error.h"

#include <memory>
#include <string>
#include <vector>

class DBRestClient;

class DBRestClientDelegate {
public:
    virtual ~DBRestClientDelegate() = default;
    using Client = DBRestClient;
    using Metadata = std::shared_ptr<DBMetadata>;
    using Error = foundation::Error;

    virtual void restClientLoadedMetadata(Client&, const Metadata&) {}
    virtual void restClientMetadataUnchangedAtPath(Client&, const std::string&) {}
    virtual void restClientLoadMetadataFailedWithError(Client&, const Error&) {}

    virtual void restClientLoadedDeltaEntries(Client&, const std::vector<DBDeltaEntry>&, bool /*reset*/,
                                              const std::string& /*cursor*/, bool /*hasMore*/) {}
    virtual void restClientLoadDeltaFailedWithError(Client&, const Error&) {}

    virtual void restClientLoadedFile(Client&, const std::string& /*destPath*/) {}
    virtual void restClientLoadedFileContentTypeMetadata(Client& client, const std::string& destPath,
                                                         const std::string& /*contentType*/, const Metadata&) {
        restClientLoadedFile(client, destPath);
    }
    virtual void restClientLoadedFileContentTypeETag(Client&, const std::string&, const std::string&,
                                                     const std::string&) {}
    virtual void restClientLoadProgressForFile(Client&, double, const std::string&) {}
    virtual void restClientLoadFileFailedWithError(Client&, const Error&) {}

    virtual void restClientLoadedThumbnail(Client&, const std::string& /*destPath*/) {}
    virtual void restClientLoadedThumbnailMetadata(Client& client, const std::string& destPath, const Metadata&) {
        restClientLoadedThumbnail(client, destPath);
    }
    virtual void restClientLoadThumbnailFailedWithError(Client&, const Error&) {}

    virtual void restClientUploadedFileFrom(Client&, const std::string& /*destPath*/, const std::string& /*srcPath*/) {}
    virtual void restClientUploadedFileFromMetadata(Client& client, const std::string& destPath,
                                                    const std::string& srcPath, const Metadata&) {
        restClientUploadedFileFrom(client, destPath, srcPath);
    }
    virtual void restClientUploadProgressForFileFrom(Client&, double, const std::string& /*destPath*/,
                                                     const std::string& /*srcPath*/) {}
    virtual void restClientUploadFileFailedWithError(Client&, const Error&) {}

    virtual void restClientUploadedFileChunk(Client&, const std::string& /*uploadId*/, uint64_t /*newOffset*/,
                                             const std::string& /*fromPath*/, std::optional<foundation::Date>) {}
    virtual void restClientUploadFileChunkFailedWithError(Client&, const Error&) {}
    virtual void restClientUploadedFileFromUploadIdMetadata(Client&, const std::string&, const std::string&,
                                                            const Metadata&) {}
    virtual void restClientUploadFromUploadIdFailedWithError(Client&, const Error&) {}

    virtual void restClientLoadedRevisionsForFile(Client&, const std::vector<Metadata>&, const std::string&) {}
    virtual void restClientLoadRevisionsFailedWithError(Client&, const Error&) {}
    virtual void restClientRestoredFile(Client&, const Metadata&) {}
    virtual void restClientRestoreFileFailedWithError(Client&, const Error&) {}
    virtual void restClientMovedPathTo(Client&, const std::string&, const Metadata&) {}
    virtual void restClientMovePathFailedWithError(Client&, const Error&) {}
    virtual void restClientCopiedPathTo(Client&, const std::string&, const Metadata&) {}
    virtual void restClientCopyPathFailedWithError(Client&, const Error&) {}
    virtual void restClientCreatedCopyRef(Client&, const std::string&) {}
    virtual void restClientCreatedCopyRefForPath(Client& client, const std::string& copyRef, const std::string&) {
        restClientCreatedCopyRef(client, copyRef);
    }
    virtual void restClientCreateCopyRefFailedWithError(Client&, const Error&) {}
    virtual void restClientCopiedRefTo(Client&, const std::string&, const Metadata&) {}
    virtual void restClientCopyFromRefFailedWithError(Client&, const Error&) {}
    virtual void restClientDeletedPath(Client&, const std::string&) {}
    virtual void restClientDeletePathFailedWithError(Client&, const Error&) {}
    virtual void restClientCreatedFolder(Client&, const Metadata&) {}
    virtual void restClientCreateFolderFailedWithError(Client&, const Error&) {}
    virtual void restClientLoadedAccountInfo(Client&, const DBAccountInfo&) {}
    virtual void restClientLoadAccountInfoFailedWithError(Client&, const Error&) {}
    // Results are null when the body held no array.
    virtual void restClientLoadedSearchResultsForPathKeyword(Client&, const std::vector<Metadata>*, const std::string&,
                                                             const std::string&) {}
    virtual void restClientSearchFailedWithError(Client&, const Error&) {}
    virtual void restClientLoadedSharableLinkForFile(Client&, const std::string&, const std::string&) {}
    virtual void restClientLoadSharableLinkFailedWithError(Client&, const Error&) {}
    virtual void restClientLoadedStreamableURLForFile(Client&, const std::string&, const std::string&) {}
    virtual void restClientLoadStreamableURLFailedWithError(Client&, const Error&) {}
    virtual void restClientLoadedRequestToken(Client&) {}
    virtual void restClientLoadRequestTokenFailedWithError(Client&, const Error&) {}
    virtual void restClientLoadedAccessToken(Client&) {}
    virtual void restClientLoadAccessTokenFailedWithError(Client&, const Error&) {}
};
