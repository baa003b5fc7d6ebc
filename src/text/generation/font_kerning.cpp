// Automatic kerning: how far the glyph on the right may move towards the glyph on the left
// before their ink meets, row by row, with a few rows of safety above and below.
//
// A LATIN-1 font compares all 65,536 ordered pairs. Each glyph's rows are therefore measured
// once: per row, the distance from either edge to the first ink, already folded over the
// safe-zone rows around it. A pair then costs one pass over its rows.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/engine_log.h"
#include "text/generation/font_generation.h"

namespace {

const int kNoInk = INT_MAX / 4;
const int kDefaultSafeZone = 2;
// Glyph indices that never receive or cause kerning: space, '-', '_' and no-break space.
const int kUnkernedGlyphs[] = {32, 45, 95, 160};
// Kerning is stored as a signed byte; beyond this a pair is worth a warning.
const int kLargestQuietKerning = 120;

int RoundHalfAway(double value)
{
    const double rounded = value < 0 ? std::ceil(value - 0.5) : std::floor(value + 0.5);
    if (!(rounded > INT_MIN / 2))
        return INT_MIN / 2;
    if (!(rounded < INT_MAX / 2))
        return INT_MAX / 2;
    return static_cast<int>(rounded);
}

// Which alpha values count as ink for a threshold given as a fraction of 255.
struct InkTable {
    bool ink[256];
    explicit InkTable(float threshold)
    {
        for (int alpha = 0; alpha < 256; ++alpha)
            ink[alpha] = static_cast<float>(alpha) / 255.0f >= threshold;
    }
};

// One glyph's ink as seen from its left and right edges. Row y (of the glyph's own image,
// -safeZone to height - 1 + safeZone) is stored at index y + safeZone and holds the least
// distance to ink over rows y - safeZone to y + safeZone of the image.
struct InkProfile {
    bool usable = false;
    int width = 0;
    int height = 0;
    int safeZone = 0;
    int roundedOffsetY = 0;
    std::vector<int> fromLeft;
    std::vector<int> fromRight;

    int Gap(const std::vector<int>& side, int y, int limit) const
    {
        const int index = y + safeZone;
        if (index < 0 || index >= static_cast<int>(side.size()) || side[index] == kNoInk)
            return limit;
        return side[index];
    }
};

bool HasImage(const FontGlyph& glyph)
{
    return glyph.image.pixels && glyph.image.width > 0 && glyph.image.height > 0;
}

// Least of raw over the rows within safeZone of each profile row, clipped to the image.
void FoldRows(const std::vector<int>& raw, int safeZone, std::vector<int>* folded)
{
    const int height = static_cast<int>(raw.size());
    folded->assign(static_cast<size_t>(height) + 2 * static_cast<size_t>(safeZone), kNoInk);
    for (int row = 0; row < height; ++row) {
        if (raw[row] == kNoInk)
            continue;
        // Every profile row within safeZone of this image row sees its ink.
        const int first = row;                  // profile index of row - safeZone
        const int last = row + 2 * safeZone;    // profile index of row + safeZone
        for (int index = first; index <= last; ++index)
            (*folded)[index] = std::min((*folded)[index], raw[row]);
    }
}

void MeasureProfile(const FontGlyph& glyph, int safeZone, const InkTable& table, InkProfile* profile)
{
    profile->usable = HasImage(glyph);
    if (!profile->usable)
        return;
    const Bitmap& image = glyph.image;
    profile->width = image.width;
    profile->height = image.height;
    profile->safeZone = safeZone;
    profile->roundedOffsetY = RoundHalfAway(glyph.offsetY);
    std::vector<int> left(static_cast<size_t>(image.height), kNoInk);
    std::vector<int> right(static_cast<size_t>(image.height), kNoInk);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* alpha = image.pixels + static_cast<size_t>(y) * image.width * 4 + 3;
        for (int x = 0; x < image.width; ++x) {
            if (table.ink[alpha[static_cast<size_t>(x) * 4]]) {
                left[y] = x;
                break;
            }
        }
        if (left[y] == kNoInk)
            continue;
        for (int x = image.width - 1; x >= 0; --x) {
            if (table.ink[alpha[static_cast<size_t>(x) * 4]]) {
                right[y] = image.width - 1 - x;
                break;
            }
        }
    }
    FoldRows(left, safeZone, &profile->fromLeft);
    FoldRows(right, safeZone, &profile->fromRight);
}

