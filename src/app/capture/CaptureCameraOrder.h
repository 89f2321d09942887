#pragma once

// Which of the machine's cameras a camera source (the device camera, the
// green screen) starts with and which one its switch goes to. A phone's
// cameras say where they look, and the switch goes between back and front;
// Qt gives a desktop's webcams no position, so there the cameras are told
// apart by identity: the stored camera, else the first, and the switch goes
// to the next by identifier (node number order: /dev/video2 before
// /dev/video10), round to the first. The settings keep the choice both ways,
// shared by the sources: the position, and the camera's persistent
// identifier (its stable name where the system gives one, which follows the
// camera when the kernel numbers the nodes the other way round; else its
// identifier). A stored node path, as earlier versions kept, still names the
// camera at that node.

#include "platform/capture/CaptureDevice.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cameraorder {

// Whether where the cameras look tells them apart: every camera says.
bool positionsTellApart(const std::vector<capture::CaptureDevicePtr>& cameras);

// The identifier `stored` when it is among `identifiers`, else the first in
// switch order (a camera since unplugged gives way to the first); empty
// for no cameras.
std::string storedOrFirst(const std::vector<std::string>& identifiers, const std::string& stored);

// Whether identifier `a` comes before `b` in switch order: runs of digits
// compare as numbers, the rest as text.
bool inSwitchOrder(const std::string& a, const std::string& b);

// The identifier after `current` in switch order, round
// to the first; the first when `current` is not listed; empty for none.
std::string next(const std::vector<std::string>& identifiers, const std::string& current);

// The first camera in the list that looks that way (a position value); null
// for none.
capture::CaptureDevicePtr firstAt(const std::vector<capture::CaptureDevicePtr>& cameras, int64_t position);

// The camera after the one of identifier `current` (next), by identity.
capture::CaptureDevicePtr cameraAfter(const std::vector<capture::CaptureDevicePtr>& cameras,
                                      const std::string& current);

// The camera the settings' choice names: where positions tell the cameras
// apart the first at the stored position (null when none looks that way),
// else the camera of the stored persistent identifier, or of that
// identifier, or the first (storedOrFirst); null for none.
capture::CaptureDevicePtr storedChoice(const std::vector<capture::CaptureDevicePtr>& cameras);

// The settings remember the camera chosen: its position and its persistent
// identifier.
void storeChoice(const capture::CaptureDevice& camera);

// The camera a switch goes to from `current` (from the stored choice when
// null): where positions tell the cameras apart the first looking the
// other way (null when none does), else the next by identity.
capture::CaptureDevicePtr otherCamera(const std::vector<capture::CaptureDevicePtr>& cameras,
                                      const capture::CaptureDevice* current);

// A switch while no camera films (its start failed): the other camera
// becomes the stored choice, for the next start to take.
void storeOtherChoice(const std::vector<capture::CaptureDevicePtr>& cameras);

}  // namespace cameraorder
