#pragma once

// A settings delegate that writes down every choice it hears, in order.

#include "app/capture/chromakey/ChromaKeyConfigurationDelegate.h"

#include <string>
#include <vector>

namespace chromakeytest {

struct Choice {
    std::string message;
    ui::ViewController* sender = nullptr;
    float value = 0;
    graphics::Color color;
    graphics::Image image;
};

class RecordingConfigurationDelegate : public ChromaKeyConfigurationDelegate {
public:
    void didSelectChangeBackDrop(ui::ViewController& sender) override { record("changeBackDrop", sender); }
    void didSelectUseFrameAsBackdrop(ui::ViewController& sender) override { record("useFrame", sender); }
    void didSelectChangeBackDropWithImage(ui::ViewController& sender, const graphics::Image& image) override {
        record("changeBackDropWithImage", sender).image = image;
    }
    void didChangedFilterValue(ui::ViewController& sender, float value) override {
        record("filterValue", sender).value = value;
    }
    void didSelectChangeChromaKeyColor(ui::ViewController& sender, const graphics::Color& color) override {
        record("color", sender).color = color;
    }
    void didSelectChangeAutoChromaKeyColor(ui::ViewController& sender) override { record("autoColor", sender); }

    std::vector<std::string> messages() const {
        std::vector<std::string> names;
        for (const Choice& choice : choices) names.push_back(choice.message);
        return names;
    }

    std::vector<Choice> choices;

private:
    Choice& record(const char* message, ui::ViewController& sender) {
        choices.push_back({message, &sender, 0, {}, {}});
        return choices.back();
    }
};

}  // namespace chromakeytest
