#pragma once

// The one window: the root of the view tree, the owner of the root view
// controller, the first responder and the touch delivery.
//
// A window draws nothing of its own; the window host (a Qt window) or a test
// composites it into an image. It remembers that something changed so the
// host repaints only when needed.

#include "platform/ui/View.h"

#include <functional>
#include <map>
#include <memory>

namespace ui {

class ViewController;

class Window : public View {
public:
    explicit Window(const graphics::Rect& frame);
    ~Window() override;

    // The controller whose view fills the window. Setting it adds its view
    // and sends the appearance callbacks.
    ViewController* rootViewController() const { return rootViewController_.get(); }
    void setRootViewController(std::shared_ptr<ViewController> controller);

    void makeKeyAndVisible();
    bool isKeyWindow() const { return key_; }
    // The key window of the application, or null.
    static Window* keyWindow();

    // Points to pixels.
    double scale() const { return scale_; }
    void setScale(double scale) { scale_ = scale; }

    // ---- responders ---------------------------------------------------------
    Responder* firstResponder() const { return firstResponder_; }
    // Internal: the responder machinery keeps this up to date.
    void setFirstResponder(Responder* responder) { firstResponder_ = responder; }
    // Key input goes to the first responder and along the chain.
    void sendText(const std::string& text);
    void sendKey(Key key);

    // ---- touches ----------------------------------------------------------------
    // Delivers raw touches (from the host or a test's touch driver): hit
    // testing on Began, gesture recognisers first, then the responder chain.
    void sendEvent(const Event& event, TouchPhase phase, const TouchSet& changed);

    // ---- compositing -------------------------------------------------------------
    void setNeedsComposite();
    bool needsComposite() const { return needsComposite_; }
    void clearNeedsComposite() { needsComposite_ = false; }
    // The host listens for changes to schedule a repaint.
    void setCompositeRequestHandler(std::function<void()> handler) { compositeRequest_ = std::move(handler); }
    // Lays out the tree, draws stale contents and renders everything into an
    // image of the window's size at its scale.
    graphics::Image renderImage();

    // Internal: a view is leaving the window (drops it as first responder and
    // from the touches it has).
    void viewWillLeaveWindow(View* view);

    Responder* nextResponder() const override;

private:
    std::shared_ptr<ViewController> rootViewController_;
    Responder* firstResponder_ = nullptr;
    double scale_ = 1.0;
    bool key_ = false;
    bool needsComposite_ = true;
    std::function<void()> compositeRequest_;
};

}  // namespace ui
