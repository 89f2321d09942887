#include "app/render/themes/ThemeMovieHandler.h"

#include "app/core/BundleImage.h"
#include "app/core/KWImageProducer.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/NotificationCenter.h"

#include <cstdio>

std::shared_ptr<ThemeMovieHandler> ThemeMovieHandler::create(std::shared_ptr<ProjectModel> project) {
    return std::make_shared<ThemeMovieHandler>(Passkey{}, std::move(project));
}

ThemeMovieHandler::ThemeMovieHandler(Passkey, std::shared_ptr<ProjectModel> project)
    : webRenderer_(std::make_unique<WebRenderer>()), project_(std::move(project)) {}

void ThemeMovieHandler::updateThemeforTitle(FramePtr title, FramePtr andCredits) {
    updateThemeforTitle(std::move(title), std::move(andCredits), nullptr);
}

void ThemeMovieHandler::updateThemeforTitle(FramePtr title, FramePtr andCredits, FramePtr currentCard) {
    if (!currentCard) {
        renderCards({title, andCredits});
    } else if (currentCard == title) {
        renderCards({andCredits});
    } else {
        finish();
    }
}

void ThemeMovieHandler::renderCards(const std::vector<FramePtr>& cards) {
    pending_.insert(pending_.end(), cards.begin(), cards.end());
    if (!rendering_) renderNextCard();
}

void ThemeMovieHandler::renderNextCard() {
    if (pending_.empty()) {
        finish();
        return;
    }
    FramePtr card = pending_.front();
    pending_.erase(pending_.begin());
    auto weak = foundation::weakFrom(this);
    std::weak_ptr<ProjectModel> project = project_;
    webRenderer_->setHandlerComplete([weak, project, card](const graphics::Image& picture) {
        auto self = weak.lock();
        if (!self) return;
        if (auto model = project.lock()) {
            KWImageProducer producer(model);
            foundation::Status stored = producer.storeImage(picture, card->frameID());
            if (!stored)
                std::fprintf(stderr, "ThemeMovieHandler: the card %s was not stored: %s\n", card->frameID().c_str(),
                             stored.error().description.c_str());
        }
        self->renderNextCard();
    });
    webRenderer_->setHandlerFailed([weak, card](const foundation::Error& error) {
        auto self = weak.lock();
        if (!self) return;
        std::fprintf(stderr, "ThemeMovieHandler: the card %s was not rendered: %s\n",
                     card ? card->frameID().c_str() : "(none)", error.description.c_str());
        self->finish();
    });
    rendering_ = true;
    if (!card || !renderCardForFrame(card)) finish();
}

bool ThemeMovieHandler::renderCardForFrame(const FramePtr& card) {
    if (!project_ || !card) return false;
    std::optional<ThemeCard> drawn = ThemeCard::ofFrame(*project_, *card);
    if (!drawn) return false;
    graphics::Image background = bundleImageNamed(drawn->backgroundName).value_or(graphics::Image());
    webRenderer_->renderContent(drawn->templateName, graphics::Size{800, 600}, drawn->texts, background);
    return true;
}

void ThemeMovieHandler::finish() {
    pending_.clear();
    rendering_ = false;
    // Whoever made the handler may let it go on the notification.
    auto keep = weak_from_this().lock();
    foundation::NotificationCenter::defaultCenter().post(kThemeRenderingFinishedNotification, this);
    if (handlerComplete_) {
        std::function<void()> handler = handlerComplete_;
        handler();
    }
}
