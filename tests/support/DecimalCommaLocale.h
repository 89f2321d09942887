#pragma once

// Puts the process in a locale that writes decimals with a comma (German)
// for one scope, both for C's printf family (LC_NUMERIC) and for C++
// streams (the global std::locale), and restores both afterwards.
//
// The C locale comes from localedef, compiled once per process into a
// temporary folder, as containers usually ship no German locale. Where that
// cannot be done, cLocaleActive() is false and only the C++ half applies.

#include <locale>
#include <string>

namespace testsupport {

class ScopedDecimalCommaLocale {
public:
    ScopedDecimalCommaLocale();
    ~ScopedDecimalCommaLocale();
    ScopedDecimalCommaLocale(const ScopedDecimalCommaLocale&) = delete;
    ScopedDecimalCommaLocale& operator=(const ScopedDecimalCommaLocale&) = delete;

    bool cLocaleActive() const { return cLocaleActive_; }

private:
    std::string previousNumeric_;
    std::locale previousGlobal_;
    bool cLocaleActive_ = false;
};

}  // namespace testsupport
