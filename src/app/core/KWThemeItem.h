#pragma once

// The text and theme number of a theme text card.

#include "platform/foundation/Locked.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>

class KWThemeItem {
public:
    KWThemeItem() = default;  // no text, theme 0
    // From the dictionary form: "THEMEID" (0 when missing) and "TEXT" (none when missing).
    explicit KWThemeItem(const foundation::Dictionary& dictionary);

    foundation::Dictionary encode() const;

    std::optional<std::string> text() const { return text_.get(); }
    void setText(std::optional<std::string> text) { text_.set(std::move(text)); }
    int64_t themeID() const { return themeID_; }
    void setThemeID(int64_t themeID) { themeID_ = themeID; }

private:
    foundation::Locked<std::optional<std::string>> text_;
    int64_t themeID_ = 0;
};
