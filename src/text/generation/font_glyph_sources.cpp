// Where a generated font's glyph images come from: rendered from a TrueType file through
// FreeType (optionally as a distance field), or cut out of an input bitmap that holds them
// side by side. Which characters a UTF-8 font holds is font_glyph_strings.cpp.
#include <emmintrin.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "data/datamanager/database.h"
#include "graphics/bitmaps/bitmap_pixels.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_codecs.h"
#include "text/fonts/font_pool.h"
#include "text/generation/font_generation.h"

namespace {

// Coverage is boosted by half so that thin strokes of small sizes stay visible.
const int kCoverageBoostNumerator = 3;
const int kCoverageBoostDenominator = 2;
// FreeType's largest pixel size: it quietly renders a larger request at this size, which the
// glyphs' metrics would not know.
const int64_t kLargestRasterPx = 0xFFFF;

const uint32_t kWhite = 0x00FFFFFFu;  // R, G and B bytes 255, alpha byte 0 (little-endian)

// The white pixel of each coverage value, made once.
struct WhitePixels {
    uint8_t pixel[256][4];

    static const WhitePixels& Table()
    {
        static const WhitePixels table;
        return table;
    }

private:
    WhitePixels()
    {
        for (int coverage = 0; coverage < 256; ++coverage) {
            pixel[coverage][0] = pixel[coverage][1] = pixel[coverage][2] = 255;
            pixel[coverage][3] =
                static_cast<uint8_t>(std::min(255, coverage * kCoverageBoostNumerator / kCoverageBoostDenominator));
        }
    }
};

bool HasPixels(const Bitmap& image)
{
    return image.pixels && image.width > 0 && image.height > 0;
}

// The image takes over pixels of width x height; what it owned before is freed.
void SetImagePixels(Bitmap* image, uint8_t* pixels, int width, int height)
{
    if (image->pixels && !image->sharedWith)
        free(image->pixels);
    image->sharedWith = nullptr;
    image->pixels = pixels;
    image->width = width;
    image->height = height;
    image->textureWidth = width;
    image->textureHeight = height;
    image->depth = 1;
    image->format = QV_TEXTURE_FORMAT_RGBA8;
    image->textureType = QV_TEXTURE_TYPE_2D;
    image->mipLevels = 1;
    if (pixels)
        image->flags |= kBitmapHasAlpha;
    else
        image->flags &= static_cast<uint8_t>(~kBitmapHasAlpha);
}

void StorePixel(uint8_t* at, uint32_t pixel)
{
    at[0] = static_cast<uint8_t>(pixel);
    at[1] = static_cast<uint8_t>(pixel >> 8);
    at[2] = static_cast<uint8_t>(pixel >> 16);
    at[3] = static_cast<uint8_t>(pixel >> 24);
}

int16_t ClampToInt16(int64_t value)
{
    return static_cast<int16_t>(std::max<int64_t>(INT16_MIN, std::min<int64_t>(INT16_MAX, value)));
}

const char* FontName(const Font* font)
{
    return font && font->header.name ? font->header.name : "unknown";
}

// One row of coverage as white pixels, sixteen at a time: coverage * 3 / 2 is coverage plus
// its half, which a saturating byte add caps at 255 as the table does.
void CoverageRowToWhite(const uint8_t* source, int width, uint8_t* target)
{
    const __m128i ones = _mm_set1_epi8(static_cast<char>(0xFF));
    const __m128i lowSeven = _mm_set1_epi8(0x7F);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i coverage = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
        const __m128i half = _mm_and_si128(_mm_srli_epi16(coverage, 1), lowSeven);
        const __m128i alpha = _mm_adds_epu8(coverage, half);
        // Bytes 255, 255, 255, alpha per pixel: alpha above a 255 byte, then 255 255 below that.
        const __m128i low = _mm_unpacklo_epi8(ones, alpha);
        const __m128i high = _mm_unpackhi_epi8(ones, alpha);
        __m128i* out = reinterpret_cast<__m128i*>(target + static_cast<size_t>(x) * 4);
        _mm_storeu_si128(out, _mm_unpacklo_epi16(ones, low));
        _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(ones, low));
        _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(ones, high));
        _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(ones, high));
    }
    const WhitePixels& white = WhitePixels::Table();
    for (; x < width; ++x)
        memcpy(target + static_cast<size_t>(x) * 4, white.pixel[source[x]], 4);
}

// ---- TrueType ----

