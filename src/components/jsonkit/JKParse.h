#pragma once

// The state of one parse of the JSON decoder, shared by the files that
// implement it: the token scanners and the container builder.

#include "components/jsonkit/JSONDecoder.h"

#include <cstddef>
#include <cstdint>
#include <forward_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jsonkit {

enum class JKToken {
    Invalid,
    Number,
    String,
    ObjectBegin,
    ObjectEnd,
    ArrayBegin,
    ArrayEnd,
    Colon,
    Comma,
    True,
    False,
    Null
};

// One parse: the scanner over the input, the current token, the values of
// the open containers and the first error.
class JSONDecoder::Parse {
public:
    using Value = foundation::Value;

    Parse(uint64_t options, JKTokenCache& cache, const uint8_t* bytes, size_t length, bool mutableCollections)
        : options_(options), cache_(cache), in_(bytes), length_(length), mutable_(mutableCollections) {}

    std::optional<Value> run(JKError* error);

private:
    bool atEnd() const { return index_ >= length_; }
    size_t remaining() const { return length_ - index_; }

    void record(const char* format, ...) __attribute__((format(printf, 2, 3)));
    size_t lineBreakAt(size_t at) const;
    // Most tokens follow another directly: only a byte that may start white
    // space or a comment sends the scan to skipSpaceAndComments.
    void skipWhiteSpace() {
        if (atEnd()) return;
        const uint8_t byte = in_[index_];
        if (byte > ' ' && byte < 0x80 && byte != '/') return;
        skipSpaceAndComments();
    }
    void skipSpaceAndComments();
    // Takes the single-byte token `punctuation` when it comes next, as
    // nextToken would; leaves everything as it was otherwise.
    bool take(char punctuation) {
        if (index_ < length_ && in_[index_] == static_cast<uint8_t>(punctuation)) {
            ++index_;
            return true;
        }
        return takeAfterWhiteSpace(punctuation);
    }
    bool takeAfterWhiteSpace(char punctuation);
    bool nextToken();
    // nextToken where a key is wanted: a string, read without the general dispatch.
    bool nextKeyToken();
    // What stood where a value may: a value read into `out` (as nextToken and
    // buildValue would have), another token (read by nextToken, its kind in
    // token_), or a failure already recorded.
    enum class Read { Value, OtherToken, Failed };
    Read readValue(Value& out, size_t depth);
    void startToken() {
        token_ = JKToken::Invalid;
        tokenStart_ = index_;
        tokenLength_ = 0;
    }
    bool stringToken();
    // The literal `word` with its token, or the unexpected-token error.
    bool literalToken(std::string_view word, JKToken token);
    bool scanString();
    // The general scan of the string whose text starts at `first`, from `at`
    // on: the bytes before it are plain text or valid UTF-8.
    bool scanString(size_t first, size_t at);
    bool scanNumber();
    bool convertNumber(const char* begin, size_t length, bool floating, bool negative);
    bool buildValue(Value& out, size_t depth);
    bool buildArray(Value& out, size_t depth);
    bool buildDictionary(Value& out, size_t depth);
    // Make the container of the values or pairs gathered from `start` on.
    bool finishArray(Value& out, size_t start, size_t depth);
    bool finishDictionary(Value& out, size_t start, size_t depth);
    void recordExpectation(bool valueAllowed, bool commaAllowed, bool closeAllowed, const char* valuePhrase,
                           const char* closePhrase);

    uint64_t options_;
    JKTokenCache& cache_;
    const uint8_t* in_;
    size_t length_;
    bool mutable_;
    size_t index_ = 0;
    size_t line_ = 1;
    size_t lineStart_ = 0;

    JKToken token_ = JKToken::Invalid;
    size_t tokenStart_ = 0;
    size_t tokenLength_ = 0;
    std::string string_;      // room for a string token's value when it had to be unescaped
    std::string_view value_;  // a string token's value: in the input, or in string_
    bool valueInInput() const { return value_.data() != string_.data(); }
    // The bytes of the input from the start of a value that lies in it.
    size_t readableFromValue() const {
        return length_ - static_cast<size_t>(reinterpret_cast<const uint8_t*>(value_.data()) - in_);
    }
    Value number_;            // the value of a number token

    // The pending values and pairs of every open container, each container's
    // from the position where it began.
    std::vector<Value> values_;
    std::vector<JKDictionary::Pair> pairs_;
    // Keys that could not be handed over in the input, for the whole parse
    // (a list: nothing to make before the first, and none of them moves).
    std::forward_list<std::string> keyCopies_;

    std::optional<JKError> error_;
};

}  // namespace jsonkit
