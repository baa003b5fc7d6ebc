// Automatic kerning: how far the glyph on the right may move towards the glyph on the left
// before their ink meets, row by row, with a few rows of safety above and below.
//
// A LATIN-1 font compares all 65,536 ordered pairs. Each glyph's rows are therefore measured
// once: per row, the distance from either edge to the first ink, already folded over the
// safe-zone rows around it, laid out on the rows of the whole line. The right edges are also
// kept row by row across the glyphs, so that one pass over a right glyph's rows measures it
// against sixteen left glyphs at a time; a pair alone costs one pass over its rows.
#include <emmintrin.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/engine_log.h"
#include "text/generation/font_generation.h"

namespace {

const int kDefaultSafeZone = 2;
// Glyph indices that never receive or cause kerning: space, '-', '_' and no-break space.
const int kUnkernedGlyphs[] = {32, 45, 95, 160};
// Kerning is stored as a signed byte; beyond this a pair is worth a warning.
const int kLargestQuietKerning = 120;

// Distances are kept in bytes: those of kWide and more saturate, rows without ink are kNone.
// A sum below kWide is therefore exact.
const uint8_t kWide = 254;
const uint8_t kNone = 255;
const int kLanes = 16;
// Left glyphs measured together hold their line rows in bytes: a line taller than this is
// measured pair by pair.
const int kMostBatchedRows = 250;

int RoundHalfAway(double value)
{
    const double rounded = value < 0 ? std::ceil(value - 0.5) : std::floor(value + 0.5);
    if (!(rounded > INT_MIN / 4))
        return INT_MIN / 4;
    if (!(rounded < INT_MAX / 4))
        return INT_MAX / 4;
    return static_cast<int>(rounded);
}

bool HasImage(const FontGlyph& glyph)
{
    return glyph.image.pixels && glyph.image.width > 0 && glyph.image.height > 0;
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

// A safe zone beyond the reach of any row a pair compares gives the same answers as one that
// just covers it; capping it keeps the profiles small whatever the source says.
int EffectiveSafeZone(int safeZone, const Font* font, const std::vector<int>& glyphs)
{
    int tallest = 0;
    int highest = INT_MAX / 4;
    int lowest = INT_MIN / 4;
    for (int index : glyphs) {
        const FontGlyph& glyph = font->glyphs[index];
        const int offset = RoundHalfAway(glyph.offsetY);
        tallest = std::max(tallest, glyph.image.height);
        highest = std::min(highest, offset);
        lowest = std::max(lowest, offset);
    }
    if (tallest == 0)
        return 1;
    const int64_t reach = static_cast<int64_t>(lowest) - highest + 2 * static_cast<int64_t>(tallest);
    return static_cast<int>(std::min<int64_t>(std::max(safeZone, 1), std::max<int64_t>(reach, 1)));
}

// Where a glyph stands on the line's rows.
struct GlyphRows {
    int top = 0;  // the line row of the image's first row
    int height = 0;
    int width = 0;
};

// Every measured glyph's ink profile on the rows of the whole line: per line row, the least
// distance from the glyph's left (right) edge to ink over the image rows within the safe zone.
class LineProfiles {
public:
    LineProfiles(const Font* font, const std::vector<int>& glyphs, int safeZone, float threshold)
        : glyphs_(static_cast<size_t>(font->glyphCount))
    {
        bool ink[256];
        for (int alpha = 0; alpha < 256; ++alpha)
            ink[alpha] = static_cast<float>(alpha) / 255.0f >= threshold;
        int first = INT_MAX;
        int last = INT_MIN;
        for (int index : glyphs) {
            const FontGlyph& glyph = font->glyphs[index];
            GlyphRows& rows = glyphs_[index];
            rows.top = RoundHalfAway(glyph.offsetY);
            rows.height = glyph.image.height;
            rows.width = glyph.image.width;
            first = std::min(first, rows.top - safeZone);
            last = std::max(last, rows.top + rows.height - 1 + safeZone);
        }
        if (glyphs.empty())
            return;
        firstRow_ = first;
        safeZone_ = safeZone;
        stride_ = static_cast<size_t>(last - first + 1) + kLanes;  // a full load from the last row stays inside
        rows_.assign(stride_ * 2 * glyphs_.size(), kNone);
        std::vector<int> left;
        std::vector<int> right;
        for (int index : glyphs) {
            Measure(font->glyphs[index].image, ink, &left, &right);
            const int top = glyphs_[index].top - firstRow_;
            Fold(left, top, safeZone, Left(index));
            Fold(right, top, safeZone, Right(index));
        }
        for (int valid = 0; valid < kLanes; ++valid) {
            for (int lane = 0; lane < kLanes; ++lane)
                tailMasks_[valid][lane] = lane < valid ? 0 : 0xFF;
        }
        const int lineRows = last - first + 1;
        if (lineRows <= kMostBatchedRows)
            LayOutAcross(glyphs, lineRows);
    }

    bool Batched() const { return !acrossTops_.empty(); }

    // For right glyph b against every left glyph, in the order they were given: the least
    // sum as Pair sums it, and from it the kerning's size as Pair answers it (valid where the
    // least sum is below kWide), a byte per lane each. A pair's rows are those of b's safe
    // zones from the higher top, as many as the taller glyph has; beyond either glyph's safe
    // zones its profile is kNone already. The sums are taken inverted, ~(r + l) being
    // ~r - l in saturating bytes, so that rows outside a pair drop out as zeros.
    void LeastSums(int b, uint8_t* least, uint8_t* size)
    {
        const GlyphRows& right = glyphs_[b];
        const int firstRow = right.top - safeZone_ - firstRow_;
        const int lastRow = right.top + right.height - 1 + safeZone_ - firstRow_;
        const uint8_t* leftRows = Left(b);
        for (int r = firstRow; r <= lastRow; ++r)
            memset(&leftAcross_[static_cast<size_t>(r - firstRow) * kLanes], leftRows[r], kLanes);
        const __m128i zero = _mm_setzero_si128();
        const __m128i ones = _mm_set1_epi8(static_cast<char>(0xFF));
        const __m128i one = _mm_set1_epi8(1);
        const __m128i rightTop = _mm_set1_epi8(static_cast<char>(right.top - firstRow_));
        const __m128i rightHeight = _mm_set1_epi8(static_cast<char>(right.height));
        const __m128i rightWidth = _mm_set1_epi8(static_cast<char>(std::min(right.width, static_cast<int>(kNone))));
        const size_t lanes = acrossTops_.size();
        for (size_t block = 0; block < lanes; block += kLanes) {
            const __m128i tops = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&acrossTops_[block]));
            const __m128i heights = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&acrossHeights_[block]));
            const __m128i higher = _mm_min_epu8(tops, rightTop);
            const __m128i lowest = _mm_subs_epu8(_mm_adds_epu8(higher, _mm_max_epu8(heights, rightHeight)), one);
            __m128i largest = zero;
            const uint8_t* across = acrossRight_.data() + static_cast<size_t>(firstRow) * lanes + block;
            const uint8_t* left = leftAcross_.data();
            // Zero exactly where higher <= row <= lowest.
            auto masked = [&](int from, int to) {
                __m128i row = _mm_set1_epi8(static_cast<char>(from));
                for (int r = from; r <= to; ++r, across += lanes, left += kLanes) {
                    const __m128i inverted = _mm_subs_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(across)),
                                                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(left)));
                    const __m128i beyond = _mm_or_si128(_mm_subs_epu8(higher, row), _mm_subs_epu8(row, lowest));
                    largest = _mm_max_epu8(largest, _mm_and_si128(inverted, _mm_cmpeq_epi8(beyond, zero)));
                    row = _mm_add_epi8(row, one);
                }
            };
            // The rows every lane's pair takes need no mask.
            const int middleFirst = std::max(firstRow, LargestLane(higher));
            const int middleLast = std::min(lastRow, SmallestLane(lowest));
            if (middleFirst > middleLast) {
                masked(firstRow, lastRow);
            } else {
                masked(firstRow, middleFirst - 1);
                for (int r = middleFirst; r <= middleLast; ++r, across += lanes, left += kLanes) {
                    const __m128i inverted = _mm_subs_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(across)),
                                                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(left)));
                    largest = _mm_max_epu8(largest, inverted);
                }
                masked(middleLast + 1, lastRow);
            }
            const __m128i smallest = _mm_xor_si128(largest, ones);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(least + block), smallest);
            // The narrower width less one, at least 0, caps the kerning. Widths saturate at
            // kNone, which changes no answer below kWide.
            const __m128i widths = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&acrossWidths_[block]));
            const __m128i limit = _mm_subs_epu8(_mm_min_epu8(widths, rightWidth), one);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(size + block), _mm_min_epu8(limit, smallest));
        }
    }

    size_t BatchedLanes() const { return acrossTops_.size(); }

    // The kerning of right glyph b after left glyph a: minus the narrowest gap between a's
    // ink and b's ink over the rows from the higher glyph's top, as many as the taller one
    // has; at most the narrower width less one. Rows where either has no ink count as that
    // most, so only rows where both have ink are summed. *exact is cleared when the byte
    // distances saturated and the answer must be measured in full.
    int Pair(int a, int b, bool* exact) const
    {
        const GlyphRows& left = glyphs_[a];
        const GlyphRows& right = glyphs_[b];
        const int limit = std::min(left.width, right.width) - 1;
        *exact = true;
        if (limit <= 0)
            return 0;
        // The rows compared start at the higher top, as many as the taller glyph has; of those
        // only the rows that both glyphs' safe zones reach can hold ink of both.
        const int top = std::min(left.top, right.top);
        const int first = std::max(top, std::max(left.top, right.top) - safeZone_);
        const int last = std::min(top + std::max(left.height, right.height),
                                  std::min(left.top + left.height, right.top + right.height) + safeZone_) - 1;
        if (last < first)
            return -limit;
        const size_t start = static_cast<size_t>(first - firstRow_);
        const int least = LeastSum(Right(a) + start, Left(b) + start, last - first + 1);
        if (least < kWide)
            return -std::min(limit, least);
        if (limit <= kWide)
            return -limit;
        *exact = false;
        return 0;
    }

