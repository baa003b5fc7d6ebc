// Generating a font from its source "<name>.xml": reading the settings, choosing the glyph
// source (a TrueType file or an input bitmap), and the finishing every font gets: the alpha
// cut, kerning, vertical metrics, the colour gradient and the output scale.
#include <emmintrin.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/engine_string.h"
#include "data/datamanager/data_manager.h"
#include "data/datamanager/database.h"
#include "filesystem/filesystem_api.h"
#include "filesystem/paths.h"
#include "graphics/bitmaps/bitmap_pixels.h"
#include "graphics/bitmaps/image_codecs.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/renderer/renderer_codes.h"
#include "text/fonts/font_pool.h"
#include "text/generation/font_generation.h"

namespace {

const char* const kNoDatabaseReason = "Font database not found or doesn't contain any arrays.";
const char* const kSettingsReason = "Array 'settings' is missing or has bad parms - check the font source.";
const char* const kVersionReason = "Font database is of invalid version.";
const char* const kGlyphsReason = "Array 'glyphs' is missing or has bad parms - check the font source.";

const int kLargestSourceName = 511;
const int kLatinGlyphCount = 256;
const double kSmallestScale = 0.001;
const double kLargestScale = 10.0;
// Pixels fainter than this are dropped, so near-invisible fringes neither kern nor pack.
const int kFaintestAlpha = 5;

// What the "settings" array says, with its defaults.
struct SourceSettings {
    int version = 1;
    const char* ttf = nullptr;
    const char* bitmap = nullptr;
    const char* strings = nullptr;
    const char* characterSets = nullptr;
    const char* style = nullptr;
    const char* ttfFallback = nullptr;
    double sizePx = 22.0;
    const char* tags = nullptr;
    int spacing = 0;
    float kernThreshold = 0.75f;
    int safeZone = 2;
    int linePadding = 0;
    float heightMultiplier = 1.0f;
    int yOffset = 0;
    double outputScale = 1.0;
    const DataNode* distanceField = nullptr;
};

// A double truncated towards zero into the int range; NaN becomes 0.
int TruncateToInt(double value)
{
    if (!(value == value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

int RoundHalfAway(double value)
{
    return TruncateToInt(value < 0 ? std::ceil(value - 0.5) : std::floor(value + 0.5));
}

const char* FontName(const Font* font)
{
    return font->header.name ? font->header.name : "";
}

const char* Setting(const DataArray* settings, const char* node, const char* name)
{
    return settings->GetNodeParameter(node, name);
}

int SettingInt(const DataArray* settings, const char* node, const char* name, int fallback)
{
    const char* value = Setting(settings, node, name);
    return QVI_ParseFontSourceInt(value, fallback);
}

float SettingFloat(const DataArray* settings, const char* node, const char* name, float fallback)
{
    return QVI_ParseFloat(Setting(settings, node, name), fallback);
}

bool InScaleRange(double scale)
{
    return scale >= kSmallestScale && scale <= kLargestScale;
}

// "a/b" divided, anything else read as one number; a missing part reads as missingPart.
double ParseScale(const char* text, double missingPart)
{
    const char* slash = strchr(text, '/');
    if (!slash)
        return atof(text);
    const String numerator = String(text).Substring(0, static_cast<int>(slash - text));
    const double a = slash == text ? missingPart : atof(numerator.text ? numerator.text : "");
    const double b = slash[1] ? atof(slash + 1) : missingPart;
    if (b == 0.0)
        return a < 0 ? -HUGE_VAL : HUGE_VAL;  // reported as out of range by the caller
    return a / b;
}

SourceSettings ReadSettings(const DataArray* settings, const Font* font)
{
    SourceSettings s;
    s.version = SettingInt(settings, "VERSION", "value", 1);
    s.ttf = Setting(settings, "INPUT", "ttf");
    s.bitmap = Setting(settings, "INPUT", "bitmap");
    s.strings = Setting(settings, "INPUT", "strings");
    s.characterSets = Setting(settings, "INPUT", "character_sets");
    s.style = Setting(settings, "INPUT", "style");
    s.ttfFallback = Setting(settings, "INPUT", "ttf_fallback");
    s.sizePx = QVI_ParseFloat(Setting(settings, "INPUT", "size_px"), 22.0f);
    s.tags = Setting(settings, "TAGS", "value");
    s.spacing = SettingInt(settings, "SPACING", "value", 0);
    s.kernThreshold = SettingFloat(settings, "AUTO_KERN_THRESHOLD", "value", 0.75f);
    s.safeZone = std::max(1, SettingInt(settings, "Y_SAFEZONE", "value", 2));
    s.linePadding = TruncateToInt(SettingFloat(settings, "LINE_PADDING_OFFSET", "value", 0.0f));
    s.heightMultiplier = SettingFloat(settings, "FONT_HEIGHT_MULTIPLIER", "value", 1.0f);
    s.yOffset = SettingInt(settings, "Y_OFFSET", "value", 0);
    s.distanceField = settings->FindNode("DISTANCE_FIELD");
    const char* scale = Setting(settings, "OUTPUT", "scale");
    if (scale) {
        s.outputScale = ParseScale(scale, 0.0);
        if (!InScaleRange(s.outputScale)) {
            QVI_ReportPopup(QV_LOG_WARNING,
                            "QVI_GenerateFontFromSource: scale factor %g for font %s is invalid. Use values > 0 and < "
                            "10.",
                            s.outputScale, FontName(font));
            s.outputScale = 1.0;
        }
    }
    return s;
}

// Alpha below kFaintestAlpha becomes 0, four pixels at a time.
void CutFaintAlpha(uint8_t* pixels, size_t count)
{
    const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i faintest = _mm_set1_epi32(kFaintestAlpha);
    size_t p = 0;
    for (; p + 4 <= count; p += 4) {
        __m128i* block = reinterpret_cast<__m128i*>(pixels + p * 4);
        const __m128i four = _mm_loadu_si128(block);
        const __m128i faint = _mm_cmplt_epi32(_mm_srli_epi32(four, 24), faintest);
        _mm_storeu_si128(block, _mm_andnot_si128(_mm_and_si128(faint, alphaBytes), four));
    }
    for (; p < count; ++p) {
        if (pixels[p * 4 + 3] < kFaintestAlpha)
            pixels[p * 4 + 3] = 0;
    }
}

bool HasPixels(const FontGlyph& glyph)
{
    return glyph.image.pixels && glyph.image.width > 0 && glyph.image.height > 0;
}

class FontGenerator {
public:
    FontGenerator(Font* font, const char* sourceName) : font_(font), sourceName_(sourceName) {}

    bool Run()
    {
        QVI_Report(QV_LOG_INFO, "Attempting to generate font from source '%s'", sourceName_);
        // The source and the files it names mostly lie under one folder: whether that folder
        // is an archive is asked once for all of them.
        ArchiveLookupScope lookups;
        source_ = DataManager::GetDatabase(sourceName_);
        if (!source_ || source_->arrays.count == 0)
            return Fail(kNoDatabaseReason);
        const DataArray* settings = source_->FindArray("settings");
        if (!settings)
            return Fail(kSettingsReason);
        s_ = ReadSettings(settings, font_);
        if (s_.version < 1)
            return Fail(kVersionReason);
        spacing_ = TruncateToInt(s_.spacing * s_.outputScale + 0.4);
        if (s_.spacing > 0 && spacing_ == 0)
            spacing_ = 1;
        glyphNodes_ = source_->FindArray("glyphs");

        bool made = false;
        if (s_.ttf)
            made = FromTrueType();
        else if (s_.bitmap)
            made = FromBitmap(settings);
        else
            return Fail(kSettingsReason);
        if (!made)
            return false;
        Finish();
        DataManager::UnloadDatabase(source_);
        return true;
    }

private:
    bool Fail(const char* reason)
    {
        QVI_ReportPopup(QV_LOG_WARNING, "Failed to generate font from source '%s': %s", sourceName_, reason);
        if (source_)
            DataManager::UnloadDatabase(source_);
        source_ = nullptr;
        return false;
    }

    void ResetMetrics()
    {
        font_->baseline = 0;
        font_->height = 0;
        font_->lineSpacing = 0;
        font_->scale = 1.0f;
        font_->spread = 0.0f;
        font_->smoothing = 0.0f;
        font_->flags &= static_cast<uint8_t>(~FONT_DISTANCE_FIELD);
    }

    bool FromTrueType()
    {
        QVI_Report(QV_LOG_INFO, "Using TTF source font '%s'.", s_.ttf);
        const String folder = QVI_GetDirectory(sourceName_);
        ResetMetrics();
        if (!s_.strings) {
            font_->isUTF8 = 0;
            if (!QVI_AllocateFontGlyphs(font_, kLatinGlyphCount))
                return Fail("No memory for the glyphs.");
            if (!glyphNodes_ || glyphNodes_->nodes.count == 0) {
                for (int i = 0; i < kLatinGlyphCount; ++i)
                    font_->glyphs[i].codePoint = static_cast<uint32_t>(i);
            } else {
                for (int n = 0; n < glyphNodes_->nodes.count; ++n) {
                    const DataNode* node = glyphNodes_->nodes.data[n];
                    const char* id = node ? node->GetParameter("id") : nullptr;
                    const int code = QVI_ParseFontSourceInt(id, 0);
                    if (code >= 1 && code <= 255)
                        font_->glyphs[code].codePoint = static_cast<uint32_t>(code);
                }
            }
        } else {
            QVI_Report(QV_LOG_INFO, "Using input strings from '%s'.", s_.strings);
            const String strings = QVI_LocateFontStringsFile(s_.strings, sourceName_);
            QVI_CreateFontGlyphsArrayFromStrings(font_, strings.text, source_->FindArray("additional_utf_characters"),
                                                 s_.characterSets);
        }

        // Sizes the rasteriser cannot take are refused by the rendering step.
        const double scaledSize = s_.sizePx * s_.outputScale;
        const int size = scaledSize < INT_MAX / 2 ? RoundHalfAway(scaledSize) : INT_MAX / 2;
        const String nativePath = QVI_FindFontTrueTypeFile(s_.ttf, folder.text);
        if (QVI_IsEmptyText(nativePath.text))
            return Fail("The TrueType file was not found.");

        int renderSize = size;
        int supersample = 1;
        int spread = 0;
        if (s_.distanceField) {
            const DataNode* field = s_.distanceField;
            if (s_.version < 2)
                return Fail("Distance field support requires font database version 2 or later.");
            const char* sizeText = field->GetParameter("size_px");
            renderSize = QVI_ParseFontSourceInt(sizeText, size);
            if (renderSize < 1)
                return Fail("Distance field size_px must be greater than 0.");
            const char* spreadText = field->GetParameter("spread");
            spread = QVI_ParseFontSourceInt(spreadText, 0);
            if (spread == 0)
                return Fail("Distance field spread is invalid.");
            const float smoothing = QVI_ParseFloat(field->GetParameter("smoothing"), 0.25f);
            if (!(smoothing >= 0.0f))
                return Fail("Distance field smoothing is invalid.");
            const char* scaleText = field->GetParameter("scale");
            supersample = QVI_ParseFontSourceInt(scaleText, 1);
            font_->flags |= FONT_DISTANCE_FIELD;
            font_->smoothing = smoothing;
            font_->spread = static_cast<float>(spread);
        }

        if (!QVI_CreateFontGlyphBitmapsFromTTF(font_, nativePath.text, size, s_.style, renderSize, supersample,
                                               spread))
            return Fail("Rendering the TrueType file failed.");
        if (s_.ttfFallback) {
            const String fallback = QVI_FindFontTrueTypeFile(s_.ttfFallback, folder.text);
            QVI_Report(QV_LOG_INFO, "Using fallback font '%s' for missing glyphs.", fallback.text);
            if (QVI_IsEmptyText(fallback.text))
                return Fail("The fallback TrueType file was not found.");
            if (!QVI_CreateFontGlyphBitmapsFromTTF(font_, fallback.text, size, s_.style, renderSize, supersample,
                                                   spread))
                return Fail("Rendering the fallback TrueType file failed.");
        }

        if (font_->glyphCount == 0)
            QVI_ReportPopup(QV_LOG_ERROR, "Font '%s' contains no glyphs!", FontName(font_));
        for (int i = 0; i < font_->glyphCount; ++i) {
            const FontGlyph& glyph = font_->glyphs[i];
            if (glyph.codePoint > 32 && glyph.codePoint != 160 && !glyph.image.pixels) {
                QVI_ReportPopup(QV_LOG_ERROR, "Font '%s' glyph #%d unicode %d (0x%x) is missing!", FontName(font_), i,
                                static_cast<int>(glyph.codePoint), glyph.codePoint);
            }
        }
        QVI_GetGlyphSpacing(font_, glyphNodes_, spacing_);
        return true;
    }

    bool FromBitmap(const DataArray* settings)
    {
        const DataNode* taken = nullptr;
        double takenScale = 0.0;
        bool exact = false;
        for (int n = 0; n < settings->nodes.count; ++n) {
            const DataNode* node = settings->nodes.data[n];
            if (!node || !node->id || !QVI_StartsWith(node->id, "INPUT"))
                continue;
            const double scale = QVI_SelectFontInputBitmap(node->id);
            if (std::fabs(s_.outputScale - scale) < 0.01) {
                taken = node;
                takenScale = scale;
                exact = true;
                break;
            }
            if (!taken || (takenScale < scale && takenScale < s_.outputScale)) {
                taken = node;
                takenScale = scale;
            }
        }
        if (!taken)
            return Fail(kSettingsReason);
        if (!exact) {
            QVI_Report(QV_LOG_INFO, "Selecting bitmap input '%s' for scale %.2fx (closest match).", taken->id,
                       s_.outputScale);
        }
        double adjusted = s_.outputScale / takenScale;
        if (std::fabs(adjusted - 1.0) < 0.01)
            adjusted = 1.0;
        QVI_Report(QV_LOG_INFO, "Adjusted scale with %s is %g.", taken->id, adjusted);

        const String folder = QVI_GetDirectory(sourceName_);
        const char* bitmapName = taken->GetParameter("bitmap");
        String path("");
        if (bitmapName)
            QVI_FindFontSourceFile(&path, bitmapName, folder.text);
        ImageLoaderImp* loader = QVI_GetImageLoader();
        Bitmap input = {};
        if (!bitmapName || !loader->LoadImage(&input, path.text)) {
            QVI_ReportPopup(QV_LOG_WARNING, "Unable to open image file '%s'. Make sure the file '%s' exist.", taken->id,
                            path.text ? path.text : "");
            loader->FreeImagePixels(&input);
            return Fail(kSettingsReason);
        }
        if (std::fabs(adjusted - 1.0) >= 1e-6) {
            Bitmap resized = {};
            const bool made = QVI_CreateImageResized(&resized, &input, TruncateToInt(input.width * adjusted),
                                                     TruncateToInt(input.height * adjusted));
            loader->FreeImagePixels(&input);
            if (!made) {
                loader->FreeImagePixels(&resized);
                return Fail("The input bitmap could not be resized to the output scale.");
            }
            input = resized;
        }
        ResetMetrics();
        font_->isUTF8 = 0;
        const bool extracted = QVI_AllocateFontGlyphs(font_, kLatinGlyphCount) && glyphNodes_ &&
                               QVI_ExtractGlyphsFromBitmap(font_, &input, glyphNodes_, spacing_);
        loader->FreeImagePixels(&input);
        if (!extracted)
            return Fail(kGlyphsReason);
        return true;
    }

    void CutFaintPixels()
    {
        for (int i = 0; i < font_->glyphCount; ++i) {
            const FontGlyph& glyph = font_->glyphs[i];
            if (!HasPixels(glyph))
                continue;
            CutFaintAlpha(glyph.image.pixels, static_cast<size_t>(glyph.image.width) * glyph.image.height);
        }
    }

    void GiveLatinKerningRows()
    {
        if (font_->isUTF8)
            return;
        for (int i = 0; i < font_->glyphCount; ++i) {
            FontGlyph& glyph = font_->glyphs[i];
            free(glyph.kerning);
            glyph.kerning = static_cast<int8_t*>(calloc(static_cast<size_t>(font_->glyphCount), 1));
        }
    }

    // Glyphs tagged DISABLE_AUTOKERN neither kern nor are kerned against.
    void ClearTaggedKerning()
    {
        if (!glyphNodes_)
            return;
        for (int n = 0; n < glyphNodes_->nodes.count; ++n) {
            const DataNode* node = glyphNodes_->nodes.data[n];
            const char* id = node ? node->GetParameter("id") : nullptr;
            if (!id || !QVI_HasToken(node->GetParameter("tags"), "DISABLE_AUTOKERN"))
                continue;
            const int index = QVI_ParseFontSourceInt(id, -1);
            if (index < 0 || index >= font_->glyphCount)
                continue;
            if (font_->glyphs[index].kerning)
                memset(font_->glyphs[index].kerning, 0, static_cast<size_t>(font_->glyphCount));
            for (int i = 0; i < font_->glyphCount; ++i) {
                if (font_->glyphs[i].kerning)
                    font_->glyphs[i].kerning[index] = 0;
            }
        }
    }

    void Finish()
    {
        const bool distanceField = (font_->flags & FONT_DISTANCE_FIELD) != 0;
        const double spread = font_->spread;
        const double scale = font_->scale > 0.0f ? font_->scale : 1.0;

        CutFaintPixels();
        GiveLatinKerningRows();
        if (!QVI_HasToken(s_.tags, "DISABLE_KERN_PAIRING"))
            QVI_ApplyAutomaticKerning(font_, s_.safeZone, s_.kernThreshold);
        if (font_->isUTF8) {
            for (int i = 0; i < font_->glyphCount; ++i) {
                FontGlyph& glyph = font_->glyphs[i];
                if (glyph.codePoint > 255)
                    glyph.advance = static_cast<int16_t>(
                        std::max<int>(INT16_MIN, std::min<int>(INT16_MAX, glyph.advance + spacing_)));
            }
        }

        // The highest glyph top, less a margin of 2 for ordinary fonts, is cut off every glyph.
        double top = 2147483648.0;
        for (int i = 0; i < font_->glyphCount; ++i) {
            if (HasPixels(font_->glyphs[i]))
                top = std::min(top, static_cast<double>(font_->glyphs[i].offsetY));
        }
        if (top == 2147483648.0)
            top = 0.0;  // a font without images has nothing to cut
        if (!distanceField)
            top = top >= 2.0 ? top - 2.0 : 0.0;
        const double cut = spread + top;

        // Kept in doubles: offsets from the source may be large, and nothing here may overflow.
        const double yOffset = s_.yOffset / scale;
        double lineHeight = 0.0;
        int tallestImage = 0;
        for (int i = 0; i < font_->glyphCount; ++i) {
            FontGlyph& glyph = font_->glyphs[i];
            glyph.offsetY = static_cast<float>(glyph.offsetY + yOffset);
            if (!HasPixels(glyph))
                continue;
            glyph.offsetY = static_cast<float>(glyph.offsetY - cut);
            lineHeight = std::max(lineHeight, std::floor(static_cast<double>(glyph.offsetY)) + glyph.image.height);
            tallestImage = std::max(tallestImage, glyph.image.height);
        }
        if (s_.version == 1) {
            lineHeight = tallestImage;
        } else {
            lineHeight -= std::trunc(yOffset);
            if (!distanceField)
                lineHeight -= 2;
        }
        const int height =
            TruncateToInt((TruncateToInt(lineHeight) - spread) * static_cast<double>(s_.heightMultiplier)) +
            (distanceField ? 1 : 0);
        font_->height = height;

        DataArray* effects = source_->FindArray("effects");
        if (effects)
            QVI_ApplyFontColorGradient(font_, effects);
        ClearTaggedKerning();

        double baseline = font_->baseline;
        if (font_->baseline == 0)
            baseline = RoundHalfAway(height * 0.9);
        else
            baseline = (distanceField ? 2 : 3) - static_cast<double>(RoundHalfAway(cut)) + baseline;
        font_->baseline = TruncateToInt(TruncateToInt(baseline) * static_cast<double>(font_->scale));
        font_->lineSpacing = TruncateToInt((static_cast<double>(s_.linePadding) + height) * font_->scale);
        font_->height = TruncateToInt(height * static_cast<double>(font_->scale));
    }

    Font* font_;
    const char* sourceName_;
    Database* source_ = nullptr;
    SourceSettings s_;
    int spacing_ = 0;
    DataArray* glyphNodes_ = nullptr;
};

uint8_t UnitToByte(double value)
{
    return static_cast<uint8_t>(255.0 * std::max(0.0, std::min(1.0, value)));
}

}  // namespace

bool QVI_GenerateFontFromSource(Font* font)
{
    if (!font || QVI_IsEmptyText(font->header.name))
        return false;
    const String sourceName = String::FromFormat("%s.xml", font->header.name);
    if (QVI_StrLen(sourceName.text) > kLargestSourceName) {
        QVI_ReportPopup(QV_LOG_WARNING, "Failed to generate font from source '%s': %s", sourceName.text,
                        "The font's name is too long.");
        return false;
    }
    FontGenerator generator(font, sourceName.text);
    return generator.Run();
}

int QVI_ParseFontSourceInt(const char* text, int fallback)
{
    if (!text)
        return fallback;
    const long long value = strtoll(text, nullptr, 10);
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, value)));
}

