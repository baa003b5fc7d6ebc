// The .bms bitmap sequence file: writer, reader and the run-length image codec.
#include "graphics/bitmaps/bitmap_sequences.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/engine_string.h"
#include "filesystem/file_replacement.h"
#include "filesystem/open_files.h"
#include "graphics/bitmaps/bitmap_pixels.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_codecs.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/setup/renderer_setup.h"

namespace {

const char kMagic[13] = "QV_Bm_Seq_v1";
const char kPixelFormat[4] = {'R', 'G', 'B', 'A'};
const char kAtlasTag[8] = "ATLAS";
const int kAtlasLimit = 2048;
// The reader's bound on a decoded image side: the atlas packer never makes more.
const uint32_t kLargestSequenceSide = 8192;
const int kMaxRun = 255;
const uint8_t kNoPadding = 3;

// The 32 bytes of one frame in the file.
struct FrameRecord {
    int32_t width;
    int32_t height;
    int32_t frameNumber;
    float frameRate;
    float left;
    float top;
    float right;
    float bottom;
};
static_assert(sizeof(FrameRecord) == 32, "a .bms frame record is 32 bytes");
static_assert(offsetof(FrameRecord, frameRate) == 12, ".bms frame record layout");
static_assert(offsetof(FrameRecord, left) == 16, ".bms frame record layout");
static_assert(offsetof(FrameRecord, bottom) == 28, ".bms frame record layout");

const char* NameOf(const Bitmap* bitmap)
{
    return bitmap && bitmap->header.name ? bitmap->header.name : "(null)";
}

// Memory holds R, G, B, A unless the renderer asked for B, G, R, A; the file always holds
// B, G, R, A.
bool MemoryIsRgba()
{
    return g_rendererSetup.pixelChannelOrder != 1;
}

void ToFileOrder(const uint8_t* in, uint8_t out[4])
{
    const bool swap = MemoryIsRgba();
    out[0] = swap ? in[2] : in[0];
    out[1] = in[1];
    out[2] = swap ? in[0] : in[2];
    out[3] = in[3];
}

// A stdio stream whose first failed write is remembered, so one check at the end covers
// every write.
struct Output {
    FILE* file;
    bool failed;
    void Put(const void* bytes, size_t count) {
        if (!failed && fwrite(bytes, 1, count, file) != count)
            failed = true;
    }
    void PutU32(uint32_t value) {
        uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
        Put(bytes, 4);
    }
    void PutFloat(float value) {
        uint32_t bits;
        memcpy(&bits, &value, 4);
        PutU32(bits);
    }
};

// Bytes read from a whole file image, never past its end.
struct Input {
    const uint8_t* data;
    uint64_t size;
    uint64_t position;
    bool Take(void* out, uint64_t count) {
        if (count > size - position)
            return false;
        memcpy(out, data + position, static_cast<size_t>(count));
        position += count;
        return true;
    }
    bool TakeU32(uint32_t* value) {
        uint8_t bytes[4];
        if (!Take(bytes, 4))
            return false;
        *value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (uint32_t(bytes[3]) << 24);
        return true;
    }
    uint64_t Left() const { return size - position; }
};

void FreeSequenceData(Bitmap* sequence)
{
    QVI_FreeBitmapPixels(sequence);
    QVI_FreeBitmapData(sequence);
}

// A frame record outside the pool: a 2D 8-bit bitmap, as the atlas's slices are.
void DescribeFrame(Bitmap* frame)
{
    frame->depth = 1;
    frame->format = QV_TEXTURE_FORMAT_RGBA8;
    frame->textureType = QV_TEXTURE_TYPE_2D;
    frame->mipLevels = 1;
}

Bitmap* NewAtlasRecord(const char* path)
{
    Bitmap* atlas = static_cast<Bitmap*>(calloc(1, sizeof(Bitmap)));
    if (!atlas)
        return nullptr;
    char name[600];
    snprintf(name, sizeof name, "atlas:%s", path);
    atlas->header.name = QVI_StrDup(name);
    atlas->header.hash = QVI_HashString(atlas->header.name);
    atlas->header.type = 1;
    atlas->header.refCount = 1;
    DescribeFrame(atlas);
    atlas->packMode = kNoPadding;
    atlas->state = BITMAP_REGISTERED;
    atlas->flags = kBitmapHasAlpha;
    return atlas;
}

// The writer's part: frame records, then the atlas as a PNG stream whose length goes in
// front of it.
void WriteSequence(Output& out, const Bitmap* sequence)
{
    out.Put(kMagic, sizeof kMagic);
    out.PutU32(static_cast<uint32_t>(sequence->frameCount));
    out.Put(kPixelFormat, sizeof kPixelFormat);
    QVI_Report(QV_LOG_INFO, "Writing bitmap sequence atlas.");
    out.Put(kAtlasTag, sizeof kAtlasTag);
    out.PutU32(0);
    for (int i = 0; i < sequence->frameCount; ++i) {
        const Bitmap& frame = sequence->frames[i];
        out.PutU32(static_cast<uint32_t>(frame.width));
        out.PutU32(static_cast<uint32_t>(frame.height));
        out.PutU32(static_cast<uint32_t>(frame.currentFrame));
        QVI_Report(QV_LOG_INFO, "Writing frame num %d - %d", i, frame.currentFrame);
        out.PutFloat(frame.frameRate);
        const BitmapHardwareData& place = frame.sharedWith ? frame.sharedWith->hardware : frame.hardware;
        out.PutFloat(place.left);
        out.PutFloat(place.top);
        out.PutFloat(place.right);
        out.PutFloat(place.bottom);
    }
    out.Put("PNG", 4);
    const long lengthAt = out.failed ? -1 : ftell(out.file);
    out.PutU32(0);
    if (out.failed || lengthAt < 0 || !WritePNG(sequence->atlas, out.file)) {
        out.failed = true;
        return;
    }
    const long end = ftell(out.file);
    if (end < lengthAt + 4 || fseek(out.file, lengthAt, SEEK_SET) != 0) {
        out.failed = true;
        return;
    }
    out.PutU32(static_cast<uint32_t>(end - lengthAt - 4));
    if (fseek(out.file, 0, SEEK_END) != 0)
        out.failed = true;
}

// Packs the distinct frames into a fresh atlas record of the sequence.
bool PackDistinctFrames(Bitmap* sequence, const char* nativePath)
{
    Bitmap** distinct = static_cast<Bitmap**>(malloc(sizeof(Bitmap*) * sequence->frameCount));
    if (!distinct)
        return false;
    int count = 0;
    for (int i = 0; i < sequence->frameCount; ++i) {
        if (!sequence->frames[i].sharedWith)
            distinct[count++] = &sequence->frames[i];
    }
    if (sequence->atlas) {
        Bitmap* old = sequence->atlas;
        QVI_ReleaseBitmapHardwareData(old);
        QVI_GetImageLoader()->FreeImagePixels(old);
        free(old->header.name);
        free(old);
    }
    sequence->atlas = static_cast<Bitmap*>(calloc(1, sizeof(Bitmap)));
    const bool packed = sequence->atlas && QVI_PackBitmaps(sequence->atlas, distinct, count, kAtlasLimit, kAtlasLimit);
    free(distinct);
    if (!packed) {
        if (sequence->atlas) {
            QVI_GetImageLoader()->FreeImagePixels(sequence->atlas);
            free(sequence->atlas->header.name);
            free(sequence->atlas);
            sequence->atlas = nullptr;
        }
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_SaveBitmapSequence: bitmaps didn't fit into atlas, not creating file '%s'.",
                        nativePath);
        return false;
    }
    return true;
}

