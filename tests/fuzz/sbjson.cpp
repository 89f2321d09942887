// The SBJSON codec that the store and Dropbox share, as objects and as
// fragments (any value at the top). Whatever reads is written back.

#include "FuzzTarget.h"

#include "components/sbjson/SBJSON.h"

TOLLIVAR_FUZZ_TARGET(sbjson) {
    const std::string_view text = fuzzing::text(data, size);
    sbjson::SBJSON json;
    foundation::Error error;
    if (auto object = json.objectWithString(text, &error)) (void)json.stringWithObject(*object, &error);
    if (auto fragment = json.fragmentWithString(text, &error)) (void)json.stringWithFragment(*fragment, &error);
    return 0;
}