bool QVI_GetGlyphSpacing(Font* font, DataArray* glyphs, int spacing)
{
    if (!font || !glyphs)
        return true;
    // Glyph indices by code point, equal code points by index: every node finds its glyph
    // without a pass over all of them.
    std::vector<int> byCodePoint(font->glyphs ? static_cast<size_t>(std::max(font->glyphCount, 0)) : 0);
    for (size_t i = 0; i < byCodePoint.size(); ++i)
        byCodePoint[i] = static_cast<int>(i);
    std::stable_sort(byCodePoint.begin(), byCodePoint.end(), [font](int a, int b) {
        return font->glyphs[a].codePoint < font->glyphs[b].codePoint;
    });
    for (int n = 0; n < glyphs->nodes.count; ++n) {
        const DataNode* node = glyphs->nodes.data[n];
        const char* id = node ? node->GetParameter("id") : nullptr;
        if (!id) {
            QVI_ReportPopup(QV_LOG_WARNING, "No id defined for glyph #%d in font '%s'", n, FontName(font));
            continue;
        }
        const uint32_t codePoint = static_cast<uint32_t>(QVI_ParseFontSourceInt(id, 0));
        // The first glyph of the code point: the lowest index among those that have it.
        const auto found = std::lower_bound(byCodePoint.begin(), byCodePoint.end(), codePoint,
                                            [font](int index, uint32_t wanted) {
                                                return font->glyphs[index].codePoint < wanted;
                                            });
        if (found == byCodePoint.end() || font->glyphs[*found].codePoint != codePoint)
            continue;
        FontGlyph* glyph = &font->glyphs[*found];
        const double total = QVI_ParseFloat(node->GetParameter("spacing"), 0.0f) + static_cast<double>(spacing);
        int extra = TruncateToInt(total + 0.6);
        if (extra < 1 && total > 0)
            extra = 1;
        const bool noImage = QVI_ParseFontSourceInt(node->GetParameter("span"), 1) == 0;
        const int64_t advance = noImage ? extra : static_cast<int64_t>(glyph->advance) + extra;
        if (noImage)
            glyph->offsetX = 0;
        glyph->advance = static_cast<int16_t>(std::max<int64_t>(INT16_MIN, std::min<int64_t>(INT16_MAX, advance)));
    }
    return true;
}

