// Pixel work on the CPU: filtering, bleeding, scaling, comparing, atlas packing and
// distance fields.
#include "graphics/bitmaps/bitmap_pixels.h"

#include <emmintrin.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/bitmap_scaler.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/renderer/bitmap_texture_packer.h"
#include "graphics/renderer/renderer_codes.h"

namespace {

const int kWeightOne = 1 << kSampleWeightBits;
const int kLargestResizedSide = 65534;
// Atlas sides: powers of two from 2^(L - 5) to 2^L, L from 10 up to 12.
const int kFirstAtlasExponent = 10;
const int kLastAtlasExponent = 12;
const int kAtlasExponentSpan = 5;
const int kLargestAtlasLimit = 8192;
// Space left around every packed bitmap.
const int kAtlasGap = 2;
// Distance fields: a pixel is inside when its alpha and one colour byte reach this.
const int kInsideThreshold = 128;

const char* NameOrNull(const Bitmap* bitmap)
{
    return bitmap && bitmap->header.name ? bitmap->header.name : "(null)";
}

bool HasAlpha(const Bitmap* bitmap)
{
    return (bitmap->flags & kBitmapHasAlpha) != 0;
}

uint8_t* PixelAt(const Bitmap* bitmap, int x, int y)
{
    return bitmap->pixels + (static_cast<size_t>(y) * bitmap->width + x) * 4;
}

uint32_t Pack(const uint8_t bytes[4])
{
    uint32_t value;
    memcpy(&value, bytes, 4);
    return value;
}

void Unpack(uint32_t value, uint8_t bytes[4])
{
    memcpy(bytes, &value, 4);
}

// The alpha byte of a pixel taken as a word.
uint32_t AlphaMask()
{
    uint8_t bytes[4] = {0, 0, 0, 0};
    bytes[kPixelAlphaByte] = 0xFF;
    return Pack(bytes);
}

int NextPowerOfTwo(int value)
{
    int power = 1;
    while (power < value && power < (1 << 30))
        power <<= 1;
    return power;
}

// The smaller side over the larger.
double Squareness(int width, int height)
{
    return width < height ? static_cast<double>(width) / height : static_cast<double>(height) / width;
}

// The shelf layout of a packing trial: each bitmap's place, or false when one does not fit.
bool LayOut(Bitmap** bitmaps, int count, int tallest, int width, int height, int* placesX, int* placesY)
{
    int x = kAtlasGap;
    int y = kAtlasGap;
    for (int i = 0; i < count; ++i) {
        const int bitmapWidth = bitmaps[i]->width;
        if (x + kAtlasGap + bitmapWidth > width) {
            y += tallest + kAtlasGap;
            x = kAtlasGap;
        }
        if (y + tallest + kAtlasGap > height || x + kAtlasGap + bitmapWidth > width)
            return false;
        if (placesX) {
            placesX[i] = x;
            placesY[i] = y;
        }
        x += kAtlasGap + bitmapWidth;
    }
    return true;
}

// One transparent pixel takes the colour of the last of its neighbours above, right, below
// and left that has alpha, keeping its own alpha of 0; neighbours outside the bitmap never
// count. Answers 1 when the pixel changed.
int BleedPixel(uint8_t* row, const uint8_t* above, const uint8_t* below, int x, int width, uint32_t alphaMask)
{
    const uint32_t pixel = Pack(row + 4 * x);
    if (pixel & alphaMask)
        return 0;
    uint32_t bled = pixel;
    uint32_t neighbour;
    if (above && ((neighbour = Pack(above + 4 * x)) & alphaMask))
        bled = neighbour & ~alphaMask;
    if (x + 1 < width && ((neighbour = Pack(row + 4 * (x + 1))) & alphaMask))
        bled = neighbour & ~alphaMask;
    if (below && ((neighbour = Pack(below + 4 * x)) & alphaMask))
        bled = neighbour & ~alphaMask;
    if (x > 0 && ((neighbour = Pack(row + 4 * (x - 1))) & alphaMask))
        bled = neighbour & ~alphaMask;
    if (bled == pixel)
        return 0;
    memcpy(row + 4 * x, &bled, 4);
    return 1;
}

// Four pixels at a time: each lane takes the last of above, right, below and left that has
// alpha, and only transparent lanes take it. Neighbours are loaded before the four are
// stored, which changes nothing: a stored pixel stays transparent and never counts.
int BleedFour(uint8_t* at, const uint8_t* above, const uint8_t* below, __m128i alpha, __m128i colour)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i transparent = _mm_cmpeq_epi32(_mm_and_si128(pixels, alpha), zero);
    if (_mm_movemask_epi8(transparent) == 0)
        return 0;
    __m128i bled = pixels;
    const __m128i neighbours[4] = {
        above ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(above)) : zero,
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 4)),
        below ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(below)) : zero,
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(at - 4)),
    };
    for (const __m128i& neighbour : neighbours) {
        const __m128i without = _mm_cmpeq_epi32(_mm_and_si128(neighbour, alpha), zero);
        bled = _mm_or_si128(_mm_and_si128(without, bled), _mm_andnot_si128(without, _mm_and_si128(neighbour, colour)));
    }
    const __m128i result = _mm_or_si128(_mm_and_si128(transparent, bled), _mm_andnot_si128(transparent, pixels));
    const int same = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(result, pixels)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), result);
    // Lanes left as they were, per 4-bit mask: without a popcount instruction on the target
    // the builtin is a library call.
    static const int kSameLanes[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};
    return 4 - kSameLanes[same & 0xF];
}