// An 8-bit coverage copy of a 1-bit glyph bitmap (embedded strikes of some fonts), rows
// top to bottom.
std::vector<uint8_t> ExpandMonochrome(const FT_Bitmap& bitmap)
{
    const int rows = static_cast<int>(bitmap.rows);
    const int width = static_cast<int>(bitmap.width);
    const int stride = std::abs(bitmap.pitch);
    std::vector<uint8_t> coverage(static_cast<size_t>(rows) * width);
    for (int y = 0; y < rows; ++y) {
        const int sourceRow = bitmap.pitch < 0 ? rows - 1 - y : y;
        const uint8_t* bits = bitmap.buffer + static_cast<size_t>(sourceRow) * stride;
        for (int x = 0; x < width; ++x)
            coverage[static_cast<size_t>(y) * width + x] = (bits[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    }
    return coverage;
}

bool ConvertSlotBitmap(const FT_Bitmap& bitmap, Bitmap* out, int border)
{
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
        return QVI_ConvertGlyphToBitmap(bitmap.buffer, static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows),
                                        bitmap.pitch, out, border);
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO && bitmap.buffer && bitmap.width > 0 && bitmap.rows > 0 &&
        static_cast<int64_t>(std::abs(bitmap.pitch)) * 8 >= bitmap.width) {
        const std::vector<uint8_t> coverage = ExpandMonochrome(bitmap);
        return QVI_ConvertGlyphToBitmap(coverage.data(), static_cast<int>(bitmap.width),
                                        static_cast<int>(bitmap.rows), static_cast<int>(bitmap.width), out, border);
    }
    return false;
}

// The glyph image as a distance field one supersample-th the size of the large rendering:
// each pixel's alpha maps the signed distance to the outline, -border to +border, onto 0..255.
bool MakeDistanceField(Bitmap* large, int supersample, int border, Bitmap* out)
{
    const int width = large->width / supersample;
    const int height = large->height / supersample;
    if (width < 1 || height < 1)
        return false;
    uint8_t* pixels = static_cast<uint8_t*>(malloc(static_cast<size_t>(width) * height * 4));
    if (!pixels)
        return false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float distance = QVI_ComputeDistanceFieldPixel(large, border, x * supersample + supersample / 2,
                                                                 y * supersample + supersample / 2);
            const float unit = std::max(0.0f, std::min(1.0f, (distance / border + 1.0f) * 0.5f));
            const uint32_t alpha = static_cast<uint32_t>(255.0f * unit);
            StorePixel(pixels + (static_cast<size_t>(y) * width + x) * 4, kWhite | (alpha << 24));
        }
    }
    SetImagePixels(out, pixels, width, height);
    return true;
}

// What the rendering's arithmetic needs: a raster of at least a pixel that FreeType renders as
// asked, a supersampling the images can be divided by, and a border an int holds. Glyph
// images too large for memory are refused one by one as they are made.
bool RenderSizesAcceptable(int renderSizePx, int supersample, int spread)
{
    const int64_t raster = static_cast<int64_t>(renderSizePx) * supersample;
    const int64_t border = static_cast<int64_t>(spread) * supersample;
    return renderSizePx >= 1 && supersample >= 1 && raster <= kLargestRasterPx && border >= -INT_MAX &&
           border <= INT_MAX;
}

bool IsNarrowAdvanceCodePoint(uint32_t codePoint)
{
    return codePoint == 32 || codePoint == 160 || codePoint == 0x3002 || codePoint == 0xFF0C;
}

// What every face of one rendering is set up with.
struct RenderSettings {
    const char* path;
    const char* style;
    int renderSizePx;
    int supersample;
    int spread;
    bool allCaps;
};

// One FreeType library with the face open on it, set up for a rendering, closed with it.
class TrueTypeFace {
public:
    TrueTypeFace() = default;
    TrueTypeFace(const TrueTypeFace&) = delete;
    TrueTypeFace& operator=(const TrueTypeFace&) = delete;
    ~TrueTypeFace()
    {
        if (face_)
            FT_Done_Face(face_);
        if (library_)
            FT_Done_FreeType(library_);
    }

    FT_Face Get() const { return face_; }

