#pragma once

// Renders cards one after the other and stores each as its frame's ordinary
// picture files: the title and credits cards from the project's theme and
// outline, a text card from its own text and theme. At the end of the chain
// "ThemeRenderingFinishedNotification" is posted with the handler as object
// and handlerComplete runs, also when a card could not be rendered (its
// template missing, the page failing, a frame that is no card): that card
// keeps its old pictures and the chain ends there, so nobody waiting for
// the notification waits for ever.
//
// Main thread only.

#include "app/core/Frame.h"
#include "app/core/MovieSettingsNotifications.h"
#include "app/core/ProjectModel.h"
#include "app/render/themes/WebRenderer.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class ThemeMovieHandler : public std::enable_shared_from_this<ThemeMovieHandler> {
    struct Passkey {};

public:
    static std::shared_ptr<ThemeMovieHandler> create(std::shared_ptr<ProjectModel> project);
    ThemeMovieHandler(Passkey, std::shared_ptr<ProjectModel> project);

    // Renders the title card, then the credits card.
    void updateThemeforTitle(FramePtr title, FramePtr andCredits);
    // One step of the chain: no current card renders the title, the title
    // renders the credits, anything else ends the chain.
    void updateThemeforTitle(FramePtr title, FramePtr andCredits, FramePtr currentCard);
    // Renders the cards in order; cards given while a chain is under way
    // join its end.
    void renderCards(const std::vector<FramePtr>& cards);
    // Starts rendering one card; false (nothing started) for a frame that is
    // no card.
    bool renderCardForFrame(const FramePtr& card);

    const std::function<void()>& handlerComplete() const { return handlerComplete_; }
    void setHandlerComplete(std::function<void()> handler) { handlerComplete_ = std::move(handler); }

    WebRenderer& webRenderer() { return *webRenderer_; }

private:
    void renderNextCard();
    void finish();

    std::unique_ptr<WebRenderer> webRenderer_;
    std::shared_ptr<ProjectModel> project_;
    std::function<void()> handlerComplete_;
    std::vector<FramePtr> pending_;  // the cards after the one being rendered
    bool rendering_ = false;
};
