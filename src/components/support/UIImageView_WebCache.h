#pragma once

// Lets an image view show the picture at a web address: the view's earlier
// request is cancelled, the placeholder shown, and the picture (or each
// partial picture of a progressive download) shown when the shared image
// manager has it. The view must be owned by a shared_ptr, as views in a tree
// are; the manager holds no reference to it. Main thread only.

#include "components/support/SDWebImageManager.h"
#include "platform/ui/controls/ImageView.h"

#include <string>

namespace UIImageView_WebCache {

// A placeholder that is null clears the image; an empty address only shows it.
void setImageWithURL(ui::ImageView& view, const std::string& url, const graphics::Image& placeholder = {},
                     int32_t options = 0);
void setImageWithURL(ui::ImageView& view, const std::string& url, const graphics::Image& placeholder, int32_t options,
                     support::SDWebImageSuccessBlock success, support::SDWebImageFailureBlock failure);
inline void setImageWithURL(ui::ImageView& view, const std::string& url, const graphics::Image& placeholder,
                            support::SDWebImageSuccessBlock success, support::SDWebImageFailureBlock failure) {
    setImageWithURL(view, url, placeholder, 0, std::move(success), std::move(failure));
}
inline void setImageWithURL(ui::ImageView& view, const std::string& url, support::SDWebImageSuccessBlock success,
                            support::SDWebImageFailureBlock failure) {
    setImageWithURL(view, url, graphics::Image(), 0, std::move(success), std::move(failure));
}

// Ends the view's requests without an answer.
void cancelCurrentImageLoad(ui::ImageView& view);

}  // namespace UIImageView_WebCache