    // Each failing step is reported.
    bool Open(const RenderSettings& settings)
    {
        FT_Error error = FT_Init_FreeType(&library_);
        if (error) {
            library_ = nullptr;
            QVI_ReportPopup(QV_LOG_WARNING, "QVI_CreateFontGlyphBitmapsFromTTF::FT_Init_FreeType error %d", error);
            return false;
        }
        error = FT_New_Face(library_, settings.path, 0, &face_);
        if (error) {
            face_ = nullptr;
            QVI_ReportPopup(QV_LOG_WARNING,
                            "QVI_CreateFontGlyphBitmapsFromTTF::FT_New_Face error %d. Does the font file and path '%s' "
                            "exist?",
                            error, settings.path);
            return false;
        }
        error = FT_Select_Charmap(face_, FT_ENCODING_UNICODE);
        if (error) {
            QVI_ReportPopup(QV_LOG_WARNING, "QVI_CreateFontGlyphBitmapsFromTTF::FT_Select_Charmap error %d", error);
            return false;
        }
        const FT_UInt rasterPx = static_cast<FT_UInt>(settings.renderSizePx * settings.supersample);
        error = FT_Set_Pixel_Sizes(face_, rasterPx, rasterPx);
        if (error) {
            QVI_ReportPopup(QV_LOG_WARNING, "QVI_CreateFontGlyphBitmapsFromTTF::FT_Set_Pixel_Sizes error %d", error);
            return false;
        }
        FT_Set_Transform(face_, nullptr, nullptr);
        if (QVI_HasToken(settings.style, "BOLD"))
            face_->style_flags |= FT_STYLE_FLAG_BOLD;
        if (QVI_HasToken(settings.style, "ITALIC"))
            face_->style_flags |= FT_STYLE_FLAG_ITALIC;
        return true;
    }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

// Renders the glyphs into their images and metrics; characters the face does not have are
// left for a fallback face. *reachesAboveBaseline is set when a glyph's ink rises above it.
void RenderGlyphs(FT_Face face, Font* font, const std::vector<int>& glyphs, const RenderSettings& settings,
                  bool* reachesAboveBaseline)
{
    const int supersample = settings.supersample;
    const int spread = settings.spread;
    const int border = supersample * spread;
    for (int index : glyphs) {
        FontGlyph& glyph = font->glyphs[index];
        FT_ULong character = glyph.codePoint;
        if (settings.allCaps && character >= 'a' && character <= 'z')
            character -= 'a' - 'A';
        const FT_UInt faceIndex = FT_Get_Char_Index(face, character);
        if (faceIndex == 0)
            continue;
        const FT_Error error = FT_Load_Glyph(face, faceIndex, FT_LOAD_RENDER);
        if (error) {
            QVI_ReportPopup(QV_LOG_WARNING, "QVI_CreateFontGlyphBitmapsFromTTF::FT_Load_Char unicode %d error %d",
                            static_cast<int>(glyph.codePoint), error);
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        if (spread > 0) {
            Bitmap large = {};
            if (ConvertSlotBitmap(slot->bitmap, &large, border))
                MakeDistanceField(&large, supersample, border, &glyph.image);
            free(large.pixels);
        } else {
            ConvertSlotBitmap(slot->bitmap, &glyph.image, 0);
        }
        const int top = slot->bitmap_top / supersample;
        glyph.offsetX = ClampToInt16(-spread);
        glyph.offsetY = static_cast<float>(static_cast<int64_t>(settings.renderSizePx) - top - spread);
        *reachesAboveBaseline = *reachesAboveBaseline || top > 0;
        const int64_t width = glyph.image.pixels ? glyph.image.width : 0;
        if (IsNarrowAdvanceCodePoint(glyph.codePoint))
            glyph.advance = ClampToInt16(static_cast<int64_t>(settings.renderSizePx * 0.4));
        else
            glyph.advance = ClampToInt16(width - 2 * static_cast<int64_t>(spread) + (glyph.codePoint < 256 ? -1 : 1));
    }
}

// ---- Input bitmaps ----

bool IsInk(const Bitmap& image, int x, int y)
{
    return image.pixels[(static_cast<size_t>(y) * image.width + x) * 4 + 3] != 0;
}

// Whether any pixel of rows firstRow..lastRow in column x holds ink.
std::vector<uint8_t> InkColumns(const Bitmap& image, int firstRow, int lastRow)
{
    std::vector<uint8_t> columns(static_cast<size_t>(image.width), 0);
    for (int y = firstRow; y <= lastRow; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (!columns[x] && IsInk(image, x, y))
                columns[x] = 1;
        }
    }
    return columns;
}

bool RowHasInk(const Bitmap& image, int y, int x0, int x1)
{
    for (int x = x0; x < x1; ++x) {
        if (IsInk(image, x, y))
            return true;
    }
    return false;
}

int NodeInt(const DataNode* node, const char* name, int fallback)
{
    const char* value = node->GetParameter(name);
    return QVI_ParseFontSourceInt(value, fallback);
}

}  // namespace

