// Drawing laid-out text: the shader for the font (distance-field smoothing set for the size
// on screen), alignment, rotation and scale about the start point, inline tags, and one
// quad of the font's atlas per glyph through the batch renderer.
#include "text/layout/text_layout.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/threads.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/drawing/render_state.h"
#include "graphics/renderer/shader_record.h"
#include "quaven/api.h"
#include "quaven/text.h"

namespace {

const float kDegreesToRadians = 0.0055555557f * 3.1415927f;
// Smaller smoothing would divide by zero in the distance-field shader.
const float kSmallestSmoothing = 1e-5f;

// The shader bound before the current text started: inline images draw with it, and it is
// bound again when the text ends. Drawing runs on one thread at a time (the main thread).
Shader* s_previousTextShader = nullptr;

// One text being drawn: where it starts, how it is transformed, and the line metrics.
struct TextRun {
    Font* font;
    float x, y;           // the start point after the baseline nudge
    float sx, sy;         // font scale x text scale
    float angle;
    bool transformed;
    float matrix[4];      // row-major 2 x 2 about origin
    float origin[2];
    float advance;        // line advance in font pixels
    float fontScale;
};

TextRun StartRun(Font* font, float x, float y, bool lowerForBitmapFont)
{
    TextRun run = {};
    run.font = font;
    float scaleX, scaleY;
    QVI_GetTextScale(&scaleX, &scaleY);
    run.fontScale = QVI_FontScale(font);
    run.sx = run.fontScale * scaleX;
    run.sy = run.fontScale * scaleY;
    if (lowerForBitmapFont && !(font->spread > 0.0f))
        y -= 2.0f * scaleY;
    run.x = x, run.y = y;
    const float angle = QVI_GetThreadLocalState()->angle;
    run.angle = std::isfinite(angle) ? angle : 0.0f;
    run.transformed = run.angle != 0.0f || std::fabs(run.sx - 1.0f) > 0.0001f || std::fabs(run.sy - 1.0f) > 0.0001f;
    const float c = std::cos(run.angle), s = std::sin(run.angle);
    run.matrix[0] = c * run.sx, run.matrix[1] = -s * run.sy;
    run.matrix[2] = s * run.sx, run.matrix[3] = c * run.sy;
    run.origin[0] = x, run.origin[1] = y;
    run.advance = static_cast<float>(font->lineSpacing) / run.fontScale;
    return run;
}

// The first line's top after vertical alignment.
float FirstLineTop(const TextRun& run, int lines)
{
    const uint32_t alignment = QVI_GetThreadLocalState()->alignment;
    if (alignment & QV_TEXT_ALIGN_BOTTOM)
        return run.y - lines * run.advance;
    if (alignment & QV_TEXT_ALIGN_MIDDLE)
        return run.y - std::trunc(lines * run.advance * 0.5f);
    return run.y;
}

float LineStart(const TextRun& run, int32_t width)
{
    const uint32_t alignment = QVI_GetThreadLocalState()->alignment;
    if (alignment & QV_TEXT_ALIGN_RIGHT)
        return run.x - width;
    if (alignment & QV_TEXT_ALIGN_CENTER)
        return run.x - width * 0.5f;
    return run.x;
}

// An axis-aligned glyph quad in the current colour, whatever its alpha.
inline void AddVisibleGlyphQuad(Bitmap* image, float x, float y)
{
    const float w = static_cast<float>(image->width), h = static_cast<float>(image->height);
    const BitmapHardwareData& t = image->hardware;
    g_batchQuad[0].x = x, g_batchQuad[0].y = y, g_batchQuad[0].u = t.left, g_batchQuad[0].v = t.top;
    g_batchQuad[1].x = x + w, g_batchQuad[1].y = y, g_batchQuad[1].u = t.right, g_batchQuad[1].v = t.top;
    g_batchQuad[2].x = x, g_batchQuad[2].y = y + h, g_batchQuad[2].u = t.left, g_batchQuad[2].v = t.bottom;
    g_batchQuad[3].x = x + w, g_batchQuad[3].y = y + h, g_batchQuad[3].u = t.right, g_batchQuad[3].v = t.bottom;
    BatchRenderer::AddQuad(image, g_batchQuad);
}

// Whether axis-aligned glyphs show at all: the alpha changes only through a text's tags, so
// it is read at the start and after each tag rather than for every glyph.
bool GlyphsVisible()
{
    return qv->graphics->GetAlpha() > 0.0f;
}

inline void DrawGlyph(const TextRun& run, FontGlyph* glyph, float pen, float lineTop, bool visible)
{
    if (glyph->image.width <= 0)
        return;
    const float x = pen + glyph->offsetX, y = lineTop + glyph->offsetY;
    if (run.transformed)
        QVI_AddRotatedGlyphQuad(&glyph->image, run.matrix, run.origin, x, y);
    else if (visible)
        AddVisibleGlyphQuad(&glyph->image, x, y);
}

void SetColour(const float colour[4], bool alpha)
{
    float c[4];
    for (int i = 0; i < 4; ++i)
        c[i] = colour[i] > 1.0f ? 1.0f : (colour[i] > 0.0f ? colour[i] : 0.0f);
    qv->graphics->SetColor(&c[0], &c[1], &c[2]);
    if (alpha)
        qv->graphics->SetAlpha(&c[3]);
}

// A colour tag: an optional '#', six hex digits and, unless the tag closes after them, two
// more for alpha. Fewer than six digits leave the colour as it is.
void ApplyColourTag(const char* tag)
{
    const char* hex = tag[0] == '#' ? tag + 1 : tag;
    for (int i = 0; i < 6; ++i) {
        if (!isxdigit(static_cast<unsigned char>(hex[i])))
            return;
    }
    const bool alpha = hex[6] != '|' && isxdigit(static_cast<unsigned char>(hex[6])) &&
                       isxdigit(static_cast<unsigned char>(hex[7]));
    const float colour[4] = {QVI_ParseHexByte(hex[0], hex[1]) / 255.0f, QVI_ParseHexByte(hex[2], hex[3]) / 255.0f,
                             QVI_ParseHexByte(hex[4], hex[5]) / 255.0f,
                             alpha ? QVI_ParseHexByte(hex[6], hex[7]) / 255.0f : 1.0f};
    SetColour(colour, alpha);
}

// An inline image centred on its place in the line, in the tag's colour and shader.
void DrawImageTag(const TextRun& run, const char* tag, float* pen, float lineTop)
{
    int offset = 0;
    float angle = 0.0f, scale = 1.0f, colour[4];
    Shader* shader = nullptr;
    Bitmap* image = QVI_ParseTextTag(tag, &offset, &angle, &scale, colour, &shader);
    if (!image)
        return;
    scale /= run.fontScale;
    Shader* before = g_batch.currentShader;
    BatchRenderer::SetShader(shader ? shader : s_previousTextShader);
    const Color savedColour = qv->graphics->GetColor();
    SetColour(colour, true);
    float cx = *pen + image->width * scale * 0.5f;
    // Only images need it: in a UTF-8 font finding 'a' is a scan of every glyph.
    float cy = lineTop + std::trunc(QVI_GetTextCenterOffset(run.font) + offset);
    float drawnScale = scale;
    if (run.transformed) {
        const float dx = cx - run.origin[0], dy = cy - run.origin[1];
        cx = run.origin[0] + run.matrix[0] * dx + run.matrix[1] * dy;
        cy = run.origin[1] + run.matrix[2] * dx + run.matrix[3] * dy;
        angle += run.angle;
        drawnScale *= run.sx < run.sy ? run.sx : run.sy;
    }
    qv->graphics->DrawBitmapRotated(image, &cx, &cy, &angle, &drawnScale);
    *pen += image->width * scale;
    const float restored[4] = {savedColour.r, savedColour.g, savedColour.b, savedColour.a};
    qv->graphics->SetColor(&restored[0], &restored[1], &restored[2]);
    qv->graphics->SetAlpha(&restored[3]);
    BatchRenderer::SetShader(before);
}

// A tag's effect on the drawing; tag is its text after the opening '|'.
void HandleTag(const TextRun& run, const char* tag, float* pen, float lineTop, uint32_t* prev, bool utf8)
{
    if (strncmp(tag, "shader", 6) == 0) {
        Shader* shader = nullptr;
        QVI_ParseTextTag(tag, nullptr, nullptr, nullptr, nullptr, &shader);
        BatchRenderer::SetShader(shader);
    } else if (tag[0] == 'i' || tag[0] == 'I') {
        DrawImageTag(run, tag, pen, lineTop);
        *prev = 0;
    } else if (strncmp(tag, "scale", 5) == 0) {
        // LATIN-1 breaking has reported it already.
        if (utf8 && g_core.developerMode)
            QVI_ReportPopup(QV_LOG_WARNING, "|scale=x| tag is deprecated. Remove all references to it.");
    } else {
        ApplyColourTag(tag);
    }
}

// Sets the distance-field shader's smoothing for the size one font pixel has on screen.
void SetSmoothing(Shader* shader, Font* font)
{
    if (!shader || shader->pixelConstants.count < 1 || shader->pixelConstants.size < 16)
        return;
    float scaleX, scaleY;
    QVI_GetTextScale(&scaleX, &scaleY);
    const float depth = qv->graphics->GetDepth();
    const float a[3] = {0.0f, 0.0f, depth}, b[3] = {0.0f, 1.0f, depth};
    float p0[3], p1[3];
    QVI_ProjectToScreen(p0, a);
    QVI_ProjectToScreen(p1, b);
    const float d = std::sqrt((p1[0] - p0[0]) * (p1[0] - p0[0]) + (p1[1] - p0[1]) * (p1[1] - p0[1]) +
                              (p1[2] - p0[2]) * (p1[2] - p0[2]));
    const float m = scaleX > scaleY ? scaleX : scaleY;
    const float divisor = d * m * QVI_FontScale(font) * font->spread;
    // A transform that collapses the text leaves the smoothing as it was.
    if (!(divisor > 0.0f) || !std::isfinite(divisor))
        return;
    float value = font->smoothing / divisor;
    if (!(value >= kSmallestSmoothing))
        value = kSmallestSmoothing;
    const float* current = static_cast<const float*>(qv->graphics->GetShaderPixelConstant(shader, 0));
    if (!current || current[0] == value)
        return;
    const float constant[4] = {value, current[1], current[2], current[3]};
    qv->graphics->SetShaderPixelConstant(shader, 0, 0, constant);
}

}  // namespace

