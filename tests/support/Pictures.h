#pragma once

// Test pictures with known pixels, and files made from them.

#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

#include <string>

namespace testsupport {

// A picture of four solid quadrants (red, green, blue, white) that JPEG
// keeps recognisable, so decoded pixels can be checked approximately.
graphics::Image quadrantsImage(int width, int height);

// A picture whose left half is red and right half blue.
graphics::Image halvesImage(int width, int height);

// A JPEG stream with an APP1 Exif segment carrying the orientation tag,
// in little- or big-endian TIFF.
foundation::Bytes jpegWithExifOrientation(const foundation::Bytes& jpeg, int exifValue, bool bigEndian);

// A progressive JPEG of the picture (several scans, each refining the last),
// as libjpeg-turbo writes it.
foundation::Bytes progressiveJpeg(const graphics::Image& image, int quality = 90);

// An Adam7-interlaced PNG of the picture, written by ImageMagick.
foundation::Bytes interlacedPng(const graphics::Image& image);

// The picture as a print JPEG: turned into CMYK by ImageMagick, which writes
// it as YCCK with the Adobe marker (inverted samples), as Photoshop does.
foundation::Bytes cmykJpeg(const graphics::Image& image, bool progressive = false);

// Writes bytes to a fresh file in the test's temporary folder (removed when
// the test process ends) and returns the path.
std::string writeTestFile(const std::string& name, const foundation::Bytes& bytes);

// True when two pixels differ by at most `tolerance` in every channel.
bool pixelNear(graphics::RGBA actual, graphics::RGBA expected, int tolerance = 8);
// The largest difference of a colour channel between two pictures of one
// size (255 when their sizes differ).
int largestDifference(const graphics::Image& a, const graphics::Image& b);

}  // namespace testsupport

namespace testsupport {

// The frame number that the grey bands of a test movie's picture carry
// (see TestMovies.h), read at the middle row of the upright picture; -1
// when a band's grey is not near any digit's level.
int frameNumberInPicture(const graphics::Image& picture);

}  // namespace testsupport