private:
    uint8_t* Left(int glyph) { return rows_.data() + stride_ * 2 * static_cast<size_t>(glyph); }
    uint8_t* Right(int glyph) { return Left(glyph) + stride_; }
    const uint8_t* Left(int glyph) const { return rows_.data() + stride_ * 2 * static_cast<size_t>(glyph); }
    const uint8_t* Right(int glyph) const { return Left(glyph) + stride_; }

    static int SmallestLane(__m128i bytes)
    {
        bytes = _mm_min_epu8(bytes, _mm_srli_si128(bytes, 8));
        bytes = _mm_min_epu8(bytes, _mm_srli_si128(bytes, 4));
        bytes = _mm_min_epu8(bytes, _mm_srli_si128(bytes, 2));
        bytes = _mm_min_epu8(bytes, _mm_srli_si128(bytes, 1));
        return _mm_cvtsi128_si32(bytes) & 0xFF;
    }

    // The largest byte is 255 less the smallest of the bytes inverted.
    static int LargestLane(__m128i bytes) { return 255 - SmallestLane(_mm_xor_si128(bytes, _mm_set1_epi8(-1))); }

    // The right profiles row by row across the glyphs, inverted and padded to whole blocks of
    // lanes that never have ink, with each glyph's top line row, height and width.
    void LayOutAcross(const std::vector<int>& glyphs, int lineRows)
    {
        const size_t lanes = (glyphs.size() + kLanes - 1) / kLanes * kLanes;
        acrossTops_.assign(lanes, 0);
        // A padding lane reaches every row, so that it never narrows the rows all lanes share.
        acrossHeights_.assign(lanes, kNone);
        acrossWidths_.assign(lanes, 0);
        // Inverted: padding lanes and rows without ink hold 0.
        acrossRight_.assign(static_cast<size_t>(lineRows) * lanes, 0);
        leftAcross_.assign(static_cast<size_t>(lineRows) * kLanes, 0);
        for (size_t lane = 0; lane < glyphs.size(); ++lane) {
            const GlyphRows& rows = glyphs_[glyphs[lane]];
            acrossTops_[lane] = static_cast<uint8_t>(rows.top - firstRow_);
            acrossHeights_[lane] = static_cast<uint8_t>(std::min(rows.height, static_cast<int>(kNone)));
            acrossWidths_[lane] = static_cast<uint8_t>(std::min(rows.width, static_cast<int>(kNone)));
            const uint8_t* right = Right(glyphs[lane]);
            for (int r = 0; r < lineRows; ++r)
                acrossRight_[static_cast<size_t>(r) * lanes + lane] = static_cast<uint8_t>(~right[r]);
        }
    }

    // Per image row, the columns from either edge to the first ink; -1 for a row without ink.
    static void Measure(const Bitmap& image, const bool ink[256], std::vector<int>* left, std::vector<int>* right)
    {
        left->assign(static_cast<size_t>(image.height), -1);
        right->assign(static_cast<size_t>(image.height), -1);
        // Alpha / 255 grows with alpha, so ink is every alpha from the first that is ink on.
        int faintest = 0;
        while (faintest < 256 && !ink[faintest])
            ++faintest;
        const __m128i notInk = _mm_set1_epi32(faintest - 1);
        for (int y = 0; y < image.height; ++y) {
            const uint8_t* row = image.pixels + static_cast<size_t>(y) * image.width * 4;
            const int first = FirstInk(row, image.width, notInk, ink);
            if (first == image.width)
                continue;
            (*left)[y] = first;
            (*right)[y] = image.width - 1 - LastInk(row, image.width, notInk, ink);
        }
    }

    // Four pixels at a time: a lane is ink where its alpha is above notInk.
    static int InkLanes(const uint8_t* four, __m128i notInk)
    {
        const __m128i alpha = _mm_srli_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(four)), 24);
        return _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpgt_epi32(alpha, notInk)));
    }

    // The column of the first ink of a row, the width when it has none.
    static int FirstInk(const uint8_t* row, int width, __m128i notInk, const bool ink[256])
    {
        int x = 0;
        for (; x + 4 <= width; x += 4) {
            const int lanes = InkLanes(row + static_cast<size_t>(x) * 4, notInk);
            if (lanes)
                return x + __builtin_ctz(static_cast<unsigned>(lanes));
        }
        while (x < width && !ink[row[static_cast<size_t>(x) * 4 + 3]])
            ++x;
        return x;
    }

    // The column of the last ink of a row that has some.
    static int LastInk(const uint8_t* row, int width, __m128i notInk, const bool ink[256])
    {
        int end = width;
        for (; end >= 4; end -= 4) {
            const int lanes = InkLanes(row + static_cast<size_t>(end - 4) * 4, notInk);
            if (lanes)
                return end - 4 + 31 - __builtin_clz(static_cast<unsigned>(lanes));
        }
        int x = end - 1;
        while (!ink[row[static_cast<size_t>(x) * 4 + 3]])
            --x;
        return x;
    }

    // Every line row within safeZone of an image row with ink sees that row's distance.
    static void Fold(const std::vector<int>& raw, int top, int safeZone, uint8_t* out)
    {
        for (size_t y = 0; y < raw.size(); ++y) {
            if (raw[y] < 0)
                continue;
            const uint8_t distance = static_cast<uint8_t>(std::min<int>(raw[y], kWide));
            uint8_t* row = out + top + static_cast<int>(y) - safeZone;
            for (int dy = 0; dy <= 2 * safeZone; ++dy)
                row[dy] = std::min(row[dy], distance);
        }
    }

    // The least of right[r] + left[r] over count rows, saturating at kNone.
    int LeastSum(const uint8_t* right, const uint8_t* left, int count) const
    {
        __m128i least = _mm_set1_epi8(static_cast<char>(kNone));
        int r = 0;
        for (; r + kLanes <= count; r += kLanes) {
            const __m128i sum = _mm_adds_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(right + r)),
                                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(left + r)));
            least = _mm_min_epu8(least, sum);
        }
        if (r < count) {
            const __m128i sum = _mm_adds_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(right + r)),
                                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(left + r)));
            const __m128i outside = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tailMasks_[count - r]));
            least = _mm_min_epu8(least, _mm_or_si128(sum, outside));
        }
        least = _mm_min_epu8(least, _mm_srli_si128(least, 8));
        least = _mm_min_epu8(least, _mm_srli_si128(least, 4));
        least = _mm_min_epu8(least, _mm_srli_si128(least, 2));
        least = _mm_min_epu8(least, _mm_srli_si128(least, 1));
        return _mm_cvtsi128_si32(least) & 0xFF;
    }

    std::vector<GlyphRows> glyphs_;
    int firstRow_ = 0;
    int safeZone_ = 0;
    size_t stride_ = 0;
    std::vector<uint8_t> rows_;
    // Per number of valid rows in a last, partial load: 0xFF over the rows beyond the pair.
    uint8_t tailMasks_[kLanes][kLanes];
    std::vector<uint8_t> acrossTops_;
    std::vector<uint8_t> acrossHeights_;
    std::vector<uint8_t> acrossWidths_;
    std::vector<uint8_t> acrossRight_;
    // A right glyph's left profile, each row's distance repeated across the lanes.
    std::vector<uint8_t> leftAcross_;
};

