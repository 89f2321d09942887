#include "app/core/KWThemeItem.h"

#include "app/core/FrameKeys.h"

using foundation::Dictionary;
using foundation::Value;

KWThemeItem::KWThemeItem(const Dictionary& dictionary) {
    themeID_ = framekeys::integerOr(dictionary, "THEMEID", 0);
    text_.set(dictionary.get("TEXT").stringValue());
}

Dictionary KWThemeItem::encode() const {
    Dictionary dictionary;
    dictionary.set("THEMEID", Value::integer(themeID_));
    if (auto text = this->text()) dictionary.set("TEXT", *text);
    return dictionary;
}
