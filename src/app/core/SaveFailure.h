#pragma once

// What the user is told when something of theirs could not be saved: what it
// was and why, in their words, never a path inside the project's folder, a
// file name of the store or an error code.
//
//     The project “Sunrise” could not be saved: a file would be larger than
//     this system allows.

#include "platform/foundation/Error.h"

#include <string>

// The domain of a save that the program refused before writing anything:
// the error's description is already the reason, as a clause in the user's
// words ("its texts are ... too long").
inline constexpr const char* kSaveRefusedDomain = "SaveRefused";

// Why a save failed, as a clause ("there is not enough space left on this
// device"), from the file-system failure found at any depth of `failure`.
std::string saveFailureReason(const foundation::Error& failure);

// "<what> could not be saved: <why>."
std::string saveFailureText(const std::string& what, const foundation::Error& failure);

// "The project “<name>”", for saveFailureText.
std::string projectCalled(const std::string& name);

// The same failure with saveFailureText as its description, the original as
// its underlying error: for what shows an error's description.
foundation::Error saveFailureError(const std::string& what, const foundation::Error& failure);
