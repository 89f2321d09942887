// The JSONKit codec: the first byte picks the parse options (its low four
// bits), the rest is the text. Whatever reads is written back.

#include "FuzzTarget.h"

#include "components/jsonkit/JKSerializer.h"
#include "components/jsonkit/JSONDecoder.h"

TOLLIVAR_FUZZ_TARGET(jsonkit) {
    if (size == 0) return 0;
    jsonkit::JSONDecoder decoder(data[0] & 0x0F);
    const char* text = reinterpret_cast<const char*>(data + 1);
    jsonkit::JKError error;
    if (auto value = decoder.objectWithUTF8String(text, size - 1, &error)) (void)jsonkit::JSONString(*value);
    // The same text again hits the decoder's cache of strings and numbers.
    (void)decoder.mutableObjectWithUTF8String(text, size - 1, &error);
    return 0;
}
