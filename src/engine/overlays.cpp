// The program's canvas on the screen: the frame's base world transform, the black bands
// that hide drawing outside the canvas, and the way back from window pixels to canvas
// coordinates for the mouse. Also the developer's debug overlays drawn over the program:
// the sound channels, the screen notch and the frame-time test pattern.
#include "engine/overlays.h"

#include <cmath>
#include <utility>

#include "console/console.h"
#include "core/array.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "engine/overlay_drawing.h"
#include "engine/program/program_library.h"
#include "graphics/graphics_frame.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/screen_state.h"
#include "sound/interface/sound_record.h"
#include "sound/sound_api.h"

namespace {

// The overlay zoom counts as none this close to 1.
const float kZoomTolerance = 1e-6f;
const double kDegreesToRadians = 3.14159265358979323846 / 180.0;

// The sound-channel list.
const float kChannelListScale = 0.75f;
const float kChannelLineHeight = 30.0f;

// The screen notch of some phones, as a share of the screen's long and short sides.
const float kNotchLength = 0.5573f;
const float kNotchDepth = 0.0369f;

// The frame-time test: pixels per second of frame time, the pattern's period and its
// square.
const float kTestPixelsPerSecond = 3000.0f;
const double kTestPeriodSeconds = 3.0;
const float kTestSquareSide = 23.0f;

Array<float> g_timeDeltaHistory;
double g_timeDeltaClock = 0.0;

Matrix4 Translation(float x, float y)
{
    Matrix4 m;
    m.SetIdentity();
    m.m[3] = x;
    m.m[7] = y;
    return m;
}

// m = m x factor.
void MultiplyOnto(Matrix4* m, const Matrix4& factor)
{
    Matrix4 product;
    Matrix4::Multiply(&product, m, &factor);
    *m = product;
}

const VideoParameters* ProgramVideo()
{
    const ProgramInterface* record = QVI_GetProgramRecord();
    return record ? &record->video : nullptr;
}

void DrawSoundChannels()
{
    const int32_t used = QVI_GetSoundChannelsUsed();
    if (used <= 0)
        return;
    QVI_SweepSoundChannels();
    Font* font = qv->GetFont(kConsoleFontName);
    QVI_ResetDrawingState();
    const float x = 50.0f, y = 10.0f;
    qv->DrawText(font, &x, &y, "%d / %d", static_cast<int>(QVI_GetSoundChannelsUsed()), kSoundChannelCount);
    QVI_ResetDrawingState();
    overlay::TextMaxWidth(0.0f);
    overlay::TextScale(kChannelListScale, kChannelListScale);
    const SoundChannel* channels = QVI_GetSoundChannels();
    const int32_t remaining = QVI_GetSoundChannelsUsed();
    for (int32_t i = 0; i < remaining; ++i) {
        const SoundChannel& channel = channels[i];
        if (channel.id == 0)
            continue;
        const float lineY = 50.0f + static_cast<float>(i) * kChannelListScale * kChannelLineHeight;
        const char* name = channel.sound && channel.sound->header.name ? channel.sound->header.name : "-";
        qv->DrawText(font, &x, &lineY, "#%d - '%s'", static_cast<int>(channel.id), name);
    }
}

void DrawNotch()
{
    overlay::Colour(0.0f, 0.0f, 0.0f);
    const float w = static_cast<float>(g_rendererSetup.video.width);
    const float h = static_cast<float>(g_rendererSetup.video.height);
    if (w > h)
        overlay::Rectangle(0.0f, (h - kNotchLength * h) / 2.0f, kNotchDepth * w, kNotchLength * h);
    else
        overlay::Rectangle((w - kNotchLength * w) / 2.0f, 0.0f, kNotchLength * w, kNotchDepth * h);
    overlay::Colour(1.0f, 1.0f, 1.0f);
}

// Newest first; never longer than the canvas is wide.
void RememberTimeDelta(float seconds, int32_t programWidth)
{
    g_timeDeltaHistory.Add(seconds);
    for (int32_t i = g_timeDeltaHistory.count - 1; i > 0; --i)
        g_timeDeltaHistory.data[i] = g_timeDeltaHistory.data[i - 1];
    g_timeDeltaHistory.data[0] = seconds;
    g_timeDeltaHistory.autoShrink = false;
    if (g_timeDeltaHistory.count > programWidth && g_timeDeltaHistory.count > 0)
        g_timeDeltaHistory.RemoveLast();
}

bool Zoomed()
{
    return std::fabs(g_autoscale.overlayZoom - 1.0f) >= kZoomTolerance;
}

// Window pixels to canvas coordinates: the base transform undone, autoscaling first, then
// the overlay zoom. Every step keeps whole numbers.
void MapWindowToProgram(int* x, int* y)
{
    if (!x || !y)
        return;
    if (g_autoscaleActive) {
        *x = QVI_TruncateToInt((static_cast<float>(*x) - g_autoscale.offsetX) * g_autoscale.inverseScaleX);
        *y = QVI_TruncateToInt((static_cast<float>(*y) - g_autoscale.offsetY) * g_autoscale.inverseScaleY);
    }
    if (Zoomed()) {
        const float zoom = g_autoscale.overlayZoom;
        *x = QVI_TruncateToInt(static_cast<float>(*x - g_autoscale.zoomOffsetX) / zoom);
        *y = QVI_TruncateToInt(static_cast<float>(*y - g_autoscale.zoomOffsetY) / zoom);
    }
}

}  // namespace

