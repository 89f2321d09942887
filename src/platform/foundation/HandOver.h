#pragma once

// Work that a library not built with ThreadSanitizer passes to another
// thread: Qt's thread pool hands a task to its thread through Qt's own
// futexes, which ThreadSanitizer cannot see, so it would take everything the
// task reads of what the handing thread wrote for a race. The two sides mark
// the hand-over instead:
//
//     std::function<void()> task = [&] { foundation::acceptHandOver(); ... };
//     foundation::markHandOver();  // the task is complete in memory
//     pool->tryStart(std::move(task));
//
// Whatever the handing thread wrote before the mark is ordered before what
// the receiving thread does after accepting. One mark serves every hand-over,
// as one lock of Qt's serves every task of its pool. Without ThreadSanitizer
// both are nothing.

#if defined(__SANITIZE_THREAD__)
#define TOLLIVAR_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TOLLIVAR_THREAD_SANITIZER 1
#endif
#endif

#ifdef TOLLIVAR_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
#endif

namespace foundation {

#ifdef TOLLIVAR_THREAD_SANITIZER
namespace detail {
inline char handOverMark;
}
// On the handing thread, after the last write of what it hands over and
// just before the library takes it.
inline void markHandOver() { __tsan_release(&detail::handOverMark); }
// On the receiving thread, before the work reads anything handed over
// (the captures of a lambda included).
inline void acceptHandOver() { __tsan_acquire(&detail::handOverMark); }
#else
inline void markHandOver() {}
inline void acceptHandOver() {}
#endif

}  // namespace foundation
