#pragma once

// Answers about the application from its configuration property lists among
// the resources: "inappad", overlaid by the list named after the bundle
// identifier. Both are read on every call, so a changed resource folder (or a
// test's bundle) is seen at once.

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>

class ConfigurationUtil {
public:
    // "itunes_id" of the bundle-identifier list only; 0 when the list or the
    // key is missing.
    static int64_t getiTunesID(const foundation::Bundle& bundle = foundation::Bundle::main());

    // The merged lists' value under the key that "appname_key" names; none
    // when either is missing or the value is no text.
    static std::optional<std::string> getLocalizedAppName(
        const foundation::Bundle& bundle = foundation::Bundle::main());

    // "inappad" with the entries of the bundle-identifier list laid over it.
    // The info centre reads its further keys from here.
    static foundation::Dictionary mergedConfiguration(const foundation::Bundle& bundle = foundation::Bundle::main());
};