// The same measure without byte distances, for one pair.
int MeasurePairInFull(const Font* font, int a, int b, int safeZone, float threshold)
{
    const std::vector<int> pair = {a, b};
    const int zone = EffectiveSafeZone(safeZone, font, pair);
    const FontGlyph* glyphs[2] = {&font->glyphs[a], &font->glyphs[b]};
    std::vector<int> gaps[2];  // a's from the right, b's from the left, per line row
    const int top = std::min(RoundHalfAway(glyphs[0]->offsetY), RoundHalfAway(glyphs[1]->offsetY));
    const int rows = std::max(glyphs[0]->image.height, glyphs[1]->image.height);
    const int limit = std::min(glyphs[0]->image.width, glyphs[1]->image.width) - 1;
    for (int side = 0; side < 2; ++side) {
        const Bitmap& image = glyphs[side]->image;
        const int first = top - RoundHalfAway(glyphs[side]->offsetY);
        gaps[side].assign(static_cast<size_t>(rows), limit);
        for (int r = 0; r < rows; ++r) {
            bool found = false;
            for (int c = 0; c < image.width && !found; ++c) {
                const int x = side == 0 ? image.width - 1 - c : c;
                for (int dy = -zone; dy <= zone && !found; ++dy) {
                    const int y = first + r + dy;
                    found = y >= 0 && y < image.height &&
                            image.pixels[(static_cast<size_t>(y) * image.width + x) * 4 + 3] / 255.0f >= threshold;
                    if (found)
                        gaps[side][r] = c;
                }
            }
        }
    }
    int best = limit;
    for (int r = 0; r < rows; ++r)
        best = std::min(best, gaps[0][r] + gaps[1][r]);
    return -best;
}