// Every transparent pixel of the region [x0, x1) x [y0, y1) bled as BleedPixel does. A pixel
// bled earlier stays transparent and so never counts as a neighbour: regions may be bled in
// any order, and bleeding one twice changes nothing the second time.
int BleedRegion(Bitmap* bitmap, int x0, int y0, int x1, int y1)
{
    const uint32_t alphaMask = AlphaMask();
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(alphaMask));
    const __m128i colour = _mm_set1_epi32(static_cast<int>(~alphaMask));
    const int width = bitmap->width;
    const int height = bitmap->height;
    const size_t stride = static_cast<size_t>(width) * 4;
    x0 = x0 > 0 ? x0 : 0;
    y0 = y0 > 0 ? y0 : 0;
    x1 = x1 < width ? x1 : width;
    y1 = y1 < height ? y1 : height;
    int changed = 0;
    for (int y = y0; y < y1; ++y) {
        uint8_t* row = PixelAt(bitmap, 0, y);
        const uint8_t* above = y > 0 ? row - stride : nullptr;
        const uint8_t* below = y + 1 < height ? row + stride : nullptr;
        int x = x0;
        // The four-pixel steps need a left neighbour and the pixel after the four in the row.
        if (x == 0 && x < x1)
            changed += BleedPixel(row, above, below, x++, width, alphaMask);
        for (; x + 4 < width && x + 4 <= x1; x += 4)
            changed += BleedFour(row + 4 * x, above ? above + 4 * x : nullptr, below ? below + 4 * x : nullptr,
                                 alpha, colour);
        for (; x < x1; ++x)
            changed += BleedPixel(row, above, below, x, width, alphaMask);
    }
    return changed;
}

// Whether every pixel of the bitmap, transparent or not, has the same colour bytes: the glyph
// images of a plain font are white throughout, and only their alpha differs.
bool HasOneColour(const Bitmap* bitmap)
{
    const uint32_t colourMask = ~AlphaMask();
    const uint32_t first = Pack(bitmap->pixels) & colourMask;
    const __m128i mask = _mm_set1_epi32(static_cast<int>(colourMask));
    const __m128i wanted = _mm_set1_epi32(static_cast<int>(first));
    const size_t count = static_cast<size_t>(bitmap->width) * bitmap->height;
    const uint8_t* pixels = bitmap->pixels;
    size_t p = 0;
    __m128i differs = _mm_setzero_si128();
    for (; p + 4 <= count; p += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 4 * p));
        differs = _mm_or_si128(differs, _mm_xor_si128(_mm_and_si128(four, mask), wanted));
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(differs, _mm_setzero_si128())) != 0xFFFF)
        return false;
    for (; p < count; ++p) {
        if ((Pack(pixels + 4 * p) & colourMask) != first)
            return false;
    }
    return true;
}

