// The memory overlay: samples of the engine's memory estimates kept as a short history and
// drawn as stacked bars (sound, GPU, system and vertex data) over a megabyte scale, with a
// legend of current and peak values. The estimates themselves come from the string command
// "RefreshMemUsageEstimates", which leaves them in the key-state words; this file only
// reads, keeps and shows them.
#include "engine/memory_statistics.h"

#include <cstdint>
#include <initializer_list>

#include "console/console.h"
#include "core/engine_log.h"
#include "engine/overlay_drawing.h"
#include "engine/program/program_library.h"
#include "text/fonts/font_pool.h"
#include "text/fonts/font_record.h"

namespace {

const uint32_t kSamplingInterval = 30;
// Samples equal to the new total that stop the recording: memory use is standing still.
const int32_t kStillSamples = 4;
const uint32_t kInitialScaleMaximum = 33554432;  // 32 MB
const uint32_t kScaleStep = 10485760;            // 10 MB
const int32_t kBarWidth = 2;
const int32_t kInitialPixelsPerStep = 10;
const int32_t kInitialGraphWidth = 800;
const int32_t kInitialGraphHeight = 600;
const int32_t kGraphMargin = 50;
const float kBytesPerMegabyte = 1048576.0f;

struct Rgb {
    float r, g, b;
};

const Rgb kTotalColour = {1.0f, 1.0f, 1.0f};
const Rgb kSystemColour = {0.3f, 0.3f, 0.9f};
const Rgb kGpuColour = {0.9f, 0.3f, 0.3f};
const Rgb kSoundColour = {0.3f, 0.9f, 0.3f};
const Rgb kVertexColour = {0.9f, 0.9f, 0.3f};

MemoryOverlay* g_memoryOverlay = nullptr;

void SetColour(const Rgb& colour)
{
    overlay::Colour(colour.r, colour.g, colour.b);
}

int32_t ReadEstimate(uint32_t code)
{
    return static_cast<int32_t>(qv->GetKey(code));
}

void Raise(int32_t* peak, int32_t value)
{
    if (value > *peak)
        *peak = value;
}

bool TotalStandsStill(const MemoryOverlay& o, int32_t total)
{
    if (o.total.count < kStillSamples)
        return false;
    for (int32_t i = o.total.count - kStillSamples; i < o.total.count; ++i) {
        if (o.total.data[i] != total)
            return false;
    }
    return true;
}

void DropOldestSample(MemoryOverlay* o)
{
    for (Array<int32_t>* history : {&o->total, &o->gpu, &o->system, &o->sound, &o->vertexData}) {
        if (history->count > 0)
            history->RemoveAt(0);
    }
}

Font* OverlayFont()
{
    if (qv->fileSystem && qv->fileSystem->FileExists && qv->fileSystem->FileExists(kConsoleFontName))
        return qv->GetFont(kConsoleFontName);
    // No font of its own: the first font the game has.
    return overlay::FirstFont();
}

void DrawLabels(MemoryOverlay* o)
{
    const float x = static_cast<float>(o->originX), y = static_cast<float>(o->originY);
    const float width = static_cast<float>(o->graphWidth), height = static_cast<float>(o->graphHeight);
    qv->graphics->SetBlendMode(QV_BLEND_ALPHA);
    overlay::Colour(0.0f, 0.0f, 0.0f);
    overlay::Alpha(0.6f);
    overlay::Rectangle(x, y, width, height);
    overlay::Colour(0.9f, 0.9f, 0.9f);
    overlay::Alpha(1.0f);
    overlay::Rectangle(x, y + height, width, 4.0f);

    overlay::TextAlignment(QV_TEXT_ALIGN_MIDDLE);
    overlay::TextScale(0.7f, 0.7f);
    const uint32_t steps = o->scaleMaximum / o->scaleStep;
    for (uint32_t k = 0; k < steps; ++k) {
        const float lineY = y + height - static_cast<float>(o->pixelsPerStep) * static_cast<float>(k);
        overlay::Colour(0.4f, 0.4f, 0.4f);
        overlay::Rectangle(x, lineY, width, 1.0f);
        const uint64_t megabytes = static_cast<uint64_t>(k) * o->scaleStep / 1048576u;
        if (megabytes == 0 || !o->font)
            continue;
        overlay::Colour(0.7f, 0.7f, 0.7f);
        const float labelX = x + 5.0f;
        qv->DrawText(o->font, &labelX, &lineY, "%d MB", static_cast<int>(megabytes));
    }
}

void DrawLayer(MemoryOverlay* o, const Array<int32_t>& history, const Rgb& colour)
{
    if (history.count < 2 || o->scaleStep == 0)
        return;
    const float pixelsPerByte = static_cast<float>(o->pixelsPerStep) / static_cast<float>(o->scaleStep);
    float spacing = static_cast<float>(o->graphWidth) / static_cast<float>(history.count);
    if (spacing > static_cast<float>(o->barWidth))
        spacing = static_cast<float>(o->barWidth);
    SetColour(colour);
    overlay::Alpha(1.0f);
    const float bottom = static_cast<float>(o->originY + o->graphHeight);
    for (int32_t i = 0; i < history.count && i < o->sums.count; ++i) {
        const float value = static_cast<float>(history.data[i]);
        const float sum = static_cast<float>(o->sums.data[i]);
        const float x = static_cast<float>(i) * spacing + static_cast<float>(o->originX + kGraphMargin);
        overlay::Rectangle(x, bottom - (sum + value) * pixelsPerByte, static_cast<float>(o->barWidth),
                           value * pixelsPerByte);
        o->sums.data[i] += history.data[i];
    }
}

void DrawLegendLine(Font* font, float x, float y, const Rgb& colour, const char* format, uint32_t code, int32_t peak)
{
    SetColour(colour);
    if (font)
        qv->DrawText(font, &x, &y, format, static_cast<float>(qv->GetKey(code)) / kBytesPerMegabyte,
                     static_cast<float>(peak) / kBytesPerMegabyte);
}

void DrawLegend(MemoryOverlay* o)
{
    overlay::TextScale(1.0f, 1.0f);
    overlay::TextAlignment(0);
    const float x = static_cast<float>(o->graphWidth) * 0.6f + kGraphMargin;
    const float y = static_cast<float>(o->graphHeight) * 0.4f + kGraphMargin;
    const float lineHeight = static_cast<float>((o->font ? o->font->height : 0) + 3);
    overlay::Colour(0.0f, 0.0f, 0.0f);
    overlay::Alpha(0.5f);
    overlay::Rectangle(x - 5.0f, y - 5.0f, 300.0f, (lineHeight + 1.0f) * 5.0f);
    overlay::Alpha(1.0f);
    DrawLegendLine(o->font, x, y, kSystemColour, "System mem %.1f MB (peak %.1f MB)", MEMORY_SYSTEM, o->peakSystem);
    DrawLegendLine(o->font, x, y + lineHeight, kGpuColour, "GPU %.1f MB (peak %.1f MB)", MEMORY_GPU, o->peakGpu);
    DrawLegendLine(o->font, x, y + 2 * lineHeight, kSoundColour, "Sound %.1f MB (peak %.1f MB)", MEMORY_SOUND,
                   o->peakSound);
    DrawLegendLine(o->font, x, y + 3 * lineHeight, kVertexColour, "Vertex data %.1f MB (peak %.1f MB)",
                   MEMORY_VERTEX_DATA, o->peakVertexData);
    DrawLegendLine(o->font, x, y + 5 * lineHeight, kTotalColour, "Total %.1f MB (peak %.1f MB)", MEMORY_TOTAL,
                   o->peakTotal);
}

}  // namespace

