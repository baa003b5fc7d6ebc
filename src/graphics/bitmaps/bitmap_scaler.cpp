// Scaling a bitmap's pixels to a new size, row by row.
//
// A bilinear sample depends on its column (the two source columns and the weight between
// them) and on its row (the same for rows) separately, so both are found once per target
// column and per target row, with the same double arithmetic as the one-sample functions
// so that every truncation falls the same way. A target row then needs one row of samples
// for each of its sample rows; consecutive target rows share sample rows at most ratios
// (halving shares one of three), and those rows are made once. The fixed-point sum of the
// four corners is split into a blend across and a blend down, which gives the same integer
// because every product is exact. The area average keeps the sum of doubles sample by
// sample in the same order, since its truncation to a byte depends on every rounding.
#include "graphics/bitmaps/bitmap_scaler.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "graphics/bitmaps/bitmap_pool.h"

namespace {

const uint32_t kWeightOne = 1u << kSampleWeightBits;

// One sample position along an axis: the two source indexes it blends, clamped into the
// bitmap, the weight of the far one, and whether each lies outside the bitmap (its alpha
// then reads 0 in a bitmap with alpha).
struct AxisSample {
    int32_t near;
    int32_t far;
    uint32_t weight;
    uint8_t nearOutside;
    uint8_t farOutside;
};

bool SameSample(const AxisSample& a, const AxisSample& b)
{
    return a.near == b.near && a.far == b.far && a.weight == b.weight && a.nearOutside == b.nearOutside &&
           a.farOutside == b.farOutside;
}

// The samples of every target index along one axis, target index t owning
// samples[first[t]] to samples[first[t + 1] - 1].
struct Axis {
    std::vector<AxisSample> samples;
    std::vector<int> first;
};

// The sample at source position `position` times the size (what the bilinear function
// computes from its coordinate).
AxisSample SampleAt(double position, int size)
{
    const int index = static_cast<int>(position);
    AxisSample sample;
    sample.weight = static_cast<uint32_t>((position - index) * static_cast<int>(kWeightOne));
    sample.nearOutside = index >= size;
    sample.farOutside = index + 1 >= size;
    sample.near = sample.nearOutside ? size - 1 : index;
    sample.far = sample.farOutside ? size - 1 : index + 1;
    return sample;
}

// One bilinear sample a target index, at the coordinate index / targetSize.
Axis BilinearAxis(int sourceSize, int targetSize)
{
    Axis axis;
    axis.samples.reserve(targetSize);
    axis.first.reserve(targetSize + 1);
    for (int t = 0; t < targetSize; ++t) {
        axis.first.push_back(static_cast<int>(axis.samples.size()));
        const double coordinate = static_cast<double>(t) / targetSize;
        axis.samples.push_back(SampleAt(sourceSize * coordinate, sourceSize));
    }
    axis.first.push_back(static_cast<int>(axis.samples.size()));
    return axis;
}

// The area sample's positions: from the box's start, one source pixel apart while not past
// its end, each turned back into a coordinate and sampled there.
Axis AreaAxis(int sourceSize, int targetSize, double box)
{
    Axis axis;
    axis.first.reserve(targetSize + 1);
    for (int t = 0; t < targetSize; ++t) {
        axis.first.push_back(static_cast<int>(axis.samples.size()));
        const double coordinate = static_cast<double>(t) / targetSize;
        const double start = sourceSize * coordinate;
        for (double position = start; position <= start + box; position += 1.0)
            axis.samples.push_back(SampleAt(sourceSize * (position / sourceSize), sourceSize));
    }
    axis.first.push_back(static_cast<int>(axis.samples.size()));
    return axis;
}

// The four bytes of source pixel (column, row), alpha 0 when either lies outside a bitmap
// with alpha.
inline void Fetch(const uint8_t* row, int column, bool outside, uint32_t channels[4])
{
    const uint8_t* pixel = row + static_cast<size_t>(column) * 4;
    channels[0] = pixel[0];
    channels[1] = pixel[1];
    channels[2] = pixel[2];
    channels[3] = outside ? 0 : pixel[3];
}

// One source row blended across at every column sample, per channel a sum of 11 + 8 bits.
void BlendAcross(const uint8_t* row, bool rowOutside, const Axis& columns, bool alpha, uint32_t* across)
{
    const size_t count = columns.samples.size();
    for (size_t i = 0; i < count; ++i) {
        const AxisSample& column = columns.samples[i];
        uint32_t near[4];
        Fetch(row, column.near, alpha && (rowOutside || column.nearOutside), near);
        uint32_t* out = across + i * 4;
        if (column.weight == 0) {
            for (int c = 0; c < 4; ++c)
                out[c] = near[c] << kSampleWeightBits;
            continue;
        }
        uint32_t far[4];
        Fetch(row, column.far, alpha && (rowOutside || column.farOutside), far);
        const uint32_t nearWeight = kWeightOne - column.weight;
        for (int c = 0; c < 4; ++c)
            out[c] = near[c] * nearWeight + far[c] * column.weight;
    }
}

// Everything one scaling needs, and the last rows of samples made, for the target rows
// that sample the same source rows again.
class Scaler {
public:
    Scaler(const Bitmap* source, Bitmap* target, double ratioX, double ratioY)
        : source_(source), target_(target), alpha_((source->flags & kBitmapHasAlpha) != 0),
          area_(!(ratioX <= 1.5 && ratioY <= 1.5))
    {
        columns_ = area_ ? AreaAxis(source->width, target->width, ratioX) : BilinearAxis(source->width, target->width);
        rows_ = area_ ? AreaAxis(source->height, target->height, ratioY) : BilinearAxis(source->height, target->height);
        const size_t count = columns_.samples.size();
        nearAcross_.resize(count * 4);
        farAcross_.resize(count * 4);
        for (Made& made : made_)
            made.bytes.resize(count * 4);
        if (area_) {
            sums_.resize(static_cast<size_t>(target->width) * 4);
            covered_.resize(target->width);
        }
        for (int i = 0; i < 256; ++i)
            unit_[i] = i / 255.0;
    }

