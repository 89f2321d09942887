#pragma once

// Lets a button show the picture at a web address as its image or its
// background image, for the normal, selected and highlighted states: the
// button's earlier request is cancelled, the placeholder set, and the picture
// set when the shared image manager has it. The button must be owned by a
// shared_ptr, as views in a tree are. Main thread only.

#include "components/support/SDWebImageManager.h"
#include "platform/ui/controls/Button.h"

#include <string>

namespace UIButton_WebCache {

void setImageWithURL(ui::Button& button, const std::string& url, const graphics::Image& placeholder = {},
                     int32_t options = 0, support::SDWebImageSuccessBlock success = nullptr,
                     support::SDWebImageFailureBlock failure = nullptr);
inline void setImageWithURL(ui::Button& button, const std::string& url, support::SDWebImageSuccessBlock success,
                            support::SDWebImageFailureBlock failure) {
    setImageWithURL(button, url, graphics::Image(), 0, std::move(success), std::move(failure));
}

void setBackgroundImageWithURL(ui::Button& button, const std::string& url, const graphics::Image& placeholder = {},
                               int32_t options = 0, support::SDWebImageSuccessBlock success = nullptr,
                               support::SDWebImageFailureBlock failure = nullptr);
inline void setBackgroundImageWithURL(ui::Button& button, const std::string& url,
                                      support::SDWebImageSuccessBlock success,
                                      support::SDWebImageFailureBlock failure) {
    setBackgroundImageWithURL(button, url, graphics::Image(), 0, std::move(success), std::move(failure));
}

// Ends the button's requests without an answer.
void cancelCurrentImageLoad(ui::Button& button);

}  // namespace UIButton_WebCache
