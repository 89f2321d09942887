#pragma once

// A protobuf wire-format encoder that is safe inside a signal handler: it
// writes into a caller's fixed buffer, never allocates, never locks and
// calls no library function.
//
// Nested messages reserve the longest length prefix (5 bytes), and on
// closing the body is moved back over the unused part so that the output is
// the canonical encoding.
//
// When something does not fit, the writer stops writing and reports
// overflowed(); its output must then be thrown away.

#include <cstddef>
#include <cstdint>

namespace crashreporting {

class WireWriter {
public:
    WireWriter(uint8_t* buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) {}

    void varintField(uint32_t field, uint64_t value);
    // Signed values as protobuf's int64 (two's complement, ten bytes when negative).
    void int64Field(uint32_t field, int64_t value) { varintField(field, static_cast<uint64_t>(value)); }
    void bytesField(uint32_t field, const void* data, size_t length);
    // A NUL-terminated text, at most `maximumLength` bytes of it; a null
    // pointer or an empty text writes nothing.
    void stringField(uint32_t field, const char* text, size_t maximumLength = 4096);
    void packedVarintsField(uint32_t field, const uint64_t* values, size_t count);

    // Opens an embedded message; returns the mark that endMessage needs.
    size_t beginMessage(uint32_t field);
    void endMessage(size_t mark);

    // Bytes already encoded elsewhere (fields prepared before a crash).
    void raw(const uint8_t* data, size_t length);

    size_t size() const { return position_; }
    bool overflowed() const { return overflowed_; }
    const uint8_t* data() const { return buffer_; }

    static size_t varintSize(uint64_t value);

private:
    static constexpr size_t kReservedLength = 5;  // a length below 2^35

    bool reserve(size_t length);
    void putVarint(uint64_t value);
    void tag(uint32_t field, uint32_t wireType) { putVarint((uint64_t(field) << 3) | wireType); }

    uint8_t* buffer_;
    size_t capacity_;
    size_t position_ = 0;
    bool overflowed_ = false;
};

}  // namespace crashreporting
