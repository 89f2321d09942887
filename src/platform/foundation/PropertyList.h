#pragma once

// Property lists: the XML and binary ("bplist00") file formats of the
// platform, read into and written from Value.
//
// Mapping: booleans, integers (signed 64-bit and unsigned up to 2^64-1),
// reals, UTF-8 strings, data, dates, arrays and dictionaries (key order kept
// when writing) and archive UIDs. XML has no UID element; a UID is written as
// a dictionary with the single key "CF$UID", and such a dictionary reads back
// as a UID. XML dates carry whole seconds, binary dates the full double.
// Null and native objects have no representation and make writing fail.
//
// Hostile input is refused with an Error, never a crash: nesting is limited,
// binary object references are bounds-checked and cycles are detected.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <string>

namespace foundation::plist {

enum class Format { Xml, Binary };

// Error codes in kCocoaErrorDomain, as the platform reports them.
inline constexpr int64_t kReadCorruptError = 3840;
inline constexpr int64_t kWriteInvalidError = 3852;

// Deeper nesting than this is refused on reading and on writing.
inline constexpr int kMaximumDepth = 512;

// Reads XML or binary, told apart by the binary format's header.
Result<Value> parse(const Bytes& data);
Result<Bytes> serialize(const Value& value, Format format);

// Whether data begin with the binary format's header.
bool isBinary(const Bytes& data);

Result<Value> readFile(const std::string& path);
// The contents of the file at `path`, read already: a value, or an error
// that names the file.
Result<Value> parseFileContents(const std::string& path, const Bytes& data);
// Serializes first, then replaces the file atomically: a value that cannot be
// written leaves the file as it was.
Status writeFile(const Value& value, const std::string& path, Format format = Format::Xml);

}  // namespace foundation::plist
