// TGA, the engine's own codec: uncompressed and run-length true colour of 24 or 32 bits,
// read from the file image in memory and written as 32-bit uncompressed files.
#include "graphics/bitmaps/image_codecs.h"

#include <cstdlib>
#include <cstring>

#include "core/configuration.h"
#include "core/engine_log.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/renderer/renderer_codes.h"

namespace {

const int kHeaderSize = 18;
const uint8_t kTrueColor = 2;
const uint8_t kRunLengthTrueColor = 10;
const uint8_t kTopFirst = 0x20;
const uint8_t kRightToLeft = 0x10;
const uint8_t kAlphaBits = 0x08;
const uint8_t kRepeatPacket = 0x80;
const int kBigEndianMarker = 4321;

uint16_t ReadU16(const uint8_t* bytes)
{
    const uint16_t value = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    // The fields are little-endian in the file; a big-endian host read them swapped.
    return g_config.byteOrder == kBigEndianMarker ? static_cast<uint16_t>((value >> 8) | (value << 8)) : value;
}

void WriteU16(uint8_t* bytes, int value)
{
    bytes[0] = static_cast<uint8_t>(value & 0xFF);
    bytes[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

struct TGAHeader {
    int idLength;
    int colorMapType;
    int imageType;
    int width;
    int height;
    int bitsPerPixel;
    int descriptor;
};

bool ReadHeader(const uint8_t* file, int size, TGAHeader* header)
{
    if (size < kHeaderSize)
        return false;
    header->idLength = file[0];
    header->colorMapType = file[1];
    header->imageType = file[2];
    header->width = ReadU16(file + 12);
    header->height = ReadU16(file + 14);
    header->bitsPerPixel = file[16];
    header->descriptor = file[17];
    return true;
}

// Pixels are written in file order into one stream of width x height pixels; the row and
// column of stream position i are placed afterwards, so a run-length packet that crosses a
// row's end goes on into the next row of the file, whichever way up the rows are stored.
class PixelStream {
public:
    PixelStream(const TGAHeader& header, uint8_t* pixels, bool bgra)
        : header_(header), pixels_(pixels), bgra_(bgra),
          total_(static_cast<int64_t>(header.width) * header.height)
    {
    }

    int64_t Remaining() const { return total_ - written_; }

    void Put(const uint8_t* filePixel, int bytesPerPixel)
    {
        const int64_t row = written_ / header_.width;
        int64_t column = written_ % header_.width;
        if (header_.descriptor & kRightToLeft)
            column = header_.width - 1 - column;
        const int64_t imageRow = (header_.descriptor & kTopFirst) ? row : header_.height - 1 - row;
        uint8_t* out = pixels_ + (imageRow * header_.width + column) * 4;
        out[0] = filePixel[bgra_ ? 0 : 2];
        out[1] = filePixel[1];
        out[2] = filePixel[bgra_ ? 2 : 0];
        out[3] = bytesPerPixel == 4 ? filePixel[3] : 255;
        ++written_;
    }

private:
    const TGAHeader& header_;
    uint8_t* pixels_;
    bool bgra_;
    int64_t total_;
    int64_t written_ = 0;
};

// Every read is checked against the end of the file image: a file cut short fails.
bool DecodePixels(const TGAHeader& header, const uint8_t* data, const uint8_t* end, PixelStream& stream, bool bgra)
{
    const int bytesPerPixel = header.bitsPerPixel / 8;
    if (header.imageType == kTrueColor) {
        if (end - data < stream.Remaining() * bytesPerPixel)
            return false;
        while (stream.Remaining() > 0) {
            stream.Put(data, bytesPerPixel);
            data += bytesPerPixel;
        }
        return true;
    }
    while (stream.Remaining() > 0) {
        if (data >= end)
            return false;
        const uint8_t packet = *data++;
        const int count = (packet & 0x7F) + 1;
        const bool repeat = (packet & kRepeatPacket) != 0;
        const int64_t pixelBytes = static_cast<int64_t>(repeat ? 1 : count) * bytesPerPixel;
        if (end - data < pixelBytes)
            return false;
        if (count > stream.Remaining()) {
            const int number = (repeat ? 1 : 2) + (bgra ? 2 : 0);
            QVI_Report(QV_LOG_ERROR, "TGA buffer overrun #%d: (%d)\n", number, count);
            return true;
        }
        for (int i = 0; i < count; ++i)
            stream.Put(repeat ? data : data + i * bytesPerPixel, bytesPerPixel);
        data += pixelBytes;
    }
    return true;
}

}  // namespace

bool QVI_GetImageDimensionsTGA(Bitmap* bitmap, const uint8_t* file, int size)
{
    TGAHeader header = {};
    if (!ReadHeader(file, size, &header))
        return false;
    bitmap->width = header.width;
    bitmap->height = header.height;
    bitmap->pixels = nullptr;
    bitmap->flags |= kBitmapHasAlpha;
    return true;
}

bool QVI_LoadImageTGA(Bitmap* bitmap, const uint8_t* file, int size)
{
    const char* name = QVI_GetImageName(bitmap);
    TGAHeader header = {};
    if (!ReadHeader(file, size, &header) || header.colorMapType != 0 ||
        (header.imageType != kTrueColor && header.imageType != kRunLengthTrueColor) ||
        (header.bitsPerPixel != 24 && header.bitsPerPixel != 32)) {
        QVI_Report(QV_LOG_WARNING, "TGA '%s' is not uncompressed or run-length true colour of 24 or 32 bits.", name);
        return false;
    }
    if (!QVI_IsImageSizeAcceptable(name, header.width, header.height) || size < kHeaderSize + header.idLength)
        return false;
    bitmap->flags |= kBitmapHasAlpha | kBitmapReloadable;
    uint8_t* pixels = QVI_AllocateImageBlock(name, header.width, header.height);
    if (!pixels)
        return false;
    const bool bgra = QVI_GetImageChannelOrder() == QV_PIXEL_ORDER_BGRA;
    PixelStream stream(header, pixels, bgra);
    if (!DecodePixels(header, file + kHeaderSize + header.idLength, file + size, stream, bgra)) {
        QVI_Report(QV_LOG_WARNING, "TGA '%s' ends before its last pixel.", name);
        free(pixels);
        return false;
    }
    bitmap->pixels = pixels;
    bitmap->width = header.width;
    bitmap->height = header.height;
    return true;
}

namespace {

struct TGABuffer {
    uint8_t* bytes;
    size_t size;
};

bool WriteTGABuffer(FILE* file, void* opaque)
{
    const TGABuffer* buffer = static_cast<const TGABuffer*>(opaque);
    return fwrite(buffer->bytes, 1, buffer->size, file) == buffer->size;
}

}  // namespace

bool QVI_SaveImageTGA(Bitmap* bitmap, const char* nativePath)
{
    if (!bitmap || !bitmap->pixels || !nativePath || bitmap->width < 1 || bitmap->height < 1 ||
        bitmap->width > 0xFFFF || bitmap->height > 0xFFFF)
        return false;
    const size_t pixelBytes = static_cast<size_t>(bitmap->width) * bitmap->height * 4;
    TGABuffer buffer = {static_cast<uint8_t*>(calloc(kHeaderSize + pixelBytes, 1)), kHeaderSize + pixelBytes};
    if (!buffer.bytes) {
        QVI_Report(QV_LOG_ERROR, "Out of memory writing TGA '%s'.", nativePath);
        return false;
    }
    buffer.bytes[2] = kTrueColor;
    WriteU16(buffer.bytes + 12, bitmap->width);
    WriteU16(buffer.bytes + 14, bitmap->height);
    buffer.bytes[16] = 32;
    buffer.bytes[17] = kAlphaBits;
    const bool bgra = QVI_GetImageChannelOrder() == QV_PIXEL_ORDER_BGRA;
    uint8_t* out = buffer.bytes + kHeaderSize;
    for (int y = bitmap->height - 1; y >= 0; --y) {
        const uint8_t* in = bitmap->pixels + static_cast<size_t>(y) * bitmap->width * 4;
        for (int x = 0; x < bitmap->width; ++x, in += 4, out += 4) {
            out[0] = in[bgra ? 0 : 2];
            out[1] = in[1];
            out[2] = in[bgra ? 2 : 0];
            out[3] = in[3];
        }
    }
    const bool saved = QVI_WriteImageFile(nativePath, WriteTGABuffer, &buffer);
    free(buffer.bytes);
    return saved;
}
