#pragma once

// A process cut short just after a given number of files landed in a
// folder, as a kill there leaves the folder. Every file our writers put in
// place lands by a rename (the atomic writer's, or a rename of a file
// written aside), so while a ScopedRenameCut lives, the renames into the
// folder are counted, and the one after the first `landing` kills the
// process with SIGKILL instead of happening. The test program's own rename
// stands in for the C library's, so the cut comes at the very call the
// writers make. Meant for a child process whose folder the test then reads.

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