// The kerning of right glyph b after left glyph a: minus the narrowest gap between a's ink
// and b's ink over the rows both span, measured from the line that the higher one starts on.
int PairValue(const InkProfile& a, const InkProfile& b)
{
    if (!a.usable || !b.usable)
        return 0;
    const int rows = std::max(a.height, b.height);
    const int top = std::min(a.roundedOffsetY, b.roundedOffsetY);
    const int startA = top - a.roundedOffsetY;
    const int startB = top - b.roundedOffsetY;
    const int limit = std::min(a.width, b.width) - 1;
    int best = limit;
    for (int r = 0; r < rows && best > 0; ++r) {
        const int gap = a.Gap(a.fromRight, startA + r, limit) + b.Gap(b.fromLeft, startB + r, limit);
        best = std::min(best, gap);
    }
    return -best;
}

// A safe zone beyond the reach of any row a pair compares gives the same answers as one
// that just covers it; capping it keeps the profiles small whatever the source says.
int EffectiveSafeZone(int safeZone, const FontGlyph* const* glyphs, int count)
{
    int tallest = 0;
    int highest = INT_MAX / 2;
    int lowest = INT_MIN / 2;
    for (int i = 0; i < count; ++i) {
        if (!glyphs[i] || !HasImage(*glyphs[i]))
            continue;
        const int offset = RoundHalfAway(glyphs[i]->offsetY);
        tallest = std::max(tallest, glyphs[i]->image.height);
        highest = std::min(highest, offset);
        lowest = std::max(lowest, offset);
    }
    if (tallest == 0)
        return 1;
    const int64_t reach = static_cast<int64_t>(lowest) - highest + 2 * static_cast<int64_t>(tallest);
    const int64_t capped = std::min<int64_t>(std::max(safeZone, 1), std::max<int64_t>(reach, 1));
    return static_cast<int>(std::min<int64_t>(capped, INT_MAX / 8));
}

bool IsUnkerned(int index)
{
    for (int code : kUnkernedGlyphs) {
        if (index == code)
            return true;
    }
    return false;
}

int8_t ClampToSignedByte(int value)
{
    return static_cast<int8_t>(std::max(-127, std::min(127, value)));
}

}  // namespace

int QVI_DetermineKernPairs(Font* font, int left, int right, const int* safeZone, float threshold)
{
    if (!font || !font->glyphs || left < 0 || right < 0 || left >= font->glyphCount || right >= font->glyphCount)
        return 0;
    const FontGlyph* pair[2] = {&font->glyphs[left], &font->glyphs[right]};
    const int zone = EffectiveSafeZone(safeZone ? *safeZone : kDefaultSafeZone, pair, 2);
    const InkTable table(threshold);
    InkProfile a;
    InkProfile b;
    MeasureProfile(*pair[0], zone, table, &a);
    MeasureProfile(*pair[1], zone, table, &b);
    return PairValue(a, b);
}

void QVI_ApplyAutomaticKerning(Font* font, int safeZone, float threshold)
{
    if (!font || !font->glyphs || font->glyphCount <= 0)
        return;
    const int count = font->glyphCount;
    std::vector<const FontGlyph*> kerned(static_cast<size_t>(count), nullptr);
    for (int i = 0; i < count; ++i) {
        if (font->glyphs[i].kerning)
            kerned[i] = &font->glyphs[i];
    }
    const int zone = EffectiveSafeZone(safeZone, kerned.data(), count);
    const InkTable table(threshold);
    std::vector<InkProfile> profiles(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        if (kerned[i] && !IsUnkerned(i))
            MeasureProfile(*kerned[i], zone, table, &profiles[i]);
    }
    for (int b = 0; b < count; ++b) {
        int8_t* row = font->glyphs[b].kerning;
        if (!row)
            continue;
        for (int a = 0; a < count; ++a) {
            if (!kerned[a])
                continue;
            const int value = IsUnkerned(a) || IsUnkerned(b) ? 0 : PairValue(profiles[a], profiles[b]);
            if (std::abs(value) > kLargestQuietKerning) {
                QVI_ReportPopup(QV_LOG_WARNING,
                                "Sanity check fail: QVI_DetermineKernPairs for chars #%d and #%d has too large padding "
                                "(%d) and kern_padding (%d) total. Total needs to fit into 8-bit signed int in "
                                "selected mft format!",
                                a, b, value, 0);
            }
            // Clamped rather than wrapped: a wrapped value would push the pair apart instead.
            row[a] = ClampToSignedByte(value);
        }
    }
}