bool QVI_ConvertGlyphToBitmap(const uint8_t* coverage, int width, int rows, int pitch, Bitmap* out, int border)
{
    if (!coverage || !out || width <= 0 || rows <= 0 || border < 0)
        return false;
    const int64_t stride = pitch < 0 ? -static_cast<int64_t>(pitch) : pitch;
    if (stride < width) {
        QVI_Report(QV_LOG_WARNING, "QVI_ConvertGlyphToBitmap: row pitch %d is shorter than the width %d.", pitch,
                   width);
        return false;
    }
    const int64_t outWidth = static_cast<int64_t>(width) + 2 * static_cast<int64_t>(border);
    const int64_t outHeight = static_cast<int64_t>(rows) + 2 * static_cast<int64_t>(border);
    if (!QVI_IsImageSizeAcceptable("glyph", outWidth, outHeight))
        return false;
    const size_t rowBytes = static_cast<size_t>(outWidth) * 4;
    uint8_t* pixels = static_cast<uint8_t*>(malloc(rowBytes * static_cast<size_t>(outHeight)));
    if (!pixels) {
        QVI_Report(QV_LOG_ERROR, "Out of memory for a %lldx%lld glyph image.", static_cast<long long>(outWidth),
                   static_cast<long long>(outHeight));
        return false;
    }
    // Only the border is cleared; every pixel inside it is written below.
    const size_t borderBytes = static_cast<size_t>(border) * 4;
    memset(pixels, 0, rowBytes * static_cast<size_t>(border));
    memset(pixels + rowBytes * static_cast<size_t>(border + rows), 0, rowBytes * static_cast<size_t>(border));
    for (int y = 0; y < rows; ++y) {
        // A negative pitch stores the bottom row first.
        const int sourceRow = pitch < 0 ? rows - 1 - y : y;
        const uint8_t* source = coverage + static_cast<size_t>(sourceRow) * static_cast<size_t>(stride);
        uint8_t* line = pixels + rowBytes * static_cast<size_t>(y + border);
        // Most glyphs have no border, and a call per row that clears nothing adds up.
        if (border > 0) {
            memset(line, 0, borderBytes);
            memset(line + rowBytes - borderBytes, 0, borderBytes);
        }
        CoverageRowToWhite(source, width, line + borderBytes);
    }
    SetImagePixels(out, pixels, static_cast<int>(outWidth), static_cast<int>(outHeight));
    return true;
}

bool QVI_CreateFontGlyphBitmapsFromTTF(Font* font, const char* nativeTtfPath, int sizePx, const char* style,
                                       int renderSizePx, int supersample, int spread)
{
    if (!font || !nativeTtfPath)
        return false;
    if (!RenderSizesAcceptable(renderSizePx, supersample, spread)) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "QVI_CreateFontGlyphBitmapsFromTTF: size %d, render size %d, supersampling %d and spread %d "
                        "are out of range for font '%s'.",
                        sizePx, renderSizePx, supersample, spread, FontName(font));
        return false;
    }
    const RenderSettings settings = {nativeTtfPath, style, renderSizePx, supersample, spread,
                                     QVI_HasToken(style, "ALL_CAPS")};
    TrueTypeFace face;
    if (!face.Open(settings))
        return false;
    font->scale = renderSizePx != sizePx ? static_cast<float>(sizePx) / static_cast<float>(renderSizePx) : 1.0f;
    if (!face.Get()->charmap)
        QVI_Report(QV_LOG_WARNING, "No face charmap!");

    std::vector<int> pending;
    for (int i = 0; i < font->glyphCount; ++i) {
        if (font->glyphs[i].codePoint != 0 && !font->glyphs[i].image.pixels)
            pending.push_back(i);
    }
    bool reachesAboveBaseline = false;
    RenderGlyphs(face.Get(), font, pending, settings, &reachesAboveBaseline);
    if (reachesAboveBaseline)
        font->baseline = renderSizePx;
    return true;
}