    void Run()
    {
        const size_t rowBytes = static_cast<size_t>(target_->width) * 4;
        for (int y = 0; y < target_->height; ++y) {
            uint8_t* out = target_->pixels + y * rowBytes;
            const int first = rows_.first[y], end = rows_.first[y + 1];
            if (!area_) {
                memcpy(out, SampleRow(rows_.samples[first]), rowBytes);
                continue;
            }
            std::fill(sums_.begin(), sums_.end(), 0.0);
            std::fill(covered_.begin(), covered_.end(), 0);
            for (int j = first; j < end; ++j)
                AddRow(SampleRow(rows_.samples[j]));
            AverageRow(out, end - first);
        }
    }

private:
    // Halving shares one sample row between neighbouring target rows; a few more are kept
    // for ratios whose rows fall on the same source rows less regularly.
    static const int kKeptRows = 4;

    struct Made {
        AxisSample row = {};
        bool valid = false;
        std::vector<uint8_t> bytes;  // 4 a column sample
    };

    // The samples of one sample row at every column sample, made now unless they were made
    // for one of the last rows.
    const uint8_t* SampleRow(const AxisSample& row)
    {
        for (const Made& made : made_) {
            if (made.valid && SameSample(made.row, row))
                return made.bytes.data();
        }
        Made& made = made_[next_];
        next_ = (next_ + 1) % kKeptRows;
        made.row = row;
        made.valid = true;
        const size_t count = columns_.samples.size();
        const size_t pitch = static_cast<size_t>(source_->width) * 4;
        uint8_t* bytes = made.bytes.data();
        if (row.weight == 0) {
            // (near x 2048 + far x 0) >> 22: the far row is not needed, and a column sample
            // without weight is the near pixel itself.
            SampleOneRow(source_->pixels + row.near * pitch, row.nearOutside != 0, bytes);
        } else {
            BlendAcross(source_->pixels + row.near * pitch, row.nearOutside != 0, columns_, alpha_,
                        nearAcross_.data());
            BlendAcross(source_->pixels + row.far * pitch, row.farOutside != 0, columns_, alpha_, farAcross_.data());
            const uint32_t nearWeight = kWeightOne - row.weight;
            for (size_t i = 0; i < count * 4; ++i)
                bytes[i] = static_cast<uint8_t>((nearAcross_[i] * nearWeight + farAcross_[i] * row.weight) >>
                                                (2 * kSampleWeightBits));
        }
        if (area_) {
            // A sample without alpha adds no colour: its colour bytes count as 0, whose
            // 0 / 255.0 leaves a sum unchanged.
            for (size_t i = 0; i < count; ++i) {
                if (bytes[i * 4 + kPixelAlphaByte] == 0)
                    bytes[i * 4] = bytes[i * 4 + 1] = bytes[i * 4 + 2] = 0;
            }
        }
        return bytes;
    }

