// The Dropbox API's answers: a JSON body read as the client reads each kind
// (file metadata with its folder contents, the account with its quota, a
// delta listing, a share link's expiry date, a failure's error object), the
// metadata header of a download, and the records stored in a keyed archive
// and read back.

#include "FuzzTarget.h"

#include "components/dropbox/DBJSON.h"
#include "components/dropbox/DBRecords.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

namespace {

void archiveAndRead(const std::shared_ptr<foundation::Archivable>& record) {
    auto archived = foundation::KeyedArchiver::archivedData(record);
    if (archived.ok()) (void)foundation::KeyedUnarchiver::unarchiveObject(*archived);
}

}  // namespace

TOLLIVAR_FUZZ_TARGET(dropbox_answer) {
    const std::string_view text = fuzzing::text(data, size);
    (void)sbjson::NSString_SBJSON::JSONValue(text);  // the metadata header and resultJSON()
    sbjson::DBJsonParser parser;
    std::optional<foundation::Value> json = parser.objectWithString(text);
    if (!json) return 0;
    if (json->isDictionary()) {
        const foundation::Dictionary answer = json->asDictionary();
        auto metadata = std::make_shared<DBMetadata>(answer);
        (void)metadata->filename();
        archiveAndRead(metadata);
        auto account = std::make_shared<DBAccountInfo>(answer);
        archiveAndRead(account);
        if (answer.get("entries").isArray())
            for (const foundation::Value& entry : answer.get("entries").asArray())
                if (entry.isArray())
                    if (auto made = DBDeltaEntry::fromArray(entry.asArray()))
                        archiveAndRead(std::make_shared<DBDeltaEntry>(*made));
        if (auto expires = answer.get("expires").stringValue()) (void)DBMetadata::parseDate(*expires);
        if (auto path = answer.get("path").stringValue()) (void)NSStringDropbox::normalizedDropboxPath(*path);
    }
    return 0;
}
