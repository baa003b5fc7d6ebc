// What the engine draws over the finished scene for its developers: the frame rate, and in
// developer mode the memory overlay (F2), the frame-time graph (F3), the resource listing
// and reloading (F4, F5) and the information panel (F6 or the feature SHOW_INFO); then the
// console, in every mode.
#include "engine/overlays.h"

#include <cstdarg>
#include <cstdio>

#include "console/console.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "engine/memory_statistics.h"
#include "engine/overlay_drawing.h"
#include "engine/program/program_library.h"
#include "engine/startup/device_info.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/renderer/shader_record.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/resolution_selection.h"
#include "graphics/setup/screen_state.h"
#include "graphics/shaders/shader_pool.h"
#include "sound/interface/sound_record.h"
#include "sound/sound_api.h"
#include "text/fonts/font_pool.h"
#include "text/fonts/font_record.h"

namespace {

// Windows virtual-key numbers of the developer keys.
const uint32_t kKeyF1 = 112, kKeyF2 = 113, kKeyF3 = 114, kKeyF4 = 115, kKeyF5 = 116, kKeyF6 = 117, kKeyF8 = 119;
const uint32_t kKeyMouseX = 504, kKeyMouseY = 505;

const float kFrameRateWindow = 1.5f;
// The frame-time graph: its ring, its margin on the screen and the frame time drawn at
// its full height of 100 pixels.
const int32_t kRingSize = 2048;
const int32_t kGraphMargin = 20;
const float kGraphScale = 0.1f;
const float kGraphHeight = 100.0f;
// The information panel.
const float kColumnWidth = 200.0f;
const float kPanelHeight = 210.0f;
const float kGrey = 0.7f;
const float kPanelAlpha = 0.8f;

int32_t g_frameCounter = 0;
float g_countedTime = 0.0f;
float g_frameRate = 0.0f;
float g_frameTimes[kRingSize];
int32_t g_ringIndex = 0;

bool Held(uint32_t key)
{
    return qv->GetKey(key) != 0;
}

void CountFrame(float seconds)
{
    ++g_frameCounter;
    g_countedTime += static_cast<float>(static_cast<int32_t>(seconds * 1000.0f)) * 0.001f;
    if (g_countedTime > kFrameRateWindow) {
        g_frameRate = static_cast<float>(g_frameCounter) / g_countedTime;
        g_frameCounter = 0;
        g_countedTime = 0.0f;
    }
}

void DrawAt(Font* font, float x, float y, const char* format, ...) __attribute__((format(printf, 4, 5)));

// DrawText takes its arguments as given; the overlay's texts are formatted here first.
void DrawAt(Font* font, float x, float y, const char* format, ...)
{
    if (!font)
        return;
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    qv->DrawText(font, &x, &y, "%s", text);
}

void DrawFrameRateBox()
{
    Font* font = overlay::FirstFont();
    overlay::Colour(0.0f, 0.0f, 0.0f);
    overlay::Alpha(kPanelAlpha);
    const float width = font ? qv->GetTextWidth(font, "%.0f", static_cast<double>(g_frameRate)) : 0.0f;
    const float height = font ? static_cast<float>(font->height) : 0.0f;
    overlay::Rectangle(1.0f, 1.0f, width + 2.0f, height + 2.0f);
    overlay::Colour(1.0f, 1.0f, 1.0f);
    overlay::Alpha(1.0f);
    qv->graphics->SetBlendMode(QV_BLEND_ALPHA);
    overlay::TextScale(1.0f, 1.0f);
    DrawAt(font, 2.0f, 2.0f, "%.0f", static_cast<double>(g_frameRate));
}

// Recent frame times as a line over a black box; too narrow a window has no room for it.
void DrawFrameTimeGraph(float seconds)
{
    int32_t n = g_rendererSetup.video.width - kGraphMargin;
    if (n > kRingSize)
        n = kRingSize;
    if (n <= 0)
        return;
    g_ringIndex %= n;
    g_frameTimes[g_ringIndex] = seconds;
    const float bottom = 10.0f + kGraphHeight;
    const float pixelsPerSecond = kGraphHeight / kGraphScale;
    overlay::Alpha(kPanelAlpha);
    overlay::Colour(0.0f, 0.0f, 0.0f);
    overlay::Rectangle(10.0f, 10.0f, static_cast<float>(n), kGraphHeight);
    overlay::Colour(0.0f, 1.0f, 0.0f);
    DrawAt(overlay::FirstFont(), 10.0f, 10.0f, "High: %dms", static_cast<int>(kGraphScale * 1000.0f));
    overlay::Alpha(0.5f);
    overlay::Colour(1.0f, 0.0f, 0.0f);
    const float mark = bottom - pixelsPerSecond / 30.0f;
    overlay::Line(10.0f, mark, static_cast<float>(n) + 10.0f, mark);
    overlay::Alpha(1.0f);
    overlay::Colour(0.0f, 1.0f, 0.0f);
    float previousX = 10.0f, previousY = bottom;
    for (int32_t i = 0; i < n; ++i) {
        const float x = static_cast<float>(i) + 10.0f;
        const float y = bottom - g_frameTimes[(g_ringIndex + i) % n] * pixelsPerSecond;
        overlay::Line(previousX, previousY, x, y);
        previousX = x, previousY = y;
    }
    g_ringIndex = (g_ringIndex + 1) % n;
}

int CountNamedBitmaps()
{
    int count = 0;
    for (int i = 0; i < QVI_GetPooledBitmapCount(); ++i) {
        const Bitmap* bitmap = QVI_GetPooledBitmap(i);
        count += bitmap && bitmap->header.name ? 1 : 0;
    }
    return count;
}

int CountNamedSounds()
{
    int count = 0;
    const Sound* records = QVI_GetSoundPoolRecords();
    for (int i = 0; records && i < QVI_GetSoundPoolUsedCount(); ++i)
        count += records[i].header.name ? 1 : 0;
    return count;
}

int CountNamedFonts()
{
    int count = 0;
    for (int i = 0; i < QVI_GetPooledFontCount(); ++i) {
        const Font* font = QVI_GetPooledFont(i);
        count += font && font->header.name ? 1 : 0;
    }
    return count;
}

int CountNamedShaders()
{
    int count = 0;
    for (int i = 0; i < g_shaderPool.highWater && i < kShaderPoolSize; ++i)
        count += g_shaderPool.records[i].name ? 1 : 0;
    return count;
}

// The panel's columns: a white heading, grey lines below it, a rule between columns.
class PanelWriter {
public:
    explicit PanelWriter(Font* font) : font_(font), spacing_(font ? static_cast<float>(font->lineSpacing) : 0.0f) {}