MemoryOverlay* QVI_GetMemoryOverlay()
{
    return g_memoryOverlay;
}

MemoryOverlay* QVI_CreateMemoryOverlay()
{
    if (g_memoryOverlay)
        return g_memoryOverlay;
    MemoryOverlay* o = new MemoryOverlay();
    o->sums.autoShrink = false;
    o->scaleMaximum = kInitialScaleMaximum;
    o->barWidth = kBarWidth;
    o->pixelsPerStep = kInitialPixelsPerStep;
    o->graphWidth = kInitialGraphWidth;
    o->graphHeight = kInitialGraphHeight;
    o->scaleStep = kScaleStep;
    g_memoryOverlay = o;
    return o;
}

void QVI_RefreshMemUsageEstimates()
{
    MemoryOverlay* o = g_memoryOverlay;
    if (!o)
        return;
    ++o->calls;
    if (o->calls % kSamplingInterval != 0)
        return;
    qv->PlatformCommand("RefreshMemUsageEstimates", "");
    const int32_t total = ReadEstimate(MEMORY_TOTAL);
    const int32_t gpu = ReadEstimate(MEMORY_GPU);
    const int32_t system = ReadEstimate(MEMORY_SYSTEM);
    const int32_t sound = ReadEstimate(MEMORY_SOUND);
    const int32_t vertexData = ReadEstimate(MEMORY_VERTEX_DATA);
    if (TotalStandsStill(*o, total))
        return;

    o->total.Add(total);
    o->gpu.Add(gpu);
    o->system.Add(system);
    o->sound.Add(sound);
    o->vertexData.Add(vertexData);
    Raise(&o->peakTotal, total);
    Raise(&o->peakGpu, gpu);
    Raise(&o->peakSystem, system);
    Raise(&o->peakSound, sound);
    Raise(&o->peakVertexData, vertexData);
    if (static_cast<float>(o->graphWidth) * 0.75f < static_cast<float>(o->barWidth * o->total.count))
        DropOldestSample(o);
}

void QVI_DrawMemoryOverlay()
{
    MemoryOverlay* o = g_memoryOverlay;
    const ProgramInterface* record = QVI_GetProgramRecord();
    if (!o || !record)
        return;
    if (!o->font)
        o->font = OverlayFont();
    o->originX = o->originY = kGraphMargin;
    o->graphWidth = record->video.width - 2 * kGraphMargin;
    o->graphHeight = record->video.height - 2 * kGraphMargin;
    o->pixelsPerStep = o->graphHeight / static_cast<int32_t>(o->scaleMaximum / o->scaleStep);
    if (o->pixelsPerStep < 2)
        o->pixelsPerStep = 2;
    for (int32_t i = 0; i < o->total.count; ++i) {
        // The scale stops short of wrapping around.
        const bool room = o->scaleMaximum <= UINT32_MAX - 2 * o->scaleStep;
        if (static_cast<uint32_t>(o->total.data[i]) > o->scaleMaximum && room)
            o->scaleMaximum += 2 * o->scaleStep;
    }

    DrawLabels(o);
    o->sums.count = 0;
    for (int32_t i = 0; i < o->total.count; ++i)
        o->sums.Add(0);
    DrawLayer(o, o->sound, kSoundColour);
    DrawLayer(o, o->gpu, kGpuColour);
    DrawLayer(o, o->system, kSystemColour);
    DrawLayer(o, o->vertexData, kVertexColour);
    DrawLegend(o);
}
