#pragma once

#include "platform/foundation/Error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sbjson {

using foundation::Error;

// The error domain of the JSON codec's errors.
inline constexpr const char* kSBJsonErrorDomain = "com.marrowick.json";

// What the parser, the writer and their facade share: the nesting limit and
// the trace of errors of the last operation. The trace lists the innermost
// failure first; every later error carries the one before it as underlying
// error, so the last one describes the whole failure.
class SBJsonBase {
public:
    // The nesting limit a fresh object starts with.
    static constexpr uint64_t kDefaultMaxDepth = 512;
    // Nesting is bounded by this even when maxDepth is 0 ("no limit") or set
    // higher, so hostile input or a container holding itself cannot exhaust
    // the stack.
    static constexpr uint64_t kHardDepthLimit = 1024;

    SBJsonBase() = default;
    virtual ~SBJsonBase() = default;
    SBJsonBase(const SBJsonBase&) = default;
    SBJsonBase& operator=(const SBJsonBase&) = default;

    // A copy of the trace; empty while no error happened since the last clear.
    std::vector<Error> errorTrace() const { return errorTrace_; }
    void clearErrorTrace() { errorTrace_.clear(); }
    void addErrorWithCode(uint64_t code, std::string description);

    // The current nesting level of the operation in progress.
    uint64_t depth() const { return depth_; }
    // 0 means no limit of the caller's own (the hard limit still holds).
    virtual uint64_t maxDepth() const { return maxDepth_; }
    virtual void setMaxDepth(uint64_t maxDepth) { maxDepth_ = maxDepth; }

protected:
    // Enters one more level of arrays or objects; adds "Nested too deep" and
    // answers false when that passes the limit.
    bool raiseDepth();
    void lowerDepth() { --depth_; }
    void resetDepth() { depth_ = 0; }
    void setErrorTrace(std::vector<Error> trace) { errorTrace_ = std::move(trace); }

private:
    std::vector<Error> errorTrace_;
    uint64_t depth_ = 0;
    uint64_t maxDepth_ = kDefaultMaxDepth;
};

// The trace as one console text: a parenthesised list, one error per line.
std::string describeErrorTrace(const std::vector<Error>& trace);
// Writes "-<operation> failed. Error trace is: <trace>" to the console.
void logFailedOperation(const char* operation, const std::vector<Error>& trace);

}  // namespace sbjson
