#include "app/core/KWThemeItem.h"

#include "app/core/FrameKeys.h"

using foundation::Dictionary;
using foundation::Value;

KWThemeItem::KWThemeItem(const Dictionary& dictionary) {
    themeID_ = framekeys::integerOr(dictionary, "THEMEID", 0);
    text_ = dictionary.get("TEXT").stringValue();
}

Dictionary KWThemeItem::encode() const {
    Dictionary dictionary;
    dictionary.set("THEMEID", Value::integer(themeID_));
    if (auto text = this->text()) dictionary.set("TEXT", *text);
    return dictionary;
}

std::optional<std::string> KWThemeItem::text() const {
    std::lock_guard guard(lock_);
    return text_;
}

void KWThemeItem::setText(std::optional<std::string> text) {
    std::lock_guard guard(lock_);
    text_ = std::move(text);
}
