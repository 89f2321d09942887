#include "app/render/themes/ThemeMovieHandler.h"

#include "app/core/BundleImage.h"
#include "app/core/KWImageProducer.h"
#include "app/render/OutlineTexts.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotificationCenter.h"

#include <cstdio>

std::shared_ptr<ThemeMovieHandler> ThemeMovieHandler::create(std::shared_ptr<ProjectModel> project) {
    return std::make_shared<ThemeMovieHandler>(Passkey{}, std::move(project));
}

ThemeMovieHandler::ThemeMovieHandler(Passkey, std::shared_ptr<ProjectModel> project)
    : webRenderer_(std::make_unique<WebRenderer>()), project_(std::move(project)) {}

std::string ThemeMovieHandler::backgroundImageName(int64_t theme) {
    return foundation::format("theme_bg_%.2d.jpg", {theme});
}
std::string ThemeMovieHandler::titleTemplateName(int64_t theme) {
    return foundation::format("theme_title_%.2d.html", {theme});
}
std::string ThemeMovieHandler::creditsTemplateName(int64_t theme) {
    return foundation::format("theme_credits_%.2d.html", {theme});
}

void ThemeMovieHandler::updateThemeforTitle(FramePtr title, FramePtr andCredits) {
    updateThemeforTitle(std::move(title), std::move(andCredits), nullptr);
}

std::string ThemeMovieHandler::textCardTemplateName(int64_t theme) {
    return theme >= 20 ? std::string("theme_card_20.html") : titleTemplateName(theme);
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
    const std::shared_ptr<ProjectModel>& project = project_;
    if (!project || !card) return false;
    std::optional<foundation::Dictionary> meta = project->getMetaData();
    foundation::Value stored = meta ? meta->get(outlinekeys::kOutlineData) : foundation::Value();
    foundation::Dictionary outline = stored.isDictionary() ? stored.asDictionary() : placeholderOutline(*project);
    int64_t theme = meta ? meta->get(outlinekeys::kTheme).asInt() : 0;

    std::string templateName;
    if (card->type() == Frame::kTypeTitleCard) {
        templateName = titleTemplateName(theme);
    } else if (card->type() == Frame::kTypeCreditsCard) {
        templateName = creditsTemplateName(theme);
    } else if (card->type() == Frame::kTypeThemeTextCard) {
        // A text card carries its own words and theme.
        std::shared_ptr<KWThemeItem> words = card->getTheme();
        theme = words ? words->themeID() : 0;
        templateName = textCardTemplateName(theme);
        outline = foundation::Dictionary{
            {outlinekeys::kMovieName, words ? words->text().value_or(std::string()) : std::string()}};
    } else {
        return false;
    }
    graphics::Image background = bundleImageNamed(backgroundImageName(theme)).value_or(graphics::Image());
    webRenderer_->renderContent(templateName, graphics::Size{800, 600}, outline, background);
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