// Bleeds a packed bitmap's place in the atlas and its border of one pixel. Inside a bitmap
// of one colour a transparent pixel can only take that colour, which it has already (its
// other neighbours are the transparent border), so only the border is bled there. A border
// pixel's other neighbours lie in the gap between places, transparent however they were
// bled, so it takes the colour exactly where the bitmap's pixel beside it has alpha.
void BleedPlace(Bitmap* atlas, const Bitmap* bitmap, int x, int y)
{
    static_assert(kAtlasGap >= 2, "the borders of neighbouring places must not meet");
    const int width = bitmap->width;
    const int height = bitmap->height;
    if (!HasOneColour(bitmap)) {
        BleedRegion(atlas, x - 1, y - 1, x + width + 1, y + height + 1);
        return;
    }
    const uint32_t alphaMask = AlphaMask();
    uint8_t colour[4];
    Unpack(Pack(bitmap->pixels) & ~alphaMask, colour);
    auto bleedBeside = [alphaMask, &colour](const uint8_t* inside, uint8_t* border) {
        if (Pack(inside) & alphaMask)
            memcpy(border, colour, 4);
    };
    for (int i = 0; i < width; ++i) {
        bleedBeside(PixelAt(bitmap, i, 0), PixelAt(atlas, x + i, y - 1));
        bleedBeside(PixelAt(bitmap, i, height - 1), PixelAt(atlas, x + i, y + height));
    }
    for (int row = 0; row < height; ++row) {
        bleedBeside(PixelAt(bitmap, 0, row), PixelAt(atlas, x - 1, y + row));
        bleedBeside(PixelAt(bitmap, width - 1, row), PixelAt(atlas, x + width, y + row));
    }
}

// What packing needs of every bitmap: a record with pixels and a positive size.
bool PackableBitmaps(Bitmap** bitmaps, int count)
{
    if (!bitmaps) {
        QVI_Report(QV_LOG_ERROR, "QVI_PackBitmaps got no bitmap list.");
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const Bitmap* bitmap = bitmaps[i];
        if (!bitmap || !bitmap->pixels || bitmap->width <= 0 || bitmap->height <= 0) {
            QVI_Report(QV_LOG_ERROR, "QVI_PackBitmaps: bitmap #%d '%s' has no pixels to pack.", i,
                       NameOrNull(bitmap));
            return false;
        }
    }
    return true;
}

// The atlas record: outside the pool, named "atlas", a 2D bitmap without padding.
void MakeAtlasRecord(Bitmap* atlas)
{
    QVI_GetImageLoader()->FreeImagePixels(atlas);
    free(atlas->header.name);
    memset(atlas, 0, sizeof(*atlas));
    atlas->header.name = QVI_StrDup("atlas");
    atlas->header.hash = QVI_HashString(atlas->header.name);
    atlas->header.type = 1;
    atlas->header.refCount = 1;
    atlas->depth = 1;
    atlas->format = QV_TEXTURE_FORMAT_RGBA8;
    atlas->textureType = QV_TEXTURE_TYPE_2D;
    atlas->mipLevels = 1;
    atlas->state = BITMAP_REGISTERED;
    atlas->packMode = kNoPadding;
}

}  // namespace

uint32_t QVI_GetBitmapPixelClamped(const Bitmap* bitmap, int x, int y)
{
    if (!bitmap || !bitmap->pixels || bitmap->width <= 0 || bitmap->height <= 0)
        return 0;
    const bool outside = x < 0 || y < 0 || x >= bitmap->width || y >= bitmap->height;
    x = x < 0 ? 0 : (x >= bitmap->width ? bitmap->width - 1 : x);
    y = y < 0 ? 0 : (y >= bitmap->height ? bitmap->height - 1 : y);
    uint8_t bytes[4];
    memcpy(bytes, PixelAt(bitmap, x, y), 4);
    if (outside && HasAlpha(bitmap))
        bytes[kPixelAlphaByte] = 0;
    return Pack(bytes);
}

