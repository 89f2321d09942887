#include "app/widgets/views/NXNavigationController.h"

namespace {

// The orientation's bit in an orientation mask.
unsigned maskFor(ui::InterfaceOrientation orientation) { return 1u << static_cast<unsigned>(orientation); }

}  // namespace

bool NXNavigationController::shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) const {
    if (const ui::ViewController* visible = visibleViewController()) {
        return visible->shouldAutorotate() && (visible->supportedInterfaceOrientations() & maskFor(orientation)) != 0;
    }
    return orientation == ui::InterfaceOrientation::LandscapeLeft ||
           orientation == ui::InterfaceOrientation::LandscapeRight;
}

unsigned NXNavigationController::supportedInterfaceOrientations() const {
    if (const ui::ViewController* visible = visibleViewController()) return visible->supportedInterfaceOrientations();
    return ui::NavigationController::supportedInterfaceOrientations();
}
