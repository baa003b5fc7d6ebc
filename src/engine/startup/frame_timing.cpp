#include "platform/windows/win32.h"

#include "engine/startup/frame_timing.h"

#include "core/engine_log.h"
#include "quaven/types.h"

namespace {

// Below this many milliseconds left the wait watches the clock instead of sleeping: a 1 ms
// sleep may take longer.
const int32_t kSleepMargin = 2;

}  // namespace

FrameDelta QVI_DetermineFrameTimeDelta(int32_t elapsedMs, bool developerMode)
{
    FrameDelta frame = {};
    frame.delta = static_cast<float>(elapsedMs) * 0.001f;
    if (frame.delta > kMaximumFrameDelta) {
        frame.delta = kStallFrameDelta;
    } else if (frame.delta < 0.0f) {
        if (developerMode && qv->LogEx)
            qv->LogEx(QV_LOG_WARNING, "Found negative time delta in QVI_DetermineFrameTimeDelta: %g",
                      static_cast<double>(frame.delta));
        frame.delta = kNegativeFrameDelta;
    }
    frame.milliseconds = static_cast<int32_t>(frame.delta * 1000.0f);
    frame.seconds = static_cast<float>(frame.milliseconds) * 0.001f;
    return frame;
}

int32_t QVI_WaitForFramePeriod(uint32_t* lastFrameTime, const int32_t* frameTimeMs, FrameClock clock,
                               FrameSleep sleep)
{
    if (!lastFrameTime || !frameTimeMs || !clock || !sleep)
        return 0;
    if (*lastFrameTime == 0)
        *lastFrameTime = clock();
    uint32_t now;
    int32_t elapsed;
    do {
        now = clock();
        elapsed = static_cast<int32_t>(now - *lastFrameTime);
        if (elapsed < *frameTimeMs - kSleepMargin)
            sleep(1);
    } while (elapsed < *frameTimeMs);
    *lastFrameTime = now;
    return elapsed;
}
