// Property lists, XML and binary: user defaults, project and frame files,
// anything an imported archive carries.

#include "FuzzTarget.h"

#include "platform/foundation/PropertyList.h"

TOLLIVAR_FUZZ_TARGET(plist) {
    auto value = foundation::plist::parse(fuzzing::bytes(data, size));
    if (!value.ok()) return 0;
    // What was read can be written in both forms, and the binary form, which
    // keeps every value exactly, reads back.
    (void)foundation::plist::serialize(*value, foundation::plist::Format::Xml);
    auto binary = foundation::plist::serialize(*value, foundation::plist::Format::Binary);
    if (binary.ok() && !foundation::plist::parse(*binary).ok()) __builtin_trap();
    return 0;
}
