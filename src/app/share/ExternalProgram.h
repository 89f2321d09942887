#pragma once

// Runs another program of the desktop (the mail program's helpers) as an
// argument vector, never through a shell, so no text of the user is ever
// read as a command. Standard input is empty; standard output can be kept.

#include "platform/foundation/Error.h"

#include <functional>
#include <string>
#include <vector>

struct ProgramOutcome {
    // The exit status, or 128 + the signal that ended the program.
    int status = 0;
    std::string output;
};

// Runs `argv` (argv[0] is looked up in PATH) and waits for its end. An error
// when it cannot be started (missing program: ENOENT).
foundation::Result<ProgramOutcome> runProgram(const std::vector<std::string>& argv, bool keepOutput = false);

// The same on a background queue; the completion runs on the main queue.
void runProgramAsync(std::vector<std::string> argv,
                     std::function<void(const foundation::Result<ProgramOutcome>& outcome)> completion);
