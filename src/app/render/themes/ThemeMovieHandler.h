#pragma once

// Renders the title and credits cards of a project with a theme, one after
// the other, and stores each as its frame's ordinary picture files. At the
// end of the chain "ThemeRenderingFinishedNotification" is posted with the
// handler as object and handlerComplete runs, also when a card could not be
// rendered (its template missing, the page failing, a frame that is no
// card): that card keeps its old pictures and the chain ends there, so
// nobody waiting for the notification waits for ever.
//
// Main thread only.

#include "app/core/Frame.h"
#include "app/core/MovieSettingsNotifications.h"
#include "app/core/ProjectModel.h"
#include "app/render/themes/WebRenderer.h"

#include <functional>
#include <memory>
#include <string>

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
    // Starts rendering one card; false (nothing started) for a frame that is
    // no title or credits card.
    bool renderCardForFrame(const FramePtr& card);

    const std::function<void()>& handlerComplete() const { return handlerComplete_; }
    void setHandlerComplete(std::function<void()> handler) { handlerComplete_ = std::move(handler); }

    WebRenderer& webRenderer() { return *webRenderer_; }

    // The resources of theme t.
    static std::string backgroundImageName(int64_t theme);  // "theme_bg_%.2d.jpg"
    static std::string titleTemplateName(int64_t theme);    // "theme_title_%.2d.html"
    static std::string creditsTemplateName(int64_t theme);  // "theme_credits_%.2d.html"

private:
    void finish();

    std::unique_ptr<WebRenderer> webRenderer_;
    std::shared_ptr<ProjectModel> project_;
    std::function<void()> handlerComplete_;
};
