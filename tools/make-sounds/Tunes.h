#pragma once

// The sounds the application ships, composed with the synthesizer: the
// theme tunes (one over a minute long) and the sound effects, each with the
// name its file takes.

#include "Synth.h"

#include <string>
#include <vector>

namespace sounds {

struct NamedSound {
    std::string name;  // the file name without extension; lists show it as the title
    Track track;
};

std::vector<NamedSound> themeTunes();
std::vector<NamedSound> soundEffects();

}  // namespace sounds
