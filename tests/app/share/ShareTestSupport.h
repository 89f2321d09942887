#pragma once

// Share-service tests: programs of the desktop stand in as small recorder
// scripts first on PATH, and a delegate records what a service reports.

#include "app/share/ConnectHandler.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "support/ScopedEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace sharetest {

// Whether the Outbox holds nothing, once the copies and removals made away
// from the main thread are done.
inline bool outboxEmptyOnceSettled() {
    foundation::RunLoop::main().runUntilIdle();
    const std::string outbox = foundation::Paths::cachesDirectory() + "/Outbox";
    return !std::filesystem::exists(outbox) || std::filesystem::is_empty(outbox);
}

// A folder of scripts put in front of PATH for the object's lifetime.
class ProgramRecorders {
public:
    explicit ProgramRecorders(const std::string& folder)
        : folder_(folder),
          path_({{"PATH", folder + ":" + std::string(std::getenv("PATH") ? std::getenv("PATH") : "")}}) {
        std::filesystem::create_directories(folder);
    }

    void write(const std::string& name, const std::string& body) const {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body;
        chmod(path.c_str(), 0755);
    }
    // xdg-mime answering with a program name (an empty answer names none).
    void mailHandler(const std::string& program) const { write("xdg-mime", "echo '" + program + "'\n"); }
    // xdg-email writing each argument, NUL-ended, to record(), then exiting with `status`.
    void mailer(int status) const {
        write("xdg-email", "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" + record() + "'\nexit " +
                               std::to_string(status) + "\n");
    }
    std::string record() const { return folder_ + "/xdg-email.args"; }
    std::optional<std::vector<std::string>> recordedArguments() const {
        std::ifstream in(record(), std::ios::binary);
        if (!in) return std::nullopt;
        std::vector<std::string> arguments;
        std::string argument;
        while (std::getline(in, argument, '\0')) arguments.push_back(argument);
        return arguments;
    }

private:
    std::string folder_;
    testsupport::ScopedEnvironment path_;
};

struct RecordingDelegate : ConnectHandlerDelegate {
    int logins = 0;
    std::vector<std::optional<foundation::Error>> failedLogins;
    std::vector<double> progress;
    int finished = 0;
    std::vector<foundation::Error> failures;

    void connectHandlerDidLogin(ConnectHandler&) override { ++logins; }
    void connectHandlerDidFailLogin(ConnectHandler&, const std::optional<foundation::Error>& error) override {
        failedLogins.push_back(error);
    }
    void connectHandlerUploadProgress(ConnectHandler&, double fraction) override { progress.push_back(fraction); }
    void connectHandlerDidFinishUpload(ConnectHandler&) override { ++finished; }
    void connectHandlerDidFailUpload(ConnectHandler&, const foundation::Error& error) override {
        failures.push_back(error);
    }
    bool ended() const { return finished + failures.size() > 0; }
};

}  // namespace sharetest
