#include "platform/ui/Responder.h"

#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

graphics::Point Touch::locationInView(const View* view) const {
    return view ? view->convertPointFromView(windowLocation, nullptr) : windowLocation;
}

graphics::Point Touch::previousLocationInView(const View* view) const {
    return view ? view->convertPointFromView(previousWindowLocation, nullptr) : previousWindowLocation;
}

void Responder::touchesBegan(const TouchSet& touches, const Event& event) {
    if (Responder* next = nextResponder()) next->touchesBegan(touches, event);
}

void Responder::touchesMoved(const TouchSet& touches, const Event& event) {
    if (Responder* next = nextResponder()) next->touchesMoved(touches, event);
}

void Responder::touchesEnded(const TouchSet& touches, const Event& event) {
    if (Responder* next = nextResponder()) next->touchesEnded(touches, event);
}

void Responder::touchesCancelled(const TouchSet& touches, const Event& event) {
    if (Responder* next = nextResponder()) next->touchesCancelled(touches, event);
}

bool Responder::becomeFirstResponder() {
    Window* window = responderWindow();
    // Only a responder in a window can take the keyboard.
    if (!window || !canBecomeFirstResponder()) return false;
    Responder* current = window->firstResponder();
    if (current == this) return true;
    if (current && !current->resignFirstResponder()) return false;
    // The old responder's resignation may have run code that claimed the focus.
    if (window->firstResponder() && window->firstResponder() != this) return false;
    window->setFirstResponder(this);
    return true;
}

bool Responder::resignFirstResponder() {
    if (!canResignFirstResponder()) return false;
    Window* window = responderWindow();
    if (window && window->firstResponder() == this) window->setFirstResponder(nullptr);
    return true;
}

bool Responder::isFirstResponder() const {
    Window* window = responderWindow();
    return window && window->firstResponder() == this;
}

bool Responder::insertText(const std::string& text) {
    Responder* next = nextResponder();
    return next ? next->insertText(text) : false;
}

bool Responder::keyPressed(Key key, unsigned modifiers) {
    Responder* next = nextResponder();
    return next ? next->keyPressed(key, modifiers) : false;
}

bool Responder::scrollWheel(const WheelEvent& event) {
    Responder* next = nextResponder();
    return next ? next->scrollWheel(event) : false;
}

bool Responder::pointerMoved(const PointerMotion& motion) {
    Responder* next = nextResponder();
    return next ? next->pointerMoved(motion) : false;
}

}  // namespace ui
