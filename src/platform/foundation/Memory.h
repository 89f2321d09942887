// The process's use of the C allocator.
//
// glibc raises its mapping threshold each time a large block is freed, up to
// 32 MiB, and keeps each thread arena's free top up to twice that before
// giving it back; malloc_trim never trims a thread arena's top. A picture of
// a few megabytes freed on a worker thread then stays resident in that
// thread's arena: after a 4K export, hundreds of megabytes spread over the
// arenas of the threads that decoded, composed and encoded.

#pragma once

namespace foundation::memory {

// From now on, a block of 4 MiB or more (a picture, an encoder's frame, a
// large file's contents) is mapped on its own and unmapped when freed, and a
// thread arena keeps no more than a little of its free top. Called once at
// start, before the worker threads come.
void returnLargeBlocksToTheSystem();

// Gives back to the system the freed blocks the allocator still keeps in
// its arenas (after an export, say).
void releaseFreedMemory();

}  // namespace foundation::memory