double QVI_SelectFontInputBitmap(const char* nodeId)
{
    if (!nodeId || !QVI_StartsWith(nodeId, "INPUT@"))
        return 1.0;
    const double scale = ParseScale(nodeId + 6, 1.0);
    // The output scale is divided by this one: an input at no scale, a negative one or one
    // divided by zero would make it infinite or turn the image inside out.
    if (!(scale > 0.0) || !std::isfinite(scale)) {
        QVI_Report(QV_LOG_WARNING, "Font input '%s' has an invalid scale; taken as 1.", nodeId);
        return 1.0;
    }
    return scale;
}

void QVI_ApplyFontColorGradient(Font* font, DataArray* effects)
{
    if (!font || !effects || !font->glyphs)
        return;
    const bool bgra = QVI_GetImageChannelOrder() == QV_PIXEL_ORDER_BGRA;
    const int red = bgra ? 2 : 0;
    const int blue = bgra ? 0 : 2;
    for (int n = 0; n < effects->nodes.count; ++n) {
        const DataNode* node = effects->nodes.data[n];
        if (!node)
            continue;
        Color top = {1.0f, 0.0f, 0.0f, 1.0f};
        Color bottom = {0.0f, 0.0f, 1.0f, 1.0f};
        top.SetFromHex(node->GetParameter("color_top"));
        bottom.SetFromHex(node->GetParameter("color_bottom"));
        for (int i = 0; i < font->glyphCount; ++i) {
            const FontGlyph& glyph = font->glyphs[i];
            if (!HasPixels(glyph))
                continue;
            for (int y = 0; y < glyph.image.height; ++y) {
                // A font without height has no line to spread the gradient over: all top colour.
                const double t = font->height > 0 ? (glyph.offsetY + y) / static_cast<double>(font->height) : 0.0;
                const uint8_t r = UnitToByte(bottom.r * (1.0 - t) + top.r * t);
                const uint8_t g = UnitToByte(bottom.g * (1.0 - t) + top.g * t);
                const uint8_t b = UnitToByte(bottom.b * (1.0 - t) + top.b * t);
                const double keep = (1.0 - t) + t;
                uint8_t* pixel = glyph.image.pixels + static_cast<size_t>(y) * glyph.image.width * 4;
                for (int x = 0; x < glyph.image.width; ++x, pixel += 4) {
                    pixel[red] = r;
                    pixel[1] = g;
                    pixel[blue] = b;
                    // (1 - t) + t is 1 up to rounding, which must not eat a step of alpha.
                    const double alpha = pixel[3] * keep + 1e-6;
                    pixel[3] = static_cast<uint8_t>(std::max(0.0, std::min(255.0, alpha)));
                }
            }
        }
    }
}