// A whole file read through the file system; null when it cannot be opened or read.
uint8_t* ReadWholeFile(const char* path, uint64_t* size)
{
    FileHandle* file = qv->fileSystem->OpenFile(path, "r");
    if (!file)
        return nullptr;
    uint8_t* data = QVI_ReadWholeFile(file, size);
    qv->fileSystem->CloseFile(file);
    if (data && *size == 0) {
        free(data);
        data = nullptr;
        QVI_Report(QV_LOG_WARNING, "Bitmap sequence '%s' is empty.", path);
    } else if (!data) {
        QVI_Report(QV_LOG_WARNING, "Unable to read bitmap sequence '%s'.", path);
    }
    return data;
}

bool IsPlace(float value)
{
    return std::isfinite(value) && value >= 0.0f && value <= 1.0f;
}

// One frame record from the file; sizes and places outside what an atlas can hold refused.
bool ReadFrame(Input& in, Bitmap* frame)
{
    FrameRecord record;
    if (!in.Take(&record, sizeof record))
        return false;
    if (record.width < 1 || record.height < 1 || uint32_t(record.width) > kLargestSequenceSide ||
        uint32_t(record.height) > kLargestSequenceSide || !IsPlace(record.left) || !IsPlace(record.top) ||
        !IsPlace(record.right) || !IsPlace(record.bottom) || !std::isfinite(record.frameRate))
        return false;
    frame->width = record.width;
    frame->height = record.height;
    frame->currentFrame = record.frameNumber;
    frame->frameRate = record.frameRate;
    frame->hardware.left = record.left;
    frame->hardware.top = record.top;
    frame->hardware.right = record.right;
    frame->hardware.bottom = record.bottom;
    frame->flags = kBitmapHasAlpha;
    return true;
}

