#pragma once

// The Dropbox client's names for the JSON codec. It is the same codec, with
// the same behaviour and error domain; only the names differ.

#include "platform/foundation/json/NSObject_SBJSON.h"
#include "platform/foundation/json/NSString_SBJSON.h"
#include "platform/foundation/json/SBJSON.h"

namespace foundation {

inline constexpr const char* DBJSONErrorDomain = kSBJsonErrorDomain;

using DBJsonBase = SBJsonBase;
using DBJsonParser = SBJsonParser;
using DBJsonWriter = SBJsonWriter;
using DBJSON = SBJSON;

}  // namespace foundation
