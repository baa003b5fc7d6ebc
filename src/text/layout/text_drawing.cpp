// Drawing laid-out text: the shader for the font (distance-field smoothing set for the size
// on screen), alignment, rotation and scale about the start point, inline tags, and one
// quad of the font's atlas per glyph through the batch renderer.
#include "text/layout/text_layout.h"

#include <xmmintrin.h>

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

// What drawing needs of one glyph, read from the font once per text: a glyph record spans
// several cache lines, and a text of a few dozen distinct characters would otherwise fetch
// them again for every character. Numbers are kept as the float each use turns them into.
struct GlyphDraw {
    FontGlyph* glyph;  // null: the character has no glyph
    const int8_t* kerning;
    Bitmap* image;
    TextureHardwareData* texture;
    float offsetX, offsetY;
    int advance;
    float width, height;  // of the image; width 0 or less draws nothing
    float top[4];         // u, v of the top corners: left, top, right, top
    float bottom[4];      // and of the bottom ones: left, bottom, right, bottom
    bool drawable;
};

// The GlyphDraw of each character of one text, by its code point modulo the slots, filled
// when the character is first met.
class GlyphDrawCache {
public:
    GlyphDrawCache() { memset(filled_, 0, sizeof filled_); }
    GlyphDrawCache(const GlyphDrawCache&) = delete;
    GlyphDrawCache& operator=(const GlyphDrawCache&) = delete;

    template <typename GlyphOf>
    const GlyphDraw& Get(uint32_t c, GlyphOf& glyphOf)
    {
        const int slot = static_cast<int>(c % kSlots);
        if (!filled_[slot] || keys_[slot] != c)
            Fill(slot, c, glyphOf(c));
        return entries_[slot];
    }

private:
    static const int kSlots = 256;

    void Fill(int slot, uint32_t c, FontGlyph* glyph)
    {
        filled_[slot] = true;
        keys_[slot] = c;
        GlyphDraw& d = entries_[slot];
        d.glyph = glyph;
        if (!glyph)
            return;
        const Bitmap& image = glyph->image;
        d.kerning = glyph->kerning;
        d.image = &glyph->image;
        d.texture = image.hardware.rendererData;
        d.offsetX = static_cast<float>(glyph->offsetX);
        d.offsetY = glyph->offsetY;
        d.advance = glyph->advance;
        d.width = static_cast<float>(image.width);
        d.height = static_cast<float>(image.height);
        const BitmapHardwareData& t = image.hardware;
        const float top[4] = {t.left, t.top, t.right, t.top}, bottom[4] = {t.left, t.bottom, t.right, t.bottom};
        memcpy(d.top, top, sizeof top);
        memcpy(d.bottom, bottom, sizeof bottom);
        d.drawable = image.width > 0;
    }

    bool filled_[kSlots];
    uint32_t keys_[kSlots];
    GlyphDraw entries_[kSlots];
};

// Axis-aligned glyph quads written straight into the batch buffer: the batch's state is
// checked when a glyph's texture differs from the last one's or the buffer is full, not for
// every glyph. Anything else that touches the batch (a tag, the end of the text) comes after
// Commit.
class GlyphQuadWriter {
public:
    GlyphQuadWriter() = default;
    GlyphQuadWriter(const GlyphQuadWriter&) = delete;
    GlyphQuadWriter& operator=(const GlyphQuadWriter&) = delete;
    ~GlyphQuadWriter() { Commit(); }

    void Add(const GlyphDraw& d, float x, float y)
    {
        if (room_ == 0 || d.texture != texture_) {
            if (!Reserve(d.image))
                return;
        }
        // The four vertices (x, y, z, colour, u, v each) as six blocks of four floats: the
        // corners' positions, the depth-and-colour pairs and the texture pairs interleaved.
        const float right = x + d.width, lower = y + d.height;
        const __m128 upper = _mm_setr_ps(x, y, right, y), under = _mm_setr_ps(x, lower, right, lower);
        const __m128 top = _mm_loadu_ps(d.top), bottom = _mm_loadu_ps(d.bottom);
        const __m128 depthColour01 = _mm_loadu_ps(depthColour_), depthColour23 = _mm_loadu_ps(depthColour_ + 4);
        float* out = reinterpret_cast<float*>(next_);
        _mm_storeu_ps(out, _mm_shuffle_ps(upper, depthColour01, _MM_SHUFFLE(1, 0, 1, 0)));
        _mm_storeu_ps(out + 4, _mm_shuffle_ps(top, upper, _MM_SHUFFLE(3, 2, 1, 0)));
        _mm_storeu_ps(out + 8, _mm_shuffle_ps(depthColour01, top, _MM_SHUFFLE(3, 2, 3, 2)));
        _mm_storeu_ps(out + 12, _mm_shuffle_ps(under, depthColour23, _MM_SHUFFLE(1, 0, 1, 0)));
        _mm_storeu_ps(out + 16, _mm_shuffle_ps(bottom, under, _MM_SHUFFLE(3, 2, 1, 0)));
        _mm_storeu_ps(out + 20, _mm_shuffle_ps(depthColour23, bottom, _MM_SHUFFLE(3, 2, 3, 2)));
        next_ += 4;
        --room_;
        ++written_;
    }