void QVI_InstallWindowToProgramMapping()
{
    QVI_SetCoordinateMapping(MapWindowToProgram);
}

void QVI_SetupFrameTransforms()
{
    const VideoParameters* program = ProgramVideo();
    if (!program)
        return;
    const float zoom = g_autoscale.overlayZoom;
    float a = zoom * g_autoscale.scaleX;
    float b = g_autoscale.scaleY * zoom;
    const int natural = program->reference_width > program->reference_height ? ORIENTATION_LANDSCAPE_LEFT
                                                                             : ORIENTATION_PORTRAIT;
    const bool turned = g_screenState.orientation != natural;
    if (g_autoscaleActive && turned)
        std::swap(a, b);

    Matrix4 m = Translation(static_cast<float>(g_screenState.screenWidth) / 2.0f,
                            static_cast<float>(g_screenState.screenHeight) / 2.0f);
    if (g_autoscaleActive || zoom != 1.0f) {
        Matrix4 scale;
        scale.SetIdentity();
        scale.m[0] = a;
        scale.m[5] = b;
        MultiplyOnto(&m, scale);
    }
    if (g_screenState.fixedScreen && turned) {
        const float t = static_cast<float>(static_cast<double>(g_core.rotationDegrees) * kDegreesToRadians);
        Matrix4 rotation;
        rotation.SetIdentity();
        rotation.m[0] = std::cos(t);
        rotation.m[1] = -std::sin(t);
        rotation.m[4] = std::sin(t);
        rotation.m[5] = std::cos(t);
        MultiplyOnto(&m, rotation);
    }
    MultiplyOnto(&m, Translation(-static_cast<float>(program->width) / 2.0f,
                                 -static_cast<float>(program->height) / 2.0f));
    qv->graphics->PushWorldTransform(&m);
}

void QVI_DrawFrameBorders()
{
    const VideoParameters* program = ProgramVideo();
    if (!program)
        return;
    const float w = static_cast<float>(program->width);
    const float h = static_cast<float>(program->height);
    const bool turning = g_orientation.current != g_orientation.target;
    const bool sideBars = g_autoscale.offsetX > 0.0f || turning;
    const bool topAndBottomBars = g_autoscale.offsetY > 0.0f || turning;

    const float zoom = g_autoscale.overlayZoom;
    if (zoom < 1.0f && zoom > 0.0f) {
        const float k = 1.0f / zoom;
        const float offsetX = static_cast<float>(g_autoscale.zoomOffsetX);
        const float offsetY = static_cast<float>(g_autoscale.zoomOffsetY);
        const float x0 = -offsetX * k, y0 = -offsetY * k, width = w * k, height = h * k;
        overlay::Alpha(1.0f);
        overlay::Colour(0.0f, 0.0f, 0.0f);
        qv->graphics->SetBlendMode(QV_BLEND_ALPHA);
        overlay::Rectangle(x0, y0 - 2.0f, width, offsetY / zoom + 2.0f);
        overlay::Rectangle(x0, h, width, offsetY / zoom + 2.0f);
        overlay::Rectangle(x0 - 2.0f, y0, offsetX / zoom + 2.0f, height);
        overlay::Rectangle(w, y0, offsetX / zoom + 2.0f, height);
    }
    if (!sideBars && !topAndBottomBars)
        return;
    overlay::Alpha(1.0f);
    overlay::Colour(0.0f, 0.0f, 0.0f);
    qv->graphics->SetBlendMode(QV_BLEND_ALPHA);
    if (topAndBottomBars) {
        overlay::Rectangle(-w, h, 3.0f * w, h);
        overlay::Rectangle(-w, -h, 3.0f * w, h);
    }
    if (sideBars) {
        overlay::Rectangle(w, -1.0f, w, h + 2.0f);
        overlay::Rectangle(-w, -1.0f, w, h + 2.0f);
    }
    overlay::Colour(1.0f, 1.0f, 1.0f);
}

void QVI_DrawDebugOverlays()
{
    if (!g_core.developerMode)
        return;
    if (qv->HasFeature("DRAW_SOUND_CHANNELS"))
        DrawSoundChannels();
    if (qv->HasFeature("DRAW_NOTCH"))
        DrawNotch();
}

void QVI_DrawTimeDeltaTest(float* seconds)
{
    const VideoParameters* program = ProgramVideo();
    if (!program || !seconds)
        return;
    const float dt = *seconds;
    g_timeDeltaClock += dt;
    if (g_timeDeltaClock > kTestPeriodSeconds)
        g_timeDeltaClock = 0.0;
    RememberTimeDelta(dt, program->width);

    QVI_ResetDrawingState();
    overlay::Alpha(0.8f);
    for (int32_t i = 0; i < g_timeDeltaHistory.count; ++i)
        overlay::Rectangle(static_cast<float>(i), 5.0f, 1.0f, g_timeDeltaHistory.data[i] * kTestPixelsPerSecond);

    const float w = static_cast<float>(program->width);
    const float h = static_cast<float>(program->height);
    overlay::Colour(0.0f, 1.0f, 0.0f);
    overlay::Rectangle(0.0f, 5.0f + (1.0f / 30.0f) * kTestPixelsPerSecond, w, 1.0f);
    overlay::Rectangle(0.0f, 5.0f + (1.0f / 60.0f) * kTestPixelsPerSecond, w, 1.0f);
    const float squareX = static_cast<float>(w * g_timeDeltaClock / kTestPeriodSeconds);
    overlay::Rectangle(squareX, h * 0.75f, kTestSquareSide, kTestSquareSide);
}