    // The samples of a sample row that falls on a source row: each column sample blended
    // across that row alone.
    void SampleOneRow(const uint8_t* row, bool rowOutside, uint8_t* bytes) const
    {
        const size_t count = columns_.samples.size();
        for (size_t i = 0; i < count; ++i, bytes += 4) {
            const AxisSample& column = columns_.samples[i];
            const uint8_t* near = row + static_cast<size_t>(column.near) * 4;
            const bool nearClear = alpha_ && (rowOutside || column.nearOutside);
            if (column.weight == 0) {
                memcpy(bytes, near, 4);
                if (nearClear)
                    bytes[kPixelAlphaByte] = 0;
                continue;
            }
            const uint8_t* far = row + static_cast<size_t>(column.far) * 4;
            const bool farClear = alpha_ && (rowOutside || column.farOutside);
            const uint32_t nearWeight = kWeightOne - column.weight;
            for (int c = 0; c < 4; ++c) {
                const uint32_t nearByte = c == kPixelAlphaByte && nearClear ? 0 : near[c];
                const uint32_t farByte = c == kPixelAlphaByte && farClear ? 0 : far[c];
                bytes[c] = static_cast<uint8_t>((nearByte * nearWeight + farByte * column.weight) >> kSampleWeightBits);
            }
        }
    }

    // One sample row's samples added to every target pixel's sums, left to right: with the
    // rows taken top to bottom, each sum grows in the order the area function visits them.
    void AddRow(const uint8_t* samples)
    {
        double* sums = sums_.data();
        const int* firsts = columns_.first.data();
        for (int x = 0; x < target_->width; ++x, sums += 4) {
            double red = sums[0], green = sums[1], blue = sums[2], alpha = sums[3];
            int covered = 0;
            const uint8_t* sample = samples + static_cast<size_t>(firsts[x]) * 4;
            for (int i = firsts[x]; i < firsts[x + 1]; ++i, sample += 4) {
                red += unit_[sample[0]];
                green += unit_[sample[1]];
                blue += unit_[sample[2]];
                alpha += unit_[sample[3]];
                covered += sample[3] != 0;
            }
            sums[0] = red;
            sums[1] = green;
            sums[2] = blue;
            sums[3] = alpha;
            covered_[x] += covered;
        }
    }

    void AverageRow(uint8_t* out, int rowSamples)
    {
        for (int x = 0; x < target_->width; ++x) {
            const double* sums = sums_.data() + static_cast<size_t>(x) * 4;
            const int covered = covered_[x];
            const int samples = rowSamples * (columns_.first[x + 1] - columns_.first[x]);
            uint8_t* pixel = out + static_cast<size_t>(x) * 4;
            if (covered > 0) {
                pixel[0] = QVI_SampleToByte(sums[0] / covered);
                pixel[1] = QVI_SampleToByte(sums[1] / covered);
                pixel[2] = QVI_SampleToByte(sums[2] / covered);
            } else {
                pixel[0] = pixel[1] = pixel[2] = 255;
            }
            pixel[kPixelAlphaByte] = samples > 0 ? QVI_SampleToByte(sums[3] / samples) : 0;
        }
    }

    const Bitmap* source_;
    Bitmap* target_;
    const bool alpha_;
    const bool area_;
    Axis columns_;
    Axis rows_;
    std::vector<uint32_t> nearAcross_;
    std::vector<uint32_t> farAcross_;
    Made made_[kKeptRows];
    int next_ = 0;
    std::vector<double> sums_;  // red, green, blue and alpha of each target pixel of the row
    std::vector<int> covered_;
    double unit_[256];
};

}  // namespace

void QVI_ScaleBitmapPixels(const Bitmap* source, Bitmap* target)
{
    if (!source || !target || !source->pixels || !target->pixels || source->width <= 0 || source->height <= 0 ||
        target->width <= 0 || target->height <= 0)
        return;
    const double ratioX = static_cast<double>(source->width) / target->width;
    const double ratioY = static_cast<double>(source->height) / target->height;
    Scaler(source, target, ratioX, ratioY).Run();
}