    void Commit()
    {
        if (written_ > 0)
            BatchRenderer::CommitQuads(written_);
        written_ = 0;
        room_ = 0;
    }

private:
    bool Reserve(Bitmap* image)
    {
        Commit();
        next_ = BatchRenderer::ReserveQuads(image, &room_);
        texture_ = image->hardware.rendererData;
        // The depth and colour are the current quad's, which nothing changes before Commit;
        // a colour goes into its float slot bit for bit.
        for (int i = 0; i < 4; ++i) {
            depthColour_[2 * i] = g_batchQuad[i].z;
            memcpy(&depthColour_[2 * i + 1], &g_batchQuad[i].color, sizeof(float));
        }
        return next_ && room_ > 0;
    }

    BatchVertex* next_ = nullptr;
    int room_ = 0;
    int written_ = 0;
    TextureHardwareData* texture_ = nullptr;
    float depthColour_[8] = {};  // z and colour of each corner
};

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

inline void DrawGlyph(const TextRun& run, const GlyphDraw& d, float pen, float lineTop, bool visible,
                      GlyphQuadWriter* quads)
{
    if (!d.drawable)
        return;
    const float x = pen + d.offsetX, y = lineTop + d.offsetY;
    if (run.transformed)
        QVI_AddRotatedGlyphQuad(d.image, run.matrix, run.origin, x, y);
    else if (visible)
        quads->Add(d, x, y);
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

// A colour tag: an optional '#', six characters for red, green and blue and, unless the
// seventh is '|', two more for alpha. Every character is read as a hex digit (anything else
// counts 0), so even a short or odd tag sets a colour. The reading stops at the text's end:
// the characters a tag ending there lacks count 0.
void ApplyColourTag(const char* tag)
{
    const char* hex = tag[0] == '#' ? tag + 1 : tag;
    char c[8];
    bool ended = false;
    for (int i = 0; i < 8; ++i) {
        ended = ended || hex[i] == 0;
        c[i] = ended ? 0 : hex[i];
    }
    const bool alpha = c[6] != '|';
    const float colour[4] = {QVI_ParseHexByte(c[0], c[1]) / 255.0f, QVI_ParseHexByte(c[2], c[3]) / 255.0f,
                             QVI_ParseHexByte(c[4], c[5]) / 255.0f,
                             alpha ? QVI_ParseHexByte(c[6], c[7]) / 255.0f : 1.0f};
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

// The pen's position along a line. Whole-pixel steps from a whole-pixel start are summed as
// an integer while every sum is exact in a float, which gives the very floats that adding
// them up in float gives, without a float addition's latency on every character. Anything
// else (a fractional start, an inline image's scaled width, a line past 2^23 pixels) goes on
// in float.
class Pen {
public:
    explicit Pen(float start) : value_(start)
    {
        // A start of -0 stays in float, where its sign can still show.
        whole_ = start == std::trunc(start) && std::fabs(start) < kExact && !std::signbit(start);
        base_ = whole_ ? static_cast<int32_t>(start) : 0;
    }

    // A kerning or an advance: at most kLargestStep pixels either way.
    void Step(int pixels)
    {
        if (whole_ && (steps_ > kExact - kLargestStep || steps_ < kLargestStep - kExact))
            ToFloat();
        if (whole_)
            steps_ += pixels;
        else
            value_ += pixels;
    }

    float Get() const { return whole_ ? static_cast<float>(base_ + steps_) : value_; }
    // For a step that need not be whole; the pen stays in float for the rest of the line.
    float* Float()
    {
        ToFloat();
        return &value_;
    }

private:
    static const int32_t kExact = 1 << 23;
    static const int32_t kLargestStep = 32768 + 128;  // an int16 advance, an int8 kerning

    void ToFloat()
    {
        if (whole_)
            value_ = static_cast<float>(base_ + steps_);
        whole_ = false;
    }

    bool whole_;
    int32_t base_;
    int32_t steps_ = 0;
    float value_;
};

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
    const int glyphCount = font->glyphCount;
    GlyphDrawCache glyphs;
    GlyphQuadWriter quads;
    for (int line = 0; line < lines; ++line) {
        widest = widths[line] > widest ? widths[line] : widest;
        Pen pen(LineStart(run, widths[line]));
        uint32_t prev = 0;
        for (const Char* p = starts[line]; *p;) {
            if (p[0] == '|' && p[1] != '|') {
                const Char* end = TagEnd(p + 1);
                if (!end)
                    break;
                quads.Commit();
                RunTag(run, p + 1, end, pen.Float(), lineTop, &prev);
                visible = GlyphsVisible();
                p = end + 1;
                continue;
            }
            const uint32_t c = static_cast<std::make_unsigned_t<Char>>(*p);
            p += (c == '|') ? 2 : 1;
            const GlyphDraw& glyph = glyphs.Get(c, glyphOf);
            if (!glyph.glyph)
                continue;
            if constexpr (kLatin1)
                pen.Step(glyph.kerning && static_cast<int>(prev) < glyphCount ? glyph.kerning[prev] : 0);
            DrawGlyph(run, glyph, pen.Get(), lineTop, visible, &quads);
            pen.Step(glyph.advance);
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
