#include "support/ScopedEnvironment.h"

#include <cstdlib>

namespace testsupport {

namespace {

void put(const std::string& name, const std::optional<std::string>& value) {
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
}

}  // namespace

ScopedEnvironment::ScopedEnvironment(std::initializer_list<Variable> variables, std::function<void()> applied)
    : applied_(std::move(applied)) {
    for (const auto& [name, value] : variables) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        put(name, value);
    }
    if (applied_) applied_();
}

ScopedEnvironment::~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) put(it->first, it->second);
    if (applied_) applied_();
}

}  // namespace testsupport
