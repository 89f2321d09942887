#include "Artwork.h"

namespace themes {

const std::vector<ThemeStyle>& themeStyles() {
    static const std::vector<ThemeStyle> styles = {
        {1, "Premiere", "'DejaVu Serif', serif", "#f6d98a", "#ffe9b8"},
        {2, "Starry Night", "'DejaVu Sans', sans-serif", "#ffffff", "#ffe9a8"},
        {3, "Sunny Day", "'DejaVu Sans', sans-serif", "#0d3b66", "#1f6fb2"},
        {4, "Chalkboard", "'DejaVu Sans Mono', monospace", "#f4f4ea", "#f7d6e0"},
        {5, "Silent Film", "'DejaVu Serif', serif", "#f4e8c8", "#d9c49a"},
        {6, "Ocean", "'DejaVu Sans', sans-serif", "#ffffff", "#a8ecff"},
        {7, "Candy", "'DejaVu Sans', sans-serif", "#7b1fa2", "#c2185b"},
        {8, "Comic", "'DejaVu Sans', sans-serif", "#111111", "#c62828"},
        {9, "Space", "'DejaVu Sans Mono', monospace", "#7df9ff", "#ffcf8a"},
    };
    return styles;
}

namespace {

// The page frame every card shares: the page is the card's size, its
// background transparent so the theme picture shows, and one table cell
// centres the texts both ways.
std::string page(const std::string& title, const ThemeStyle* style, const std::string& css, const std::string& body) {
    std::string family = style ? style->fontFamily : "'DejaVu Sans', sans-serif";
    std::string text = style ? style->textColor : "#222222";
    std::string word = style ? style->wordColor : "#555555";
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
           "</title>\n<style>\n"
           "html, body { margin: 0; padding: 0; background: transparent; }\n"
           "body { font-family: " +
           family + "; color: " + text +
           "; }\n"
           "table.card { width: 1280px; height: 720px; border-spacing: 0; }\n"
           "td.texts { vertical-align: middle; text-align: center; padding: 40px 140px; }\n"
           ".word { color: " +
           word + "; font-size: 26px; }\n" + css +
           "</style>\n</head>\n<body>\n<table class=\"card\"><tr><td class=\"texts\">\n" + body +
           "</td></tr></table>\n</body>\n</html>\n";
}

}  // namespace

std::string titleTemplate(const ThemeStyle& style) {
    return page(std::string(style.name) + " title", &style,
                ".studio { font-size: 36px; margin-bottom: 6px; }\n"
                ".name { font-size: 84px; font-weight: bold; margin: 22px 0 26px 0; }\n"
                ".star { font-size: 32px; margin-top: 6px; }\n",
                "<div class=\"studio\">META_RECORD_OUTLINE_STUDIO</div>\n"
                "<div class=\"word\">Theme_Credits_Present_key</div>\n"
                "<div class=\"name\">META_RECORD_OUTLINE_MOVIE_NAME</div>\n"
                "<div class=\"word\">Theme_Credits_Starring_key</div>\n"
                "<div class=\"star\">META_RECORD_OUTLINE_STAR</div>\n");
}

std::string creditsTemplate(const ThemeStyle& style) {
    return page(std::string(style.name) + " credits", &style,
                ".line { font-size: 32px; margin: 0 0 12px 0; }\n"
                ".studio { font-size: 44px; font-weight: bold; margin-top: 18px; }\n",
                "<div class=\"word\">Theme_Credits_A_key Theme_Credits_film_key</div>\n"
                "<div class=\"line\">META_RECORD_OUTLINE_DIRECTED_BY</div>\n"
                "<div class=\"word\">Theme_Credits_Written_key</div>\n"
                "<div class=\"line\">META_RECORD_OUTLINE_WRITTEN_BY</div>\n"
                "<div class=\"word\">Theme_Credits_Produced_key</div>\n"
                "<div class=\"line\">META_RECORD_OUTLINE_PRODUCED_BY</div>\n"
                "<div class=\"word\">Theme_Credits_Edited_key</div>\n"
                "<div class=\"line\">META_RECORD_OUTLINE_EDITED_BY</div>\n"
                "<div class=\"word\">Theme_Credits_Music_key</div>\n"
                "<div class=\"line\">META_RECORD_OUTLINE_MUSIC_BY</div>\n"
                "<div class=\"studio\">META_RECORD_OUTLINE_STUDIO</div>\n");
}

std::string textCardTemplate() {
    return page("Text card", nullptr,
                ".panel { display: inline-block; background-color: rgba(255, 255, 255, 0.82); border-radius: 28px;"
                " padding: 40px 70px; font-size: 72px; font-weight: bold; color: #1d1d28; }\n",
                "<div class=\"panel\">META_RECORD_OUTLINE_MOVIE_NAME</div>\n");
}

}  // namespace themes