// One pair's kerning stored in its row: from its batched least sum when that is below
// kWide, measured alone otherwise, and reported when it is larger than a byte should hold.
__attribute__((noinline)) void KernAlone(const Font* font, const LineProfiles& line, int a, int b, uint8_t least,
                                         uint8_t size, int zone, float threshold, int8_t* row)
{
    bool exact = true;
    // A sum that saturated, or a pair without rows in common, is answered alone.
    int value = least < kWide ? -static_cast<int>(size) : line.Pair(a, b, &exact);
    if (!exact)
        value = MeasurePairInFull(font, a, b, zone, threshold);
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

}  // namespace

int QVI_DetermineKernPairs(Font* font, int left, int right, const int* safeZone, float threshold)
{
    if (!font || !font->glyphs || left < 0 || right < 0 || left >= font->glyphCount || right >= font->glyphCount)
        return 0;
    if (!HasImage(font->glyphs[left]) || !HasImage(font->glyphs[right]))
        return 0;
    return MeasurePairInFull(font, left, right, safeZone ? *safeZone : kDefaultSafeZone, threshold);
}

void QVI_ApplyAutomaticKerning(Font* font, int safeZone, float threshold)
{
    if (!font || !font->glyphs || font->glyphCount <= 0)
        return;
    const int count = font->glyphCount;
    std::vector<int> measured;
    for (int i = 0; i < count; ++i) {
        if (font->glyphs[i].kerning && !IsUnkerned(i) && HasImage(font->glyphs[i]))
            measured.push_back(i);
    }
    const int zone = EffectiveSafeZone(safeZone, font, measured);
    LineProfiles line(font, measured, zone, threshold);
    const bool batched = line.Batched();
    // Lanes without a batched answer read as saturated.
    std::vector<uint8_t> least(std::max(line.BatchedLanes(), measured.size()), kNone);
    std::vector<uint8_t> size(least.size(), 0);
    for (int b = 0; b < count; ++b) {
        int8_t* row = font->glyphs[b].kerning;
        if (!row)
            continue;
        // Pairs with an unkerned glyph or one without an image stay 0.
        memset(row, 0, static_cast<size_t>(count));
        if (IsUnkerned(b) || !HasImage(font->glyphs[b]))
            continue;
        if (batched)
            line.LeastSums(b, least.data(), size.data());
        for (size_t lane = 0; lane < measured.size(); ++lane) {
            // The common pair, batched and quiet, is stored as it is; the rest in the same order.
            if (least[lane] < kWide && size[lane] <= kLargestQuietKerning)
                row[measured[lane]] = static_cast<int8_t>(-static_cast<int>(size[lane]));
            else
                KernAlone(font, line, measured[lane], b, least[lane], size[lane], zone, threshold, row);
        }
    }
}
