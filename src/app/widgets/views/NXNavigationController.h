#pragma once

// The navigation controller of the application's screens: the screen on
// top decides which orientations it turns to. With no screen shown it
// keeps to landscape.

#include "platform/ui/controllers/NavigationController.h"

class NXNavigationController : public ui::NavigationController {
public:
    using ui::NavigationController::NavigationController;

    // Whether the interface may turn to the orientation.
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) const;
    unsigned supportedInterfaceOrientations() const override;
};