uint32_t QVI_SampleBitmapBilinear(const Bitmap* bitmap, double u, double v)
{
    if (!bitmap)
        return 0;
    const double fx = bitmap->width * u;
    const double fy = bitmap->height * v;
    const int x0 = static_cast<int>(fx);
    const int y0 = static_cast<int>(fy);
    const uint32_t wx = static_cast<uint32_t>((fx - x0) * kWeightOne);
    const uint32_t wy = static_cast<uint32_t>((fy - y0) * kWeightOne);
    const uint32_t weights[4] = {(kWeightOne - wx) * (kWeightOne - wy), wx * (kWeightOne - wy),
                                 (kWeightOne - wx) * wy, wx * wy};
    uint8_t corners[4][4];
    Unpack(QVI_GetBitmapPixelClamped(bitmap, x0, y0), corners[0]);
    Unpack(QVI_GetBitmapPixelClamped(bitmap, x0 + 1, y0), corners[1]);
    Unpack(QVI_GetBitmapPixelClamped(bitmap, x0, y0 + 1), corners[2]);
    Unpack(QVI_GetBitmapPixelClamped(bitmap, x0 + 1, y0 + 1), corners[3]);
    uint8_t result[4];
    for (int channel = 0; channel < 4; ++channel) {
        uint64_t sum = 0;
        for (int corner = 0; corner < 4; ++corner)
            sum += static_cast<uint64_t>(corners[corner][channel]) * weights[corner];
        sum >>= 2 * kSampleWeightBits;
        result[channel] = static_cast<uint8_t>(sum > 255 ? 255 : sum);
    }
    return Pack(result);
}

uint32_t QVI_SampleBitmapArea(const Bitmap* bitmap, double u, double v, double du, double dv)
{
    if (!bitmap || bitmap->width <= 0 || bitmap->height <= 0)
        return 0;
    const double startX = bitmap->width * u;
    const double startY = bitmap->height * v;
    double colourSums[3] = {0.0, 0.0, 0.0};
    double alphaSum = 0.0;
    int covered = 0;
    int samples = 0;
    for (double y = startY; y <= startY + dv; y += 1.0) {
        for (double x = startX; x <= startX + du; x += 1.0) {
            uint8_t bytes[4];
            Unpack(QVI_SampleBitmapBilinear(bitmap, x / bitmap->width, y / bitmap->height), bytes);
            if (bytes[kPixelAlphaByte] > 0) {
                for (int channel = 0; channel < 3; ++channel)
                    colourSums[channel] += bytes[channel] / 255.0;
                ++covered;
            }
            alphaSum += bytes[kPixelAlphaByte] / 255.0;
            ++samples;
        }
    }
    uint8_t result[4] = {255, 255, 255, 0};
    if (covered > 0) {
        for (int channel = 0; channel < 3; ++channel)
            result[channel] = QVI_SampleToByte(colourSums[channel] / covered);
    }
    if (samples > 0)
        result[kPixelAlphaByte] = QVI_SampleToByte(alphaSum / samples);
    return Pack(result);
}

int QVI_BleedTransparentPixels(Bitmap* bitmap)
{
    if (!bitmap || !bitmap->pixels || !HasAlpha(bitmap) || bitmap->width <= 0 || bitmap->height <= 0)
        return 0;
    const uint32_t alphaMask = AlphaMask();
    // Rows holding no alpha at all, with none above or below, have nothing to bleed.
    std::vector<uint8_t> rowHasAlpha(static_cast<size_t>(bitmap->height));
    for (int y = 0; y < bitmap->height; ++y) {
        const uint8_t* row = PixelAt(bitmap, 0, y);
        uint32_t any = 0;
        for (int x = 0; x < bitmap->width; ++x)
            any |= Pack(row + 4 * x);
        rowHasAlpha[y] = (any & alphaMask) != 0;
    }
    int changed = 0;
    for (int y = 0; y < bitmap->height; ++y) {
        const bool near = rowHasAlpha[y] || (y > 0 && rowHasAlpha[y - 1]) ||
                          (y + 1 < bitmap->height && rowHasAlpha[y + 1]);
        if (near)
            changed += BleedRegion(bitmap, 0, y, bitmap->width, y + 1);
    }
    return changed;
}

