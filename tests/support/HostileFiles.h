#pragma once

// What anyone could put in place of a file that a project carries (in an
// archive someone shared, or by hand in the folder), for the tests of the
// readers of such files: none may hold its reader, nor make it take more
// memory than a file of its kind can need.

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

enum class Hostile { Fifo, LinkToZero, Huge };
inline constexpr Hostile kHostileKinds[] = {Hostile::Fifo, Hostile::LinkToZero, Hostile::Huge};

// "a FIFO", "a link to /dev/zero", "2 GiB of zeros".
std::string describe(Hostile kind);
// Replaces whatever is at `path` with one; the huge one is a sparse file
// that takes no room on the disk.
void placeHostile(const std::string& path, Hostile kind);

// The most memory this process has held so far, in megabytes.
long peakMegabytes();

// Runs `work` and tells whether it ended within a few seconds. Should it
// still be waiting then on one of the FIFOs at `fifos`, each is given a
// writer that goes at once, so that the test fails instead of hanging.
bool endsWithoutWaitingOn(const std::vector<std::string>& fifos, const std::function<void()>& work);

}  // namespace testsupport