bool QVI_ExtractGlyphsFromBitmap(Font* font, Bitmap* input, DataArray* glyphs, int spacing)
{
    if (!font || !input || !glyphs || !HasPixels(*input) || !font->glyphs)
        return false;
    const Bitmap& image = *input;
    int firstRow = -1;
    int lastRow = -1;
    for (int y = 0; y < image.height; ++y) {
        if (RowHasInk(image, y, 0, image.width)) {
            if (firstRow < 0)
                firstRow = y;
            lastRow = y;
        }
    }
    if (firstRow < 0) {
        QVI_ReportPopup(QV_LOG_WARNING, "No pixels found in font '%s' input bitmap.", FontName(font));
        return false;
    }
    const std::vector<uint8_t> inkColumns = InkColumns(image, firstRow, lastRow);
    const int nodeCount = glyphs->nodes.count;
    int x = 0;
    for (int n = 0; n < nodeCount; ++n) {
        const DataNode* node = glyphs->nodes.data[n];
        const char* idText = node ? node->GetParameter("id") : nullptr;
        if (!idText) {
            QVI_ReportPopup(QV_LOG_WARNING, "No id defined for glyph #%d in font '%s'", n, FontName(font));
            continue;
        }
        const int id = QVI_ParseFontSourceInt(idText, 0);
        if (id < 32 || id > 255 || id >= font->glyphCount) {
            QVI_ReportPopup(QV_LOG_WARNING, "Font '%s' Glyph #%d index %d is out of bounds", FontName(font), n, id);
            continue;
        }
        const float extraSpacing = QVI_ParseFloat(node->GetParameter("spacing"), 0.0f);
        int extra = static_cast<int>(extraSpacing + 0.5f);
        if (extraSpacing > 0 && extra < 1)
            extra = 1;
        const int span = NodeInt(node, "span", 1);
        FontGlyph& glyph = font->glyphs[id];
        if (span == 0) {
            glyph.offsetX = 0;
            glyph.advance = ClampToInt16(static_cast<int64_t>(extra) + spacing);
            continue;
        }
        if (x >= image.width) {
            QVI_ReportPopup(QV_LOG_WARNING, "Input bitmap for '%s' contains %d glyphs LESS than the XML definition file!",
                            FontName(font), nodeCount - n);
            return false;
        }
        int x0 = x;
        while (x0 < image.width - 1 && !inkColumns[x0])
            ++x0;
        int x1 = x0;
        for (int block = 0; block < span && x1 < image.width; ++block) {
            while (x1 < image.width && !inkColumns[x1])
                ++x1;
            while (x1 < image.width && inkColumns[x1])
                ++x1;
        }
        int y0 = firstRow;
        while (y0 <= lastRow && !RowHasInk(image, y0, x0, x1))
            ++y0;
        int y1 = lastRow + 1;
        while (y1 > y0 && !RowHasInk(image, y1 - 1, x0, x1))
            --y1;
        if (y1 <= y0) {
            QVI_ReportPopup(QV_LOG_WARNING,
                            "Sanity check failed for glyph (%d/%d): glyph_end_y <= glyph_start_y (%d <= %d). X0=%d "
                            "X1=%d. Hint: check the (\") character on different inputs.",
                            n + 1, nodeCount, y1, y0, x0, x1);
            return false;
        }
        const int width = x1 - x0;
        const int height = y1 - y0;
        uint8_t* pixels = static_cast<uint8_t*>(malloc(static_cast<size_t>(width) * height * 4));
        if (!pixels) {
            QVI_Report(QV_LOG_ERROR, "Out of memory for glyph %d of font '%s'.", id, FontName(font));
            return false;
        }
        for (int row = 0; row < height; ++row) {
            memcpy(pixels + static_cast<size_t>(row) * width * 4,
                   image.pixels + (static_cast<size_t>(y0 + row) * image.width + x0) * 4, static_cast<size_t>(width) * 4);
        }
        SetImagePixels(&glyph.image, pixels, width, height);
        glyph.offsetX = 0;
        glyph.advance = ClampToInt16(static_cast<int64_t>(spacing) + width + extra);
        glyph.offsetY = static_cast<float>(y0 - firstRow);
        x = x1;
    }
    int unusedBlocks = 0;
    for (int column = x; column < image.width; ++column) {
        if (inkColumns[column] && (column == x || !inkColumns[column - 1]))
            ++unusedBlocks;
    }
    if (unusedBlocks > 0) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "Input bitmap for '%s' has %d unused pixel blocks - all glyphs may not have been read "
                        "properly! Hint: check the (\") character on different inputs.",
                        FontName(font), unusedBlocks);
    }
    return true;
}