    void Heading(const char* text)
    {
        if (started_) {
            x_ += kColumnWidth;
            overlay::Rectangle(x_ - 15.0f, 5.0f, 1.0f, 200.0f);
            overlay::Colour(1.0f, 1.0f, 1.0f);
        }
        started_ = true;
        y_ = 5.0f;
        DrawAt(font_, x_, y_, "%s", text);
        overlay::Colour(kGrey, kGrey, kGrey);
    }

    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        y_ += spacing_;
        char text[256];
        va_list arguments;
        va_start(arguments, format);
        vsnprintf(text, sizeof text, format, arguments);
        va_end(arguments);
        DrawAt(font_, x_, y_, "%s", text);
    }

    void Blank() { y_ += spacing_; }

private:
    Font* font_;
    float spacing_;
    float x_ = 5.0f;
    float y_ = 5.0f;
    bool started_ = false;
};

void DrawInformationPanel()
{
    Font* font = qv->GetFont(kConsoleFontName);
    if (!font || font->height == 0)
        font = overlay::FirstFont();
    overlay::Colour(0.0f, 0.0f, 0.0f);
    overlay::Alpha(kPanelAlpha);
    overlay::Rectangle(0.0f, 0.0f, static_cast<float>(g_screenState.screenWidth), kPanelHeight);
    // The text keeps the panel's alpha.
    overlay::TextScale(1.0f, 1.0f);
    overlay::Colour(1.0f, 1.0f, 1.0f);

    PanelWriter panel(font);
    panel.Heading("Device Info:");
    panel.Line("Screen: %dx%d", g_screenState.screenWidth, g_screenState.screenHeight);
    panel.Line("Desktop: %dx%d", g_screenState.desktopWidth, g_screenState.desktopHeight);
    panel.Line("%s", g_screenState.fixedScreen ? "Fixed resolution" : "Free resolution");
    panel.Line("Orientation: %s", QVI_GetOrientationName(g_screenState.orientation));

    panel.Heading("Boot Settings:");
    panel.Line("Screen: %dx%d (%s)", g_selectedResolution.width, g_selectedResolution.height,
               g_selectedResolution.windowed ? "window" : "fullscreen");
    if (g_autoscaleActive) {
        panel.Line("%s", "Autoscaling");
        panel.Line("Scale X %.3f", static_cast<double>(g_autoscale.scaleX));
        panel.Line("Scale Y %.3f", static_cast<double>(g_autoscale.scaleY));
        panel.Line("Offset X %.3f", static_cast<double>(g_autoscale.offsetX));
        panel.Line("Offset Y %.3f", static_cast<double>(g_autoscale.offsetY));
    } else {
        panel.Line("%s", "Not autoscaling");
    }
    panel.Blank();
    if (g_autoscale.overlayZoom != 1.0f) {
        panel.Blank();
        panel.Line("%s", "Overlay Zoom");
        panel.Line("Zoom %.3f", static_cast<double>(g_autoscale.overlayZoom));
        panel.Line("Offset X %.3f", static_cast<double>(g_autoscale.zoomOffsetX));
        panel.Line("Offset Y %.3f", static_cast<double>(g_autoscale.zoomOffsetY));
    }

    const ProgramInterface* record = QVI_GetProgramRecord();
    panel.Heading("Program:");
    if (record) {
        panel.Line("Current size %dx%d", record->video.width, record->video.height);
        panel.Line("Ref size %dx%d", record->video.reference_width, record->video.reference_height);
        panel.Line("Validated size %dx%d", g_rendererSetup.video.width, g_rendererSetup.video.height);
        panel.Line("Title: %.*s", static_cast<int>(sizeof record->title), record->title);
        panel.Line("Version: %.*s", static_cast<int>(sizeof record->version), record->version);
    }

    panel.Heading("System:");
    panel.Line("Native platform: %s", QVI_GetPlatformName(g_deviceInfo.platform));
    panel.Line("Mouse %d, %d", static_cast<int>(qv->GetKey(kKeyMouseX)), static_cast<int>(qv->GetKey(kKeyMouseY)));

    panel.Heading("Resources:");
    panel.Line("Bitmaps: %d / %d", CountNamedBitmaps(), kBitmapPoolSize);
    panel.Line("Sounds: %d / %d", CountNamedSounds(), kSoundPoolSize);
    panel.Line("Fonts: %d / %d", CountNamedFonts(), kFontPoolSize);
    panel.Line("Shaders: %d / %d", CountNamedShaders(), kShaderPoolSize);
}