int QVI_ParseHexByte(char high, char low)
{
    auto digit = [](char c) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return 0;
    };
    return 16 * digit(high) + digit(low);
}

float QVI_GetTextCenterOffset(Font* font)
{
    if (!font || !font->glyphs || font->glyphCount <= 0)
        return 0.0f;
    const FontGlyph* glyph = nullptr;
    if (!font->isUTF8) {
        glyph = QVI_LatinGlyph(font, 'a');
    } else {
        for (int i = 0; i < font->glyphCount && !glyph; ++i) {
            if (font->glyphs[i].codePoint == 'a')
                glyph = &font->glyphs[i];
        }
    }
    if (!glyph)
        glyph = &font->glyphs[font->glyphCount / 2];
    float offset = (glyph->offsetY + glyph->image.height) * 0.5f;
    if (!(font->spread > 0.0f))
        offset += 3.0f / QVI_FontScale(font);
    return offset;
}

void QVI_ProjectToScreen(float out[3], const float point[3])
{
    const Matrix4 m = QVI_GetWorldViewProjectionTransform();
    float c[4];
    for (int row = 0; row < 4; ++row)
        c[row] = m.m[row * 4] * point[0] + m.m[row * 4 + 1] * point[1] + m.m[row * 4 + 2] * point[2] + m.m[row * 4 + 3];
    int width = 0, height = 0;
    qv->graphics->GetViewportSize(&width, &height);
    if (c[3] == 0.0f) {
        out[0] = out[1] = out[2] = 0.0f;
        return;
    }
    out[0] = (c[0] / c[3] + 1.0f) * 0.5f * width;
    out[1] = (0.5f - c[1] / c[3] * 0.5f) * height;
    out[2] = c[2];
}