bool SameTag(const char* tag, const char* expected)
{
    return _strnicmp(tag, expected, 4) == 0;
}

// The atlas image after the frame records.
bool ReadAtlasImage(Input& in, Bitmap* atlas, const char* path)
{
    char encoding[5] = {};
    if (!in.Take(encoding, 4))
        return false;
    if (SameTag(encoding, "RLE")) {
        uint64_t used = 0;
        return QVI_DecodeFrameRLE(atlas, in.data + in.position, in.Left(), &used);
    }
    if (SameTag(encoding, "PNG")) {
        uint32_t length = 0;
        if (!in.TakeU32(&length) || length > in.Left()) {
            QVI_Report(QV_LOG_WARNING, "Bitmap sequence '%s' holds less of its atlas than it announces.", path);
            return false;
        }
        return QVI_DecodeSequenceAtlasPNG(atlas, in.data + in.position, length);
    }
    QVI_ReportPopup(QV_LOG_WARNING, "encoding: '%s'", encoding);
    return false;
}

bool ParseSequence(Bitmap* sequence, Input& in, const char* path)
{
    char magic[sizeof kMagic];
    if (!in.Take(magic, sizeof magic) || memcmp(magic, kMagic, sizeof kMagic) != 0) {
        QVI_ReportPopup(QV_LOG_WARNING, "Bad header in bitmap sequence '%s'", path);
        return false;
    }
    uint32_t frameCount = 0;
    char format[4];
    char tag[sizeof kAtlasTag + 1] = {};
    uint32_t chunkSize = 0;
    if (!in.TakeU32(&frameCount) || !in.Take(format, 4) || !in.Take(tag, sizeof kAtlasTag)) {
        QVI_ReportPopup(QV_LOG_WARNING, "Bitmap sequence '%s' is cut short.", path);
        return false;
    }
    if (memcmp(tag, kAtlasTag, sizeof kAtlasTag) != 0) {
        QVI_ReportPopup(QV_LOG_WARNING, "unimplemented chunk: '%s'", tag);
        return false;
    }
    // The frame records must all be present before their array is made.
    const uint64_t recordBytes = uint64_t(frameCount) * sizeof(FrameRecord);
    if (frameCount < 1 || frameCount > 0x7fffffff || !in.TakeU32(&chunkSize) || recordBytes > in.Left()) {
        QVI_ReportPopup(QV_LOG_WARNING, "Bitmap sequence '%s' announces %u frames it does not hold.", path, frameCount);
        return false;
    }
    sequence->frames = static_cast<Bitmap*>(calloc(frameCount, sizeof(Bitmap)));
    sequence->atlas = NewAtlasRecord(path);
    if (!sequence->frames || !sequence->atlas) {
        QVI_Report(QV_LOG_ERROR, "Out of memory reading bitmap sequence '%s'.", path);
        return false;
    }
    sequence->frameCount = static_cast<int32_t>(frameCount);
    for (uint32_t i = 0; i < frameCount; ++i) {
        Bitmap* frame = &sequence->frames[i];
        DescribeFrame(frame);
        frame->atlas = sequence->atlas;
        if (!ReadFrame(in, frame)) {
            QVI_ReportPopup(QV_LOG_WARNING, "Bitmap sequence '%s' has a bad record for frame %u.", path, i);
            return false;
        }
    }
    Bitmap* atlas = sequence->atlas;
    if (!ReadAtlasImage(in, atlas, path) || !atlas->pixels) {
        QVI_ReportPopup(QV_LOG_WARNING, "unimplemented chunk: '%s'", tag);
        return false;
    }
    // The texture is made at the decoded size; the atlas's flags stay those of an atlas.
    atlas->textureWidth = atlas->width;
    atlas->textureHeight = atlas->height;
    atlas->flags = kBitmapHasAlpha;
    sequence->atlas->state = BITMAP_READY;
    return true;
}

}  // namespace