bool QVI_CreateImageResized(Bitmap* target, Bitmap* source, int width, int height)
{
    if (!target) {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_CreateImageResized bm_target is null.");
        return false;
    }
    if (!source) {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_CreateImageResized bm_source is null.");
        return false;
    }
    if (!source->pixels) {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_CreateImageResized bm_source '%s' has no pixels.", NameOrNull(source));
        return false;
    }
    if (width < 1 || width > kLargestResizedSide || height < 1 || height > kLargestResizedSide) {
        QVI_Report(QV_LOG_WARNING, "QVI_CreateImageResized: size %dx%d of '%s' is out of range.", width, height,
                   NameOrNull(source));
        return false;
    }

    ImageLoaderImp* loader = QVI_GetImageLoader();
    loader->FreeImagePixels(target);
    loader->AllocateImagePixels(target, width, height);
    if (!target->pixels)
        return false;
    QVI_BleedTransparentPixels(source);
    target->flags = static_cast<uint8_t>((target->flags & ~kBitmapHasAlpha) | (source->flags & kBitmapHasAlpha));

    if (width == source->width && height == source->height) {
        memcpy(target->pixels, source->pixels, static_cast<size_t>(width) * height * 4);
    } else {
        QVI_ScaleBitmapPixels(source, target);
    }
    if (HasAlpha(source))
        QVI_BleedTransparentPixels(target);
    return true;
}

bool BitmapPixelsMatch(const Bitmap* a, const Bitmap* b)
{
    if (!a || !b || !a->pixels || !b->pixels) {
        QVI_Report(QV_LOG_WARNING, "BitmapPixelsMatch got bad parameters.");
        return false;
    }
    if (a->width != b->width || a->height != b->height)
        return false;
    // Differences up to 3 in a channel count as equal (compression noise), 4 does not.
    const double kTolerance = 3.0 / 255.0;
    const size_t bytes = static_cast<size_t>(a->width) * a->height * 4;
    double total = 0.0;
    for (size_t i = 0; i < bytes; ++i) {
        const double difference = std::abs(static_cast<int>(a->pixels[i]) - static_cast<int>(b->pixels[i])) / 255.5;
        if (difference > kTolerance)
            return false;
        total += difference;
    }
    if (total > 0.0)
        QVI_Report(QV_LOG_INFO, "Total difference is %d units", static_cast<int>(total * 255.0));
    return true;
}

