#pragma once

// The notice by which work without a screen of its own (an import, a copy
// into the project) asks the editor to show an error.

#include "platform/foundation/Error.h"

// Posted with the error under kShowErrorNotificationErrorKey (a native
// foundation::Error); the editor shows it.
inline constexpr const char* kShowErrorNotification = "ShowErrorNotification";
inline constexpr const char* kShowErrorNotificationErrorKey = "ERROR";

// Posts kShowErrorNotification from `sender`; on the calling thread.
void postShowError(const foundation::Error& error, const void* sender);
