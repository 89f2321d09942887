#pragma once

// What a carousel asks of its data source and tells its delegate. Every
// delegate operation is optional: the defaults here do nothing or answer
// "not implemented" (an empty optional), and the carousel then uses its
// own value.

#include "app/widgets/carousel/iCarouselTypes.h"
#include "platform/graphics/Transform3D.h"
#include "platform/ui/View.h"

#include <cstdint>
#include <optional>

class iCarousel;

// Older operations a delegate or data source may still answer. The carousel
// honours them and warns, when the delegate is set, about those it has.
enum class iCarouselLegacyOperation {
    ItemAlphaForOffset,
    ShouldWrap,
    OffsetMultiplier,
    NumberOfVisibleItems,
    CurrentItemIndexUpdated,
    ValueForTransformOption,
};

class iCarouselDataSource {
public:
    virtual ~iCarouselDataSource() = default;
    virtual int64_t numberOfItemsInCarousel(iCarousel& carousel) = 0;
    // `view` is a view from the reuse pool or null; a null result shows an
    // empty view.
    virtual ui::ViewPtr carouselViewForItemAtIndex(iCarousel& carousel, int64_t index, ui::ViewPtr view) = 0;
    virtual int64_t numberOfPlaceholdersInCarousel(iCarousel&) { return 0; }
    virtual ui::ViewPtr carouselPlaceholderViewAtIndex(iCarousel&, int64_t, ui::ViewPtr) { return nullptr; }
    // Older: replaces the computed number of visible items.
    virtual std::optional<int64_t> numberOfVisibleItemsInCarousel(iCarousel&) { return std::nullopt; }
};

class iCarouselDelegate {
public:
    virtual ~iCarouselDelegate() = default;
    virtual void carouselWillBeginScrollingAnimation(iCarousel&) {}
    virtual void carouselDidEndScrollingAnimation(iCarousel&) {}
    virtual void carouselDidScroll(iCarousel&) {}
    virtual void carouselCurrentItemIndexDidChange(iCarousel&) {}
    virtual void carouselWillBeginDragging(iCarousel&) {}
    virtual void carouselDidEndDragging(iCarousel&, bool willDecelerate) { (void)willDecelerate; }
    virtual void carouselWillBeginDecelerating(iCarousel&) {}
    virtual void carouselDidEndDecelerating(iCarousel&) {}
    virtual bool carouselShouldSelectItemAtIndex(iCarousel&, int64_t) { return true; }
    virtual void carouselDidSelectItemAtIndex(iCarousel&, int64_t) {}
    virtual std::optional<double> carouselItemWidth(iCarousel&) { return std::nullopt; }
    virtual std::optional<graphics::Transform3D> carouselItemTransformForOffset(iCarousel&, double offset,
                                                                                const graphics::Transform3D& base) {
        (void)offset;
        (void)base;
        return std::nullopt;
    }
    virtual std::optional<double> carouselValueForOption(iCarousel&, iCarouselOption, double defaultValue) {
        (void)defaultValue;
        return std::nullopt;
    }

    // ---- older operations ------------------------------------------------
    // Answers which of them this delegate has (the warnings ask before any call).
    virtual bool implementsLegacyOperation(iCarouselLegacyOperation) const { return false; }
    virtual bool carouselShouldWrap(iCarousel&) { return false; }
    virtual double carouselOffsetMultiplier(iCarousel&) { return 1.0; }
    virtual double carouselValueForTransformOption(iCarousel&, iCarouselOption, double defaultValue) {
        return defaultValue;
    }
    virtual double carouselItemAlphaForOffset(iCarousel&, double) { return 1.0; }
    virtual void carouselCurrentItemIndexUpdated(iCarousel&) {}
};
