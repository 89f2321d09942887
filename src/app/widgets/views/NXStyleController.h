#pragma once

// The place for a global look applied at start-up. The look of this
// application comes from its views themselves, so there is nothing to apply.

class NXStyleController {
public:
    static void applyAppTheme() {}
};
