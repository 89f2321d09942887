#pragma once

// The calendar time that token expiries and clock checks read. It is the
// system's time unless a source is installed: tests install one that starts
// at a chosen date and moves with the main run loop's virtual clock, so an
// expiry an hour ahead passes when the loop has run an hour.

#include "platform/foundation/Value.h"

#include <functional>

namespace foundation {

Date wallClockNow();

// Replaces the source of wallClockNow(); an empty function restores the
// system's time. Set it before the code under test runs, not meanwhile.
void setWallClockSource(std::function<Date()> source);

}  // namespace foundation