bool QVI_EncodeFrameRLE(const Bitmap* frame, FILE* stream)
{
    if (!frame || !stream || !frame->pixels || frame->width < 1 || frame->height < 1)
        return false;
    Output out = {stream, false};
    out.PutU32(static_cast<uint32_t>(frame->width));
    out.PutU32(static_cast<uint32_t>(frame->height));
    const uint64_t total = uint64_t(frame->width) * uint64_t(frame->height);
    const uint32_t* pixels = reinterpret_cast<const uint32_t*>(frame->pixels);
    for (uint64_t at = 0; at < total && !out.failed;) {
        uint64_t run = 1;
        while (run < kMaxRun && at + run < total && pixels[at + run] == pixels[at])
            ++run;
        uint8_t packet[5];
        packet[0] = static_cast<uint8_t>(run);
        ToFileOrder(frame->pixels + at * 4, packet + 1);
        out.Put(packet, sizeof packet);
        at += run;
    }
    return !out.failed;
}

bool QVI_DecodeFrameRLE(Bitmap* bitmap, const uint8_t* data, uint64_t size, uint64_t* used)
{
    if (!bitmap || !data)
        return false;
    Input in = {data, size, 0};
    uint32_t width = 0, height = 0;
    if (!in.TakeU32(&width) || !in.TakeU32(&height) || width < 1 || height < 1 || width > kLargestSequenceSide ||
        height > kLargestSequenceSide) {
        QVI_Report(QV_LOG_WARNING, "Run-length image of '%s' has a bad size (%ux%u).", NameOf(bitmap), width, height);
        return false;
    }
    ImageLoaderImp* loader = QVI_GetImageLoader();
    loader->AllocateImagePixels(bitmap, static_cast<int>(width), static_cast<int>(height));
    if (!bitmap->pixels)
        return false;
    const bool swap = MemoryIsRgba();
    const uint64_t total = uint64_t(width) * height;
    for (uint64_t at = 0; at < total;) {
        uint8_t packet[5];
        if (!in.Take(packet, sizeof packet)) {
            QVI_Report(QV_LOG_WARNING, "Run-length image of '%s' ends after %llu of %llu pixels.", NameOf(bitmap),
                       static_cast<unsigned long long>(at), static_cast<unsigned long long>(total));
            loader->FreeImagePixels(bitmap);
            return false;
        }
        const uint8_t pixel[4] = {swap ? packet[3] : packet[1], packet[2], swap ? packet[1] : packet[3], packet[4]};
        // A run longer than the pixels left is cut at the last pixel.
        const uint64_t end = at + packet[0] < total ? at + packet[0] : total;
        for (; at < end; ++at)
            memcpy(bitmap->pixels + at * 4, pixel, 4);
    }
    if (used)
        *used = in.position;
    return true;
}

bool QVI_DecodeSequenceAtlasPNG(Bitmap* atlas, const uint8_t* data, uint32_t size)
{
    if (!atlas || !data || size > uint32_t(INT32_MAX))
        return false;
    return QVI_LoadImagePNG(atlas, data, static_cast<int>(size));
}

bool QVI_SaveBitmapSequence(Bitmap* sequence, const char* nativePath)
{
    if (!nativePath)
        nativePath = "(null)";
    if (!sequence || sequence->frameCount < 1 || !sequence->frames) {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_SaveBitmapSequence: trying to save invalid bitmap to '%s'.", nativePath);
        return false;
    }
    QVI_Report(QV_LOG_INFO, "Saving bitmap sequence '%s' to native file '%s'", NameOf(sequence), nativePath);
    if (!PackDistinctFrames(sequence, nativePath))
        return false;

    TemporaryFile temporary(nativePath, TemporaryFor::kGameFolder);
    FILE* file = temporary.Path() ? fopen(temporary.Path(), "wb") : nullptr;
    if (!file) {
        QVI_ReportPopup(QV_LOG_WARNING, "Unable to save bitmap sequence '%s' to file '%s'", NameOf(sequence),
                        nativePath);
        return false;
    }
    Output out = {file, false};
    WriteSequence(out, sequence);
    const bool closed = fclose(file) == 0;
    if (!temporary.Finish(!out.failed && closed)) {
        QVI_ReportPopup(QV_LOG_WARNING, "Unable to write bitmap sequence '%s' to file '%s'", NameOf(sequence),
                        nativePath);
        return false;
    }
    return true;
}

bool QVI_LoadBitmapSequenceFile(Bitmap* sequence, const char* path)
{
    if (!sequence || !path)
        return false;
    uint64_t size = 0;
    uint8_t* data = ReadWholeFile(path, &size);
    if (!data)
        return false;
    FreeSequenceData(sequence);
    Input in = {data, size, 0};
    const bool read = ParseSequence(sequence, in, path);
    free(data);
    if (!read) {
        // What the caller falls back from: an empty frame array and no atlas.
        FreeSequenceData(sequence);
        return false;
    }
    return true;
}
