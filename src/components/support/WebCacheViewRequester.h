#pragma once

// The requester that stands for one view in the image manager's lists. It is
// made when a request of the view starts and goes when the manager holds no
// request of it, so the manager never keeps a view alive and a view's
// requests can be cancelled by the view alone. Main thread only.

#include "components/support/SDWebImageManager.h"
#include "platform/ui/View.h"

#include <memory>

namespace support {

class WebCacheViewRequester : public SDWebImageManagerDelegate {
public:
    ~WebCacheViewRequester() override;

    // The view's requester, made as a `Requester` when it has none.
    template <class Requester>
    static std::shared_ptr<Requester> forView(ui::View& view) {
        if (auto existing = std::dynamic_pointer_cast<Requester>(find(view))) return existing;
        std::shared_ptr<Requester> made(new Requester(view));
        enter(view, made);
        return made;
    }
    // Ends every request of the view in the shared manager.
    static void cancelRequests(const ui::View& view);

protected:
    explicit WebCacheViewRequester(ui::View& view);
    // The view while it is alive (views owned by a shared_ptr only).
    template <class View>
    std::shared_ptr<View> view() const {
        return std::dynamic_pointer_cast<View>(view_.lock());
    }

private:
    static std::shared_ptr<WebCacheViewRequester> find(const ui::View& view);
    static void enter(const ui::View& view, const std::shared_ptr<WebCacheViewRequester>& requester);

    const ui::View* key_;
    std::weak_ptr<ui::View> view_;
};

}  // namespace support
