#include "components/dropbox/DBConfiguration.h"

#include <algorithm>

namespace {

DBConfiguration& slot() {
    static DBConfiguration configuration;
    return configuration;
}

}  // namespace

bool DBConfiguration::appClaimsScheme(const std::string& scheme) const {
    if (std::find(claimedSchemes.begin(), claimedSchemes.end(), scheme) == claimedSchemes.end()) return false;
    return !schemeRoutedHere || schemeRoutedHere(scheme);
}

const DBConfiguration& DBConfiguration::current() { return slot(); }

void DBConfiguration::setCurrent(DBConfiguration configuration) { slot() = std::move(configuration); }
