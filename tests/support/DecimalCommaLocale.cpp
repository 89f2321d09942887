#include "support/DecimalCommaLocale.h"

#include "support/Process.h"
#include "support/RunFolder.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <unistd.h>

namespace testsupport {

namespace {

constexpr const char* kLocaleName = "de_DE.UTF-8";

// The folder holding the compiled locale; empty when localedef failed. The
// C library reads the files again whenever the locale is set, so the folder
// stays for the process and goes when it ends.
const std::string& compiledLocaleFolder() {
    static const RunFolder run("tollivar-locale");
    static const std::string folder = [] {
        const std::string path = run.path();
        ProcessResult result = runProcess({"localedef", "-i", "de_DE", "-f", "UTF-8", path + "/" + kLocaleName});
        // localedef warns (and exits 1) about harmless things; the files are what counts.
        if (!std::filesystem::exists(path + "/" + kLocaleName + "/LC_NUMERIC")) return std::string();
        return path;
    }();
    return folder;
}

struct CommaDecimals : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

}  // namespace

ScopedDecimalCommaLocale::ScopedDecimalCommaLocale()
    : previousNumeric_(std::setlocale(LC_NUMERIC, nullptr)), previousGlobal_(std::locale()) {
    cLocaleActive_ = std::setlocale(LC_NUMERIC, kLocaleName) != nullptr;
    if (!cLocaleActive_ && !compiledLocaleFolder().empty()) {
        ::setenv("LOCPATH", compiledLocaleFolder().c_str(), 1);
        cLocaleActive_ = std::setlocale(LC_NUMERIC, kLocaleName) != nullptr;
    }
    std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
}

ScopedDecimalCommaLocale::~ScopedDecimalCommaLocale() {
    // Restoring a named global std::locale resets the whole C locale too,
    // so the numeric category comes back last.
    std::locale::global(previousGlobal_);
    std::setlocale(LC_NUMERIC, previousNumeric_.c_str());
}

}  // namespace testsupport