void QVI_AddGlyphQuad(Bitmap* image, float x, float y)
{
    if (image && GlyphsVisible())
        AddVisibleGlyphQuad(image, x, y);
}

void QVI_AddRotatedGlyphQuad(Bitmap* image, const float matrix[4], const float origin[2], float x, float y)
{
    if (!image || !matrix || !origin)
        return;
    const float w = static_cast<float>(image->width), h = static_cast<float>(image->height);
    const float corners[4][2] = {{x, y}, {x + w, y}, {x, y + h}, {x + w, y + h}};
    const BitmapHardwareData& t = image->hardware;
    const float uv[4][2] = {{t.left, t.top}, {t.right, t.top}, {t.left, t.bottom}, {t.right, t.bottom}};
    for (int i = 0; i < 4; ++i) {
        const float dx = corners[i][0] - origin[0], dy = corners[i][1] - origin[1];
        g_batchQuad[i].x = origin[0] + matrix[0] * dx + matrix[1] * dy;
        g_batchQuad[i].y = origin[1] + matrix[2] * dx + matrix[3] * dy;
        g_batchQuad[i].u = uv[i][0], g_batchQuad[i].v = uv[i][1];
    }
    BatchRenderer::AddQuad(image, g_batchQuad);
}

namespace {

const char* TagEnd(const char* tag)
{
    return QVI_FindTagEnd(tag);
}

const uint32_t* TagEnd(const uint32_t* tag)
{
    return QVI_FindTagEndUTF32(tag);
}

void RunTag(const TextRun& run, const char* tag, const char* /*end*/, float* pen, float lineTop, uint32_t* prev)
{
    HandleTag(run, tag, pen, lineTop, prev, false);
}

void RunTag(const TextRun& run, const uint32_t* tag, const uint32_t* end, float* pen, float lineTop, uint32_t* prev)
{
    char copy[kMaxTagValue + 1];
    if (QVI_CopyTagUTF32(tag, end, copy))
        HandleTag(run, copy, pen, lineTop, prev, true);
}

// The broken lines drawn glyph by glyph with their tags; Char is a LATIN-1 byte or a UTF-32
// code point, glyphOf finds its glyph. Only LATIN-1 fonts kern. Answers the widest line in
// font pixels.
template <typename Char, typename GlyphOf>
int32_t DrawLines(const TextRun& run, Font* font, Char* const* starts, const int32_t* widths, int lines,
                  GlyphOf glyphOf)
{
    constexpr bool kLatin1 = sizeof(Char) == 1;
    float lineTop = FirstLineTop(run, lines);
    int32_t widest = 0;
    bool visible = GlyphsVisible();
    for (int line = 0; line < lines; ++line) {
        widest = widths[line] > widest ? widths[line] : widest;
        float pen = LineStart(run, widths[line]);
        uint32_t prev = 0;
        for (const Char* p = starts[line]; *p;) {
            if (p[0] == '|' && p[1] != '|') {
                const Char* end = TagEnd(p + 1);
                if (!end)
                    break;
                RunTag(run, p + 1, end, &pen, lineTop, &prev);
                visible = GlyphsVisible();
                p = end + 1;
                continue;
            }
            const uint32_t c = static_cast<std::make_unsigned_t<Char>>(*p);
            p += (c == '|') ? 2 : 1;
            FontGlyph* glyph = glyphOf(c);
            if (!glyph)
                continue;
            if constexpr (kLatin1)
                pen += QVI_GlyphKerning(font, glyph, prev);
            DrawGlyph(run, glyph, pen, lineTop, visible);
            pen += glyph->advance;
            if constexpr (kLatin1)
                prev = c;
        }
        lineTop += run.advance;
    }
    return widest;
}

}  // namespace

