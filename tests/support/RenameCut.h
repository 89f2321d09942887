#pragma once

// A process cut short just after a given number of files landed in a
// folder, as a kill there leaves it. Every file our writers put in place
// lands by a rename, and the test program's own rename stands in for the C
// library's: while a ScopedRenameCut lives, the rename into the folder after
// the first `landing` ones kills the process with SIGKILL instead. Meant for
// a child process whose folder the test then reads.

#include <string>

namespace testsupport {

class ScopedRenameCut {
public:
    ScopedRenameCut(std::string folder, int landing);
    ~ScopedRenameCut();
    ScopedRenameCut(const ScopedRenameCut&) = delete;
    ScopedRenameCut& operator=(const ScopedRenameCut&) = delete;
};

}  // namespace testsupport
