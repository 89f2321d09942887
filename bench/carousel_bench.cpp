// One animation tick of a carousel with 30 items loaded, as the editor's
// frame strip and the pickers run it 60 times a second while scrolling: the
// timed scroll's new offset, loading and unloading, 30 item transforms and
// the depth sort. The reference is the budget of 1 ms that leaves the rest
// of a 16.7 ms frame to thumbnails and compositing; the ratio must stay at
// or below 1.

#include "BenchSupport.h"
#include "app/widgets/carousel/iCarousel.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"

#include <cstdio>
#include <memory>
#include <set>
#include <vector>

namespace {

constexpr int64_t kItems = 1000;
constexpr size_t kLoadedItems = 30;
constexpr int kTicks = 2000;
constexpr double kBudgetSeconds = 0.001;

// Plain coloured item views of 30×80: 30 of them fill the 1024-point strip.
class Strip : public iCarouselDataSource {
public:
    int64_t numberOfItemsInCarousel(iCarousel&) override { return kItems; }
    ui::ViewPtr carouselViewForItemAtIndex(iCarousel&, int64_t index, ui::ViewPtr view) override {
        if (!view) view = ui::makeView(graphics::Rect(0, 0, 30, 80));
        view->setBackgroundColor(index % 2 ? graphics::Color::black() : graphics::Color::white());
        return view;
    }
};

}  // namespace

int main() {
    graphics::ensureGuiApplication();
    // Ticks 1/60 s apart on a clock of our own, so every tick moves the strip
    // as far as it would on screen however fast the ticks themselves run.
    auto clock = std::make_shared<foundation::VirtualClock>();
    foundation::RunLoop::main().reset(clock);
    Strip strip;
    auto carousel = ui::makeView<iCarousel>(graphics::Rect(0, 0, 1024, 120));
    carousel->setDataSource(&strip);
    carousel->layoutIfNeeded();
    if (carousel->numberOfVisibleItems() != static_cast<int64_t>(kLoadedItems)) {
        std::fprintf(stderr, "expected %zu items considered, got %lld\n", kLoadedItems,
                     static_cast<long long>(carousel->numberOfVisibleItems()));
        return 1;
    }
    // End to end in as many ticks as are timed: most ticks load and unload.
    carousel->scrollToItemAtIndex(kItems - 1, kTicks / 60.0);
    std::vector<double> ticks;
    ticks.reserve(kTicks);
    std::set<int64_t> centred;
    for (int i = 1; i <= kTicks; ++i) {
        clock->advanceTo(i / 60.0);
        ticks.push_back(bench::secondsOf([&] { carousel->step(); }));
        centred.insert(carousel->currentItemIndex());
    }
    if (centred.size() < kItems / 2) {
        std::fprintf(stderr, "the strip moved through %zu items only\n", centred.size());
        return 1;
    }
    if (carousel->indexesForVisibleItems().size() != kLoadedItems) {
        std::fprintf(stderr, "the strip lost its items\n");
        return 1;
    }
    const double median = bench::median(ticks);
    return bench::printResult("carousel step, 30 items", median, kBudgetSeconds, bench::Target::atMost(1.0)) ? 0 : 1;
}
