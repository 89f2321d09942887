#include "components/crashreporting/WireWriter.h"

namespace crashreporting {

namespace {
constexpr uint32_t kWireVarint = 0;
constexpr uint32_t kWireLengthDelimited = 2;
}  // namespace

size_t WireWriter::varintSize(uint64_t value) {
    size_t size = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++size;
    }
    return size;
}

bool WireWriter::reserve(size_t length) {
    if (overflowed_ || length > capacity_ - position_) {
        overflowed_ = true;
        return false;
    }
    return true;
}

void WireWriter::putVarint(uint64_t value) {
    if (!reserve(varintSize(value))) return;
    while (value >= 0x80) {
        buffer_[position_++] = static_cast<uint8_t>(value | 0x80);
        value >>= 7;
    }
    buffer_[position_++] = static_cast<uint8_t>(value);
}

void WireWriter::raw(const uint8_t* data, size_t length) {
    if (!reserve(length)) return;
    for (size_t i = 0; i < length; ++i) buffer_[position_++] = data[i];
}

void WireWriter::varintField(uint32_t field, uint64_t value) {
    tag(field, kWireVarint);
    putVarint(value);
}

void WireWriter::bytesField(uint32_t field, const void* data, size_t length) {
    tag(field, kWireLengthDelimited);
    putVarint(length);
    raw(static_cast<const uint8_t*>(data), length);
}

void WireWriter::stringField(uint32_t field, const char* text, size_t maximumLength) {
    if (!text) return;
    size_t length = 0;
    while (length < maximumLength && text[length] != '\0') ++length;
    // A cut must not split a UTF-8 sequence: drop continuation bytes and the
    // lead byte they belong to, or the decoder rejects the whole report.
    if (length == maximumLength && text[length] != '\0') {
        while (length > 0 && (static_cast<uint8_t>(text[length]) & 0xC0) == 0x80) --length;
    }
    if (length == 0) return;
    bytesField(field, text, length);
}

void WireWriter::packedVarintsField(uint32_t field, const uint64_t* values, size_t count) {
    if (count == 0) return;
    size_t length = 0;
    for (size_t i = 0; i < count; ++i) length += varintSize(values[i]);
    tag(field, kWireLengthDelimited);
    putVarint(length);
    for (size_t i = 0; i < count; ++i) putVarint(values[i]);
}

size_t WireWriter::beginMessage(uint32_t field) {
    tag(field, kWireLengthDelimited);
    size_t mark = position_;
    if (reserve(kReservedLength)) position_ += kReservedLength;
    return mark;
}

void WireWriter::endMessage(size_t mark) {
    if (overflowed_) return;
    size_t bodyStart = mark + kReservedLength;
    size_t bodyLength = position_ - bodyStart;
    size_t prefixLength = varintSize(bodyLength);
    size_t write = mark;
    uint64_t value = bodyLength;
    while (value >= 0x80) {
        buffer_[write++] = static_cast<uint8_t>(value | 0x80);
        value >>= 7;
    }
    buffer_[write++] = static_cast<uint8_t>(value);
    // Moving towards lower addresses, so a forward copy never overwrites
    // bytes it still has to read.
    for (size_t i = 0; i < bodyLength; ++i) buffer_[write + i] = buffer_[bodyStart + i];
    position_ -= kReservedLength - prefixLength;
}

}  // namespace crashreporting
