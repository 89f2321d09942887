// A painted frame's files: the layer information (a keyed archive of the
// layer list and the active layer) and a layer's stroke buffer (a keyed
// archive of strokes), both read whenever the painter opens a frame, also
// one that came in an imported project. Each input goes through both.

#include "FuzzTarget.h"

#include "app/painter/PainterLayerManager.h"
#include "app/painter/Stroke.h"

TOLLIVAR_FUZZ_TARGET(painter_layer) {
    const foundation::Bytes input = fuzzing::bytes(data, size);
    (void)decodeLayerStack(input);
    if (auto strokes = decodeStrokeBuffer(input); strokes.ok()) {
        for (const StrokePtr& stroke : *strokes) {
            (void)stroke->sampleCount();
            if (stroke->isMoveRecord()) (void)stroke->moveDisplacement();
        }
        // What was read is stored again as the painter saves it.
        (void)strokeBufferData(*strokes);
    }
    return 0;
}
