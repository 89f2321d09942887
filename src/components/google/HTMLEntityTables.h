#pragma once

// The named character entities of XHTML 1.0, sorted by code so that escaping
// can search them by halves.

#include <cstddef>
#include <cstdint>

namespace GTMNSStringHTMLAdditions {

struct HTMLEscapeMap {
    const char* escapeSequence;  // "&amp;"
    char16_t uchar;              // the UTF-16 code unit it stands for
};

// The special-characters entity set (33 entries, "&quot;" to "&euro;").
extern const HTMLEscapeMap gSpecialHTMLEscapeMap[33];
// All three entity sets: Latin-1, special and symbols (253 entries,
// "&quot;" to "&diams;").
extern const HTMLEscapeMap gAsciiHTMLEscapeMap[253];

}  // namespace GTMNSStringHTMLAdditions
