#include "components/sbjson/SBJsonBase.h"

#include <cstdio>
#include <memory>

namespace sbjson {

using namespace foundation;

void SBJsonBase::addErrorWithCode(uint64_t code, std::string description) {
    std::shared_ptr<const Error> previous;
    if (!errorTrace_.empty()) previous = std::make_shared<const Error>(errorTrace_.back());
    errorTrace_.emplace_back(kSBJsonErrorDomain, static_cast<int64_t>(code), std::move(description),
                             std::move(previous));
}

bool SBJsonBase::raiseDepth() {
    ++depth_;
    bool overCallerLimit = maxDepth_ != 0 && depth_ > maxDepth_;
    if (overCallerLimit || depth_ > kHardDepthLimit) {
        addErrorWithCode(7, "Nested too deep");
        return false;
    }
    return true;
}

std::string describeErrorTrace(const std::vector<Error>& trace) {
    std::string text = "(";
    for (size_t i = 0; i < trace.size(); ++i) {
        const Error& error = trace[i];
        text += i == 0 ? "\n    " : ",\n    ";
        text +=
            "Error Domain=" + error.domain + " Code=" + std::to_string(error.code) + " \"" + error.description + "\"";
    }
    text += trace.empty() ? ")" : "\n)";
    return text;
}

void logFailedOperation(const char* operation, const std::vector<Error>& trace) {
    std::fprintf(stderr, "-%s failed. Error trace is: %s\n", operation, describeErrorTrace(trace).c_str());
}

}  // namespace sbjson
