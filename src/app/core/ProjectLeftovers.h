#pragma once

// What writers killed midway leave in a project folder, and its removal.
//
// Leftovers are the atomic writer's temporaries whose process is gone,
// streamed files that no writer holds (foundation::TemporaryClaim), and the
// frame files (frame-, preview-, thumb-<frameID>.jpg and the painter's files,
// paintfiles::LeftoverPaintFiles) that nothing uses: named after a frame ID
// that no frame object holds (Frame::isFrameIDHeld; the project's list holds
// its frames, a writer the frame it stores), or layer files that their
// frame's layer stack does not list. Nothing else (audio, anything unknown)
// is touched, and nothing at all in a folder without a saved list. No file
// time or clock takes part: what is in use is asked at the moment of removal.
// A frame file that cannot be read stays (removeReadableFile).
//
// The sweep has two halves. The scan lists the folder on any thread and takes
// the temporaries away. Which frame files are unused it can only guess there:
// the main thread stores and lists pictures, and the painter writes a layer's
// files before the stack that lists them, all in one go on the main thread.
// So the guessed names are decided again, and removed, on the main thread,
// where no such write can be half done.

#include <string>
#include <vector>

namespace projectleftovers {

struct Scan {
    // Temporaries of writers that are gone, removed by the scan.
    std::vector<std::string> removed;
    // Frame files that looked unused; for removeUnusedFiles.
    std::vector<std::string> unused;
};

// Lists `folder`, removes its abandoned temporaries and names the frame files
// that look unused. Any thread.
Scan scanFolder(const std::string& folder);

// Removes a frame file of `folder` that its readers could read: a regular
// file (not a link) that opens for reading and holds at most
// projectkeys::kMaximumFileBytes. One that cannot be read (a FIFO, a link,
// no permission, too large) stays as it is: nothing can tell that it holds
// nothing of worth, a painting say that a later reader takes. True when it
// was removed.
bool removeReadableFile(const std::string& folder, const std::string& name);

// Removes those of `names` (from scanFolder) that can be read
// (removeReadableFile) and are still unused now. Main thread, while the
// project whose list was read from `folder` is alive (its list holds the
// frames in use). Returns the names removed.
std::vector<std::string> removeUnusedFiles(const std::string& folder, const std::vector<std::string>& names);

}  // namespace projectleftovers
