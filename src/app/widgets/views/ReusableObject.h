#pragma once

// A view that a container may keep when it goes off screen and hand out
// again, so that scrolling through many pages does not build a view per page.

#include <string>

class ReusableObject {
public:
    virtual ~ReusableObject() = default;
    // Views with the same identifier are interchangeable.
    virtual std::string reuseIdentifier() const = 0;
    // Called just before the view is handed out again.
    virtual void prepareForReuse() = 0;
};
