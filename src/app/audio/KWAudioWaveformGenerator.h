#pragma once

// The waveform picture of an audio file: the sound read as 16-bit samples,
// averaged into one column per point of the requested width and drawn as
// vertical lines about the middle.
//
// A column is the average magnitude of its frames: signed averages of
// sound swing about zero and cancel out, which would draw a loud passage as
// a flat line. A stereo file gives two columns per point (left, then right),
// so its picture is about twice as wide.
//
// Any thread (the clip editor renders off the main thread).

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Folds frames into columns of `samplesPerPoint + 1` frames each; what is
// left over at the end makes no column.
class WaveformColumns {
public:
    WaveformColumns(int64_t samplesPerPoint, int channelCount);
    // One frame of `channelCount` values.
    void addFrame(const int16_t* frame);
    // Left and right values alternate for two channels.
    const std::vector<int16_t>& values() const { return values_; }
    // The largest value appended (0 for silence).
    int16_t normalizeMax() const { return max_; }
    int64_t framesPerColumn() const { return samplesPerPoint_ + 1; }

private:
    int64_t samplesPerPoint_;
    int channelCount_;
    int64_t left_ = 0, right_ = 0, count_ = 0;
    std::vector<int16_t> values_;
    int16_t max_ = 0;
};

class KWAudioWaveformGenerator {
public:
    // The first channel's lines; the second channel's are red.
    static graphics::Color firstChannelColor();

    // The picture of the file's sound at `size` (width in points to average
    // over, height of the picture); none when the file has no sound that can
    // be read.
    static std::optional<graphics::Image> renderPNGAudioPictogramForAssett(const std::string& path,
                                                                           graphics::Size withSize);
    // Draws `sampleCount` values as lines one pixel apart in a picture of
    // that many pixels by `imageHeight`. A maximum of 0 (silence) draws an
    // empty band.
    static graphics::Image audioImageGraph(const std::vector<int16_t>& samples, int16_t normalizeMax,
                                           int64_t sampleCount, int64_t channelCount, float imageHeight);
    // Frames averaged into one column for a sound of this rate and length
    // drawn `width` points wide.
    static int64_t samplesPerPoint(int sampleRate, double durationSeconds, double width);

    // How many files have been read for pictures so far, so callers can tell
    // a cached picture from a fresh one.
    static int64_t audioReadCount();
};
