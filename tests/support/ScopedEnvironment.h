#pragma once

// Sets environment variables for a scope and puts back what was there before:
// the old value, or no variable at all. A missing value unsets the variable
// for the scope.

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class ScopedEnvironment {
public:
    using Variable = std::pair<const char*, std::optional<std::string>>;

    // `applied`, when given, runs after the variables are set and again after
    // they are put back: what reads them once (the time zone, the language
    // table) reads them again.
    explicit ScopedEnvironment(std::initializer_list<Variable> variables, std::function<void()> applied = {});
    ~ScopedEnvironment();

    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
    std::function<void()> applied_;
};

}  // namespace testsupport
