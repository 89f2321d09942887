#pragma once

// Which of the machine's cameras the device camera starts with and which one
// its switch goes to. A phone's cameras say where they look, and the switch
// goes between back and front; Qt gives a desktop's webcams no position, so
// there the cameras are told apart by identity: the stored camera, else the
// first, and the switch goes to the next by identifier, round to the first.

#include "platform/capture/CaptureDevice.h"

#include <string>
#include <vector>

namespace cameraorder {

// Whether where the cameras look tells them apart: every camera says.
bool positionsTellApart(const std::vector<capture::CaptureDevicePtr>& cameras);

// The identifier `stored` when it is among `identifiers`, else the first in
// switch order (a camera since unplugged gives way to the first); empty
// for no cameras.
std::string storedOrFirst(const std::vector<std::string>& identifiers, const std::string& stored);

// The identifier after `current` in switch order (identifiers sorted), round
// to the first; the first when `current` is not listed; empty for none.
std::string next(const std::vector<std::string>& identifiers, const std::string& current);

}  // namespace cameraorder
