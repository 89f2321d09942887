// Keyed archives: the Dropbox records and credentials, anything an imported
// project carries. The Dropbox record classes are linked in, so archives
// naming them go through their decoders.

#include "FuzzTarget.h"

#include "components/dropbox/DBRecords.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

TOLLIVAR_FUZZ_TARGET(keyed_archive) {
    // Registers the Dropbox decoders (they register with their file's first use).
    static const bool recordsLinked = !DBQuota(foundation::Dictionary()).className().empty();
    (void)recordsLinked;
    const foundation::Bytes input = fuzzing::bytes(data, size);
    if (auto object = foundation::KeyedUnarchiver::unarchiveObject(input); object.ok() && *object)
        (void)foundation::KeyedArchiver::archivedData(*object);
    if (auto value = foundation::KeyedUnarchiver::unarchiveValue(input); value.ok())
        (void)foundation::KeyedArchiver::archivedData(*value);
    return 0;
}
