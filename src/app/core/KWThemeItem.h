#pragma once

// The text and theme number of a theme text card.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/Value.h"

class KWThemeItem {
public:
    KWThemeItem() = default;  // no text, theme 0
    // From the dictionary form: "THEMEID" (0 when missing) and "TEXT" (none when missing).
    explicit KWThemeItem(const foundation::Dictionary& dictionary);

    foundation::Dictionary encode() const;

    std::optional<std::string> text() const;
    void setText(std::optional<std::string> text);
    int64_t themeID() const { return themeID_; }
    void setThemeID(int64_t themeID) { themeID_ = themeID; }

private:
    std::optional<std::string> text_;
    int64_t themeID_ = 0;
    mutable std::mutex lock_;
};