bool QVI_PackBitmaps(Bitmap* atlas, Bitmap** bitmaps, int count, int maxWidth, int maxHeight)
{
    if (count <= 0) {
        QVI_Report(QV_LOG_WARNING, "WARNING: Failed to tile %d bitmaps into any atlas.", count);
        return false;
    }
    if (!atlas) {
        QVI_Report(QV_LOG_ERROR, "QVI_PackBitmaps got a null atlas.");
        return false;
    }
    if (!PackableBitmaps(bitmaps, count))
        return false;
    maxWidth = maxWidth > kLargestAtlasLimit ? kLargestAtlasLimit : maxWidth;
    maxHeight = maxHeight > kLargestAtlasLimit ? kLargestAtlasLimit : maxHeight;
    MakeAtlasRecord(atlas);

    int tallest = 0;
    double pixelArea = 0.0;
    double powerOfTwoArea = 0.0;
    for (int i = 0; i < count; ++i) {
        const Bitmap* bitmap = bitmaps[i];
        tallest = bitmap->height > tallest ? bitmap->height : tallest;
        pixelArea += static_cast<double>(bitmap->width) * bitmap->height;
        powerOfTwoArea += static_cast<double>(NextPowerOfTwo(bitmap->width)) * NextPowerOfTwo(bitmap->height);
    }

    int64_t bestArea = 4 * static_cast<int64_t>(maxWidth > 0 ? maxWidth : 0) * (maxHeight > 0 ? maxHeight : 0);
    double bestSquareness = 0.0;
    int bestWidth = 0;
    int bestHeight = 0;
    for (int last = kFirstAtlasExponent; last <= kLastAtlasExponent && bestWidth == 0; ++last) {
        for (int heightExponent = last - kAtlasExponentSpan; heightExponent <= last; ++heightExponent) {
            for (int widthExponent = last - kAtlasExponentSpan; widthExponent <= last; ++widthExponent) {
                const int width = 1 << widthExponent;
                const int height = 1 << heightExponent;
                const int64_t area = static_cast<int64_t>(width) * height;
                if (width > maxWidth || height > maxHeight || area > bestArea)
                    continue;
                if (area == bestArea && Squareness(width, height) < bestSquareness)
                    continue;
                if (!LayOut(bitmaps, count, tallest, width, height, nullptr, nullptr))
                    continue;
                QVI_Report(QV_LOG_INFO, "Fits into %dx%d (%.2f full)", width, height, pixelArea / area);
                bestArea = area;
                bestSquareness = Squareness(width, height);
                bestWidth = width;
                bestHeight = height;
            }
        }
    }
    if (bestWidth == 0) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "QVI_PackBitmaps unable to find large enough atlas size for %d bitmaps (first bm size "
                        "%dx%d). All bitmaps need to fit into %dx%d atlas for 100%% cross-platform compatibility.",
                        count, bitmaps[0]->width, bitmaps[0]->height, maxWidth, maxHeight);
        return false;
    }

    QVI_Report(QV_LOG_INFO, "Choosing %dx%d, packing pixels... (ratio %.2f vs single images)", bestWidth, bestHeight,
               powerOfTwoArea / (static_cast<double>(bestWidth) * bestHeight));
    atlas->pixels = static_cast<uint8_t*>(calloc(static_cast<size_t>(bestWidth) * bestHeight, 4));
    int* places = static_cast<int*>(malloc(sizeof(int) * 2 * static_cast<size_t>(count)));
    if (!atlas->pixels || !places) {
        QVI_Report(QV_LOG_ERROR, "QVI_PackBitmaps unable to get %dx%d atlas pixels.", bestWidth, bestHeight);
        free(places);
        QVI_GetImageLoader()->FreeImagePixels(atlas);
        return false;
    }
    atlas->width = atlas->textureWidth = bestWidth;
    atlas->height = atlas->textureHeight = bestHeight;
    LayOut(bitmaps, count, tallest, bestWidth, bestHeight, places, places + count);
    for (int i = 0; i < count; ++i) {
        Bitmap* bitmap = bitmaps[i];
        const int x = places[i];
        const int y = places[count + i];
        for (int row = 0; row < bitmap->height; ++row)
            memcpy(PixelAt(atlas, x, y + row), PixelAt(bitmap, 0, row), static_cast<size_t>(bitmap->width) * 4);
        bitmap->hardware.left = static_cast<float>(x) / bestWidth;
        bitmap->hardware.top = static_cast<float>(y) / bestHeight;
        bitmap->hardware.right = static_cast<float>(x + bitmap->width) / bestWidth;
        bitmap->hardware.bottom = static_cast<float>(y + bitmap->height) / bestHeight;
    }
    // The gaps take the colour of their neighbours, so filtering at an edge does not pull
    // black into the image. Only pixels next to a bitmap can change (the rest of the atlas
    // is transparent black with transparent neighbours), so each bitmap's place and its
    // border of one pixel are bled once all bitmaps are in.
    atlas->flags |= kBitmapHasAlpha;
    for (int i = 0; i < count; ++i)
        BleedPlace(atlas, bitmaps[i], places[i], places[count + i]);
    free(places);
    QVI_Report(QV_LOG_INFO, "Successfully packed %d bitmaps into %dx%d atlas.", count, bestWidth, bestHeight);
    return true;
}

float QVI_ComputeDistanceFieldPixel(const Bitmap* bitmap, int spread, int x, int y)
{
    if (!bitmap || !bitmap->pixels || x < 0 || y < 0 || x >= bitmap->width || y >= bitmap->height || spread < 0)
        return 0.0f;
    auto inside = [bitmap](int px, int py) {
        const uint8_t* pixel = PixelAt(bitmap, px, py);
        return pixel[kPixelAlphaByte] >= kInsideThreshold &&
               (pixel[0] >= kInsideThreshold || pixel[1] >= kInsideThreshold || pixel[2] >= kInsideThreshold);
    };
    const bool here = inside(x, y);
    int64_t nearest = static_cast<int64_t>(spread) * spread;
    const int left = x - spread > 0 ? x - spread : 0;
    const int right = x + spread < bitmap->width - 1 ? x + spread : bitmap->width - 1;
    const int top = y - spread > 0 ? y - spread : 0;
    const int bottom = y + spread < bitmap->height - 1 ? y + spread : bitmap->height - 1;
    for (int py = top; py <= bottom; ++py) {
        for (int px = left; px <= right; ++px) {
            if (inside(px, py) == here)
                continue;
            const int64_t dx = px - x;
            const int64_t dy = py - y;
            if (dx * dx + dy * dy < nearest)
                nearest = dx * dx + dy * dy;
        }
    }
    const float distance = std::sqrt(static_cast<float>(nearest));
    return here ? distance : -distance;
}