void DrawDeveloperKeys(float seconds)
{
    if (!QVI_GetMemoryOverlay())
        QVI_CreateMemoryOverlay();
    QVI_RefreshMemUsageEstimates();
    overlay::Colour(1.0f, 1.0f, 1.0f);
    overlay::Alpha(1.0f);
    qv->graphics->SetBlendMode(QV_BLEND_ALPHA);

    if (Held(kKeyF1))
        DrawAt(overlay::FirstFont(), 100.0f, 50.0f, "%.0f", static_cast<double>(g_frameRate));
    if (Held(kKeyF2))
        QVI_DrawMemoryOverlay();
    if (Held(kKeyF3))
        DrawFrameTimeGraph(seconds);
    if (qv->GetKey(kKeyF4) & 1)
        qv->PlatformCommand("ListResourceUsage", nullptr);
    if (qv->GetKey(kKeyF5) & 1)
        qv->PlatformCommand("Cache", "ReloadResources");
    const bool showInfo = QVI_HasToken(g_config.applicationFeatures, "SHOW_INFO") ||
                          QVI_HasToken(g_config.variantFeatures, "SHOW_INFO");
    if (Held(kKeyF6) || showInfo)
        DrawInformationPanel();
    // Read, so that its newly-pressed bit does not linger; no overlay uses it.
    qv->GetKey(kKeyF8);
}

}  // namespace

void QVI_DrawDeveloperInfo(float seconds)
{
    CountFrame(seconds);
    if (g_core.showFps)
        DrawFrameRateBox();
    if (g_core.developerMode)
        DrawDeveloperKeys(seconds);
    QVI_DrawConsole(seconds);
}