float QVI_DrawTextLinesLatin1(Font* font, char* text, float x, float y)
{
    if (!font || font->height <= 0 || !text || !qv || !qv->graphics)
        return 0.0f;
    const TextRun run = StartRun(font, x, y, true);
    char* starts[kMaxTextLines];
    int32_t widths[kMaxTextLines];
    const int lines = QVI_BreakTextLines(font, QVI_WrapWidthInFontPixels(QVI_GetTextWrapWidth(), run.sx), text,
                                         starts, widths, kMaxTextLines - 1);
    const int32_t widest =
        DrawLines(run, font, starts, widths, lines, [font](uint32_t c) { return QVI_LatinGlyph(font, static_cast<unsigned char>(c)); });
    return widest * run.sx;
}

float QVI_DrawTextLines(Font* font, const char* text, float x, float y)
{
    if (!font || font->height <= 0 || !text || !qv || !qv->graphics)
        return 0.0f;
    const TextRun run = StartRun(font, x, y, false);
    // Room for one inserted line end per line.
    uint32_t* codePoints = QVI_ConvertUTF8ToUTF32(text, static_cast<int>(strlen(text)) + kMaxTextLines);
    if (!codePoints)
        return 0.0f;
    TextGlyphLookup lookup(font);
    uint32_t* starts[kMaxTextLines];
    int32_t widths[kMaxTextLines];
    const int lines =
        QVI_BreakTextLinesUTF32(&lookup, font, QVI_WrapWidthInFontPixels(QVI_GetTextWrapWidth(), run.sx),
                                codePoints, starts, widths, kMaxTextLines);
    const int32_t widest =
        DrawLines(run, font, starts, widths, lines, [&lookup](uint32_t c) { return lookup.Find(c); });
    free(codePoints);
    return widest * run.sx;
}

float QVI_DrawText(Font* font, const char* text, float x, float y)
{
    if (!font || !text || !*text || !qv || !qv->graphics)
        return 0.0f;
    Shader* shader = g_batch.textShader ? g_batch.textShader : g_batch.defaultShader;
    if (font->spread > 0.0f) {
        if (shader == g_batch.defaultShader && g_batch.distanceFieldShader)
            shader = g_batch.distanceFieldShader;
        SetSmoothing(shader, font);
    }
    Shader* previous = g_batch.currentShader;
    s_previousTextShader = previous;
    BatchRenderer::SetShader(shader);
    float width;
    if (font->isUTF8) {
        width = QVI_DrawTextLines(font, text, x, y);
    } else {
        // LATIN-1 is broken in place: the caller's text stays as it was.
        char buffer[kTextFormatBuffer];
        const size_t length = strlen(text);
        if (length >= sizeof buffer) {
            BatchRenderer::SetShader(previous);
            return 0.0f;
        }
        memcpy(buffer, text, length + 1);
        width = QVI_DrawTextLinesLatin1(font, buffer, x, y);
    }
    BatchRenderer::SetShader(previous);
    return width;
}
