#include "app/core/effects/ThermalFilter.h"

ThermalFilter::ThermalFilter() {
    // Bands from hottest to coldest: white-yellow-green-cyan-blue-purple-black.
    for (int i = 0; i < 256; ++i) {
        int r = 0, g = 0, b = 0;
        if (i >= 214) {
            r = 255, g = 6 * (255 - i), b = 0;
        } else if (i >= 172) {
            r = 255 - 6 * (213 - i), g = 255, b = 0;
        } else if (i >= 130) {
            r = 0, g = 255, b = 6 * (171 - i);
        } else if (i >= 88) {
            r = 0, g = 255 - 6 * (129 - i), b = 255;
        } else if (i >= 46) {
            r = 87 - i, g = 0, b = 255;
        } else if (i >= 14) {
            r = 25 + i, g = 0, b = 255 - 6 * (45 - i);
        }
        mapr[i] = uint8_t(r);
        mapg[i] = uint8_t(g);
        mapb[i] = uint8_t(b);
    }
}

void ThermalFilter::apply(const uint8_t* in, uint8_t* out, uint32_t, uint32_t) const {
    const uint32_t a = (uint32_t(in[0]) + in[1] + in[2]) / 3;
    out[2] = mapr[a];
    out[1] = mapg[a];
    out[0] = mapb[a];
}
