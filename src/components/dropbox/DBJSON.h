#pragma once

// The Dropbox client's names for the JSON codec. It is the same codec, with
// the same behaviour and error domain; only the names differ.

#include "components/sbjson/NSObject_SBJSON.h"
#include "components/sbjson/NSString_SBJSON.h"
#include "components/sbjson/SBJSON.h"

namespace sbjson {

inline constexpr const char* DBJSONErrorDomain = kSBJsonErrorDomain;

using DBJsonBase = SBJsonBase;
using DBJsonParser = SBJsonParser;
using DBJsonWriter = SBJsonWriter;
using DBJSON = SBJSON;

}  // namespace sbjson
