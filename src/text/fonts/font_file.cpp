// The .mft font file: the reader for every version the engine has written (1 to 7) and the
// writer of version 7. A file is read whole into memory and every field is taken against
// the bytes left, so a truncated or hostile file leaves an empty font instead of a crash.
#include "text/fonts/font_pool.h"

#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/engine_string.h"
#include "filesystem/file_replacement.h"
#include "filesystem/open_files.h"
#include "filesystem/paths.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_codecs.h"
#include "graphics/renderer/renderer_codes.h"
#include "quaven/api.h"
#include "quaven/filesystem.h"

namespace {

const int kHeaderBytes = 11;     // "TAV_Font_v" and the version digit
const int kEncodingBytes = 512;  // the longest encoding text, its 0 included
const int kOldReservedBytes = 256;
const int kOldGlyphCount = 256;
const char kMagic[] = "TAV_Font_v7";
// A font file is read whole into memory; one larger than this is not written.
const uint64_t kLargestFileBytes = 1ull << 30;

// The file's bytes, taken front to back; every take is checked against what is left.
struct FontFileInput {
    const uint8_t* data;
    uint64_t size;
    uint64_t position;
    const char* name;

    uint64_t Left() const { return size - position; }

    bool Fits(uint64_t bytes, const char* field) const
    {
        if (bytes <= Left())
            return true;
        QVI_Report(QV_LOG_WARNING, "Font '%s' is damaged: %s needs %llu bytes, %llu are left.", name, field,
                   static_cast<unsigned long long>(bytes), static_cast<unsigned long long>(Left()));
        return false;
    }

    bool Take(void* out, uint64_t bytes, const char* field)
    {
        if (!Fits(bytes, field))
            return false;
        if (bytes > 0)
            memcpy(out, data + position, static_cast<size_t>(bytes));
        position += bytes;
        return true;
    }

    // Numbers are little-endian whatever the host.
    bool U32(uint32_t* out, const char* field)
    {
        uint8_t b[4];
        if (!Take(b, 4, field))
            return false;
        *out = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }
    bool I32(int32_t* out, const char* field)
    {
        uint32_t value;
        if (!U32(&value, field))
            return false;
        *out = static_cast<int32_t>(value);
        return true;
    }
    bool F32(float* out, const char* field)
    {
        uint32_t value;
        if (!U32(&value, field))
            return false;
        memcpy(out, &value, 4);
        return true;
    }
    bool U16(uint16_t* out, const char* field)
    {
        uint8_t b[2];
        if (!Take(b, 2, field))
            return false;
        *out = static_cast<uint16_t>(b[0] | b[1] << 8);
        return true;
    }
    bool I16(int16_t* out, const char* field)
    {
        uint16_t value;
        if (!U16(&value, field))
            return false;
        *out = static_cast<int16_t>(value);
        return true;
    }
    bool U8(uint8_t* out, const char* field) { return Take(out, 1, field); }

    // The encoding text up to its 0; one that fills the whole buffer is a damaged file.
    bool Encoding(char out[kEncodingBytes])
    {
        for (int i = 0; i < kEncodingBytes; ++i) {
            if (!Take(out + i, 1, "the encoding"))
                return false;
            if (out[i] == 0)
                return true;
        }
        QVI_Report(QV_LOG_WARNING, "Font '%s' is damaged: its encoding text has no end within %d bytes.", name,
                   kEncodingBytes);
        return false;
    }
};

void SwapRedAndBlue(uint8_t* pixels, uint64_t count)
{
    // A pixel as a little-endian word: bytes 0 and 2 change places, 1 and 3 stay.
    const size_t n = static_cast<size_t>(count);
    for (size_t i = 0; i < n; ++i) {
        uint32_t pixel;
        memcpy(&pixel, pixels + 4 * i, 4);
        pixel = (pixel & 0xFF00FF00u) | ((pixel >> 16) & 0xFFu) | ((pixel & 0xFFu) << 16);
        memcpy(pixels + 4 * i, &pixel, 4);
    }
}

// A glyph image of width x height pixels from the file, red and blue exchanged when asked.
bool ReadGlyphPixels(FontFileInput& in, FontGlyph& glyph, uint16_t width, uint16_t height, bool swap)
{
    glyph.image.width = glyph.image.textureWidth = width;
    glyph.image.height = glyph.image.textureHeight = height;
    if (width == 0 || height == 0)
        return true;
    const uint64_t pixelCount = uint64_t(width) * height;
    if (!in.Fits(pixelCount * 4, "a glyph image"))
        return false;
    glyph.image.pixels = static_cast<uint8_t*>(malloc(static_cast<size_t>(pixelCount * 4)));
    if (!glyph.image.pixels) {
        QVI_Report(QV_LOG_ERROR, "Font '%s': no memory for a %ux%u glyph image.", in.name, width, height);
        return false;
    }
    in.Take(glyph.image.pixels, pixelCount * 4, "a glyph image");
    glyph.image.flags |= kBitmapHasAlpha;
    if (swap)
        SwapRedAndBlue(glyph.image.pixels, pixelCount);
    return true;
}

bool ReadKerning(FontFileInput& in, FontGlyph& glyph, int count)
{
    if (!in.Fits(uint64_t(count), "a kerning row"))
        return false;
    glyph.kerning = static_cast<int8_t*>(malloc(static_cast<size_t>(count > 0 ? count : 1)));
    if (!glyph.kerning) {
        QVI_Report(QV_LOG_ERROR, "Font '%s': no memory for a kerning row.", in.name);
        return false;
    }
    return in.Take(glyph.kerning, uint64_t(count), "a kerning row");
}

// Whatever was read goes: the font is valid, with no glyphs and nothing to draw.
void MakeEmpty(Font* font)
{
    QVI_FreeFontGlyphs(font);
    font->baseline = font->height = font->lineSpacing = 0;
    font->spread = font->smoothing = 0.0f;
    font->scale = 1.0f;
    font->flags &= static_cast<uint8_t>(~FONT_DISTANCE_FIELD);
}

// The three line metrics, the same in every version.
bool ReadMetrics(FontFileInput& in, Font* font)
{
    return in.I32(&font->baseline, "the baseline") && in.I32(&font->height, "the height") &&
           in.I32(&font->lineSpacing, "the line spacing");
}

// Versions 1 to 5: 256 glyphs indexed by byte, no glyph count, no distance field.
bool ReadOldVersion(FontFileInput& in, Font* font, int version)
{
    char encoding[kEncodingBytes];
    if (!in.Encoding(encoding))
        return false;
    font->isUTF8 = strcmp(encoding, "UTF-8") == 0;
    uint8_t reserved[kOldReservedBytes];
    if (!ReadMetrics(in, font) || !in.Take(reserved, kOldReservedBytes, "the reserved block"))
        return false;
    font->spread = font->smoothing = 0.0f;
    font->scale = 1.0f;
    font->flags &= static_cast<uint8_t>(~FONT_DISTANCE_FIELD);
    if (!QVI_AllocateFontGlyphs(font, kOldGlyphCount))
        return false;
    // Versions 1 to 4 stored blue first; version 5 red first.
    const bool bgraHost = QVI_GetImageChannelOrder() == QV_PIXEL_ORDER_BGRA;
    const bool swap = version < 5 ? !bgraHost : bgraHost;
    for (int i = 0; i < kOldGlyphCount; ++i) {
        FontGlyph& glyph = font->glyphs[i];
        glyph.codePoint = static_cast<uint32_t>(i);
        int16_t offsetY = 0, ignored = 0;
        uint16_t width = 0, height = 0;
        if (!in.I16(&offsetY, "a glyph's offset"))
            return false;
        glyph.offsetY = offsetY;
        if (version >= 2 && !in.I16(&glyph.offsetX, "a glyph's offset"))
            return false;
        if (!in.I16(&ignored, "a glyph record"))
            return false;
        if (version >= 4 && !ReadKerning(in, glyph, kOldGlyphCount))
            return false;
        if (!in.U16(&width, "a glyph's width") || !in.U16(&height, "a glyph's height"))
            return false;
        if (version >= 3) {
            if (!in.I16(&glyph.advance, "a glyph's advance"))
                return false;
        } else {
            glyph.advance = static_cast<int16_t>(width + 1);
        }
        if (!ReadGlyphPixels(in, glyph, width, height, swap))
            return false;
    }
    return true;
}

bool ReadCurrentVersion(FontFileInput& in, Font* font, int version)
{
    char encoding[kEncodingBytes];
    if (!in.Encoding(encoding))
        return false;
    font->isUTF8 = strcmp(encoding, "UTF-8") == 0;
    if (!ReadMetrics(in, font))
        return false;
    font->spread = font->smoothing = 0.0f;
    font->scale = 1.0f;
    font->flags &= static_cast<uint8_t>(~FONT_DISTANCE_FIELD);
    if (version >= 7) {
        if (!in.F32(&font->spread, "the spread") || !in.F32(&font->smoothing, "the smoothing") ||
            !in.F32(&font->scale, "the scale"))
            return false;
        if (font->spread > 0.0f)
            font->flags |= FONT_DISTANCE_FIELD;
    }
    int32_t count = 0;
    if (!in.I32(&count, "the glyph count"))
        return false;
    if (count < 0) {
        QVI_Report(QV_LOG_WARNING, "Font '%s' is damaged: glyph count %d.", in.name, count);
        return false;
    }
    if (!font->isUTF8 && count != kOldGlyphCount) {
        QVI_Report(QV_LOG_WARNING, "Font '%s' is damaged: a LATIN-1 font has %d glyphs, not %d.", in.name, count,
                   kOldGlyphCount);
        return false;
    }
    // The smallest glyph record: no kerning, no pixels.
    const uint64_t smallestRecord = version >= 7 ? 17 : 15;
    if (!in.Fits(uint64_t(count) * smallestRecord, "the glyph records"))
        return false;
    if (!QVI_AllocateFontGlyphs(font, count))
        return false;
    const bool swap = QVI_GetImageChannelOrder() == QV_PIXEL_ORDER_BGRA;
    for (int i = 0; i < count; ++i) {
        FontGlyph& glyph = font->glyphs[i];
        if (!in.U32(&glyph.codePoint, "a glyph's code point"))
            return false;
        if (version >= 7) {
            if (!in.F32(&glyph.offsetY, "a glyph's offset"))
                return false;
        } else {
            int16_t offsetY = 0;
            if (!in.I16(&offsetY, "a glyph's offset"))
                return false;
            glyph.offsetY = offsetY;
        }
        uint8_t hasKerning = 0;
        uint16_t width = 0, height = 0;
        if (!in.I16(&glyph.offsetX, "a glyph's offset") || !in.I16(&glyph.advance, "a glyph's advance") ||
            !in.U8(&hasKerning, "a glyph's kerning flag"))
            return false;
        if (hasKerning && !ReadKerning(in, glyph, count))
            return false;
        if (!in.U16(&width, "a glyph's width") || !in.U16(&height, "a glyph's height"))
            return false;
        if (!ReadGlyphPixels(in, glyph, width, height, swap))
            return false;
    }
    return true;
}

// ---- Writing ----

// The file's bytes as they are encoded, handed to the open file a chunk at a time: a chunk on
// the stack is written again and again, where one block of the whole file would be fresh
// memory (and a page fault every 4 KB) on every save. The file was measured first; bytes
// past that size are refused, and the encoder checks at the end that exactly that many came.
class FontFileOutput {
public:
    FontFileOutput(const QuavenFileSystemAPI* files, FileHandle* file, uint64_t measured)
        : files_(files), file_(file), measured_(measured)
    {
    }
    FontFileOutput(const FontFileOutput&) = delete;
    FontFileOutput& operator=(const FontFileOutput&) = delete;

    // False once a write failed or more was put than measured.
    bool Good() const { return !failed_; }
    // True when more was put than measured, or, with every write taken, less.
    bool MissedMeasure() const { return overflowed_ || (!failed_ && size_ != measured_); }

    void Put(const void* data, size_t count) { Copy(static_cast<const uint8_t*>(data), count, 1, false); }

    // Pixels as the file stores them: red first, turned in the chunk when the font's own
    // are blue first (the font's pixels are never changed). A pixel is never split between
    // two chunks, so each piece turns whole.
    void PutPixels(const uint8_t* pixels, size_t pixelCount, bool swap) { Copy(pixels, pixelCount * 4, 4, swap); }

    void U32(uint32_t value)
    {
        const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
        Put(b, 4);
    }
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void F32(float value)
    {
        uint32_t bits;
        memcpy(&bits, &value, 4);
        U32(bits);
    }
    void U16(uint16_t value)
    {
        const uint8_t b[2] = {uint8_t(value), uint8_t(value >> 8)};
        Put(b, 2);
    }
    void I16(int16_t value) { U16(static_cast<uint16_t>(value)); }
    void U8(uint8_t value) { Put(&value, 1); }

    // Writes what the chunk holds; false when the file did not take it all.
    bool Flush()
    {
        if (!failed_ && used_ > 0 && files_->Write(chunk_, static_cast<int>(used_), file_) != static_cast<int>(used_))
            failed_ = true;
        used_ = 0;
        return !failed_;
    }

private:
    // count bytes into the chunk in pieces of whole granules, each piece's pixels turned when
    // asked.
    void Copy(const uint8_t* bytes, size_t count, size_t granule, bool swap)
    {
        while (count > 0) {
            size_t taken = 0;
            uint8_t* at = Take(count, granule, &taken);
            if (!at)
                return;
            memcpy(at, bytes, taken);
            if (swap)
                SwapRedAndBlue(at, taken / 4);
            bytes += taken;
            count -= taken;
        }
    }

    // Room in the chunk for up to wanted bytes, a whole number of granules (wanted is one),
    // the chunk written first when it has no room for one; *taken says how many. Null once
    // the output has failed.
    uint8_t* Take(size_t wanted, size_t granule, size_t* taken)
    {
        if (failed_)
            return nullptr;
        if (sizeof chunk_ - used_ < granule && !Flush())
            return nullptr;
        const size_t room = (sizeof chunk_ - used_) / granule * granule;
        *taken = wanted < room ? wanted : room;
        if (*taken > measured_ - size_) {
            failed_ = overflowed_ = true;
            return nullptr;
        }
        uint8_t* at = chunk_ + used_;
        used_ += *taken;
        size_ += *taken;
        return at;
    }

    const QuavenFileSystemAPI* files_;
    FileHandle* file_;
    uint64_t measured_;
    uint64_t size_ = 0;
    size_t used_ = 0;
    bool failed_ = false;
    bool overflowed_ = false;
    uint8_t chunk_[32 * 1024];
};

bool HasImage(const FontGlyph& glyph)
{
    return glyph.image.pixels && glyph.image.width > 0 && glyph.image.height > 0;
}

const char* EncodingName(const Font* font)
{
    return font->isUTF8 ? "UTF-8" : "LATIN-1";
}

// The file's size in bytes, 0 with the failure reported when the font cannot be written.
uint64_t MeasureFont(const Font* font, const char* path)
{
    const int count = font->glyphs ? font->glyphCount : 0;
    // The reader refuses such a file, so it is not written.
    if (!font->isUTF8 && count != kOldGlyphCount) {
        QVI_ReportPopup(QV_LOG_WARNING, "Failed to save font '%s': a LATIN-1 font has %d glyphs, not %d.", path, count,
                        kOldGlyphCount);
        return 0;
    }
    uint64_t total = sizeof kMagic + strlen(EncodingName(font)) + 1 + 7 * 4;
    for (int i = 0; i < count; ++i) {
        const FontGlyph& glyph = font->glyphs[i];
        total += 17 + (glyph.kerning ? static_cast<uint64_t>(count) : 0);
        if (!HasImage(glyph))
            continue;
        if (glyph.image.width > 0xFFFF || glyph.image.height > 0xFFFF) {
            QVI_ReportPopup(QV_LOG_WARNING, "Failed to save font '%s': glyph %d is %dx%d pixels.", path, i,
                            glyph.image.width, glyph.image.height);
            return 0;
        }
        total += static_cast<uint64_t>(glyph.image.width) * static_cast<uint64_t>(glyph.image.height) * 4;
    }
    if (total > kLargestFileBytes) {
        QVI_ReportPopup(QV_LOG_WARNING, "Failed to save font '%s': no memory for its %llu bytes.", path,
                        static_cast<unsigned long long>(total));
        return 0;
    }
    return total;
}

// Writes the measured font to the open file; false when the file did not take it all or the
// encoding came out at another size than measured (reported).
bool EncodeFont(const Font* font, const char* path, const QuavenFileSystemAPI* files, FileHandle* file,
                uint64_t measured)
{
    const int count = font->glyphs ? font->glyphCount : 0;
    const char* encoding = EncodingName(font);
    FontFileOutput out(files, file, measured);
    out.Put(kMagic, sizeof kMagic);
    out.Put(encoding, strlen(encoding) + 1);
    out.I32(font->baseline);
    out.I32(font->height);
    out.I32(font->lineSpacing);
    out.F32(font->spread);
    out.F32(font->smoothing);
    out.F32(font->scale);
    out.I32(count);
    const bool swap = QVI_GetImageChannelOrder() == QV_PIXEL_ORDER_BGRA;
    for (int i = 0; i < count && out.Good(); ++i) {
        const FontGlyph& glyph = font->glyphs[i];
        out.U32(glyph.codePoint);
        out.F32(glyph.offsetY);
        out.I16(glyph.offsetX);
        out.I16(glyph.advance);
        out.U8(glyph.kerning ? 1 : 0);
        if (glyph.kerning)
            out.Put(glyph.kerning, static_cast<size_t>(count));
        if (!HasImage(glyph)) {
            out.U16(0);
            out.U16(0);
            continue;
        }
        out.U16(static_cast<uint16_t>(glyph.image.width));
        out.U16(static_cast<uint16_t>(glyph.image.height));
        out.PutPixels(glyph.image.pixels, static_cast<size_t>(glyph.image.width) * glyph.image.height, swap);
    }
    const bool flushed = out.Flush();
    if (out.MissedMeasure()) {
        QVI_ReportPopup(QV_LOG_WARNING, "Failed to save font '%s': its file came out at another size than measured.",
                        path);
        return false;
    }
    if (!flushed)
        return false;
    // The last buffered bytes reach the disk here: a full disk must fail the save, not
    // let a cut-short file replace the good one.
    return !files->FlushFile || files->FlushFile(file) == 0;
}

}  // namespace

bool QVI_ReadFontFile(Font* font)
{
    if (!font || !font->header.name)
        return false;
    const char* name = font->header.name;
    const QuavenFileSystemAPI* files = qv ? qv->fileSystem : nullptr;
    FileHandle* file = files ? files->OpenFile(name, "r") : nullptr;
    if (!file) {
        QVI_Report(QV_LOG_INFO, "Font '%s' file not found.", name);
        return false;
    }
    uint64_t size = 0;
    uint8_t* data = QVI_ReadWholeFile(file, &size);
    files->CloseFile(file);
    if (!data) {
        QVI_Report(QV_LOG_WARNING, "Font '%s': unable to read the file.", name);
        MakeEmpty(font);
        return false;
    }
    FontFileInput in = {data, size, 0, name};
    char header[32] = {};
    bool read = in.Take(header, kHeaderBytes, "the header");
    const int version = read ? atoi(header + 10) : -1;
    if (version == 0) {
        free(data);
        MakeEmpty(font);
        QVI_ReportPopup(QV_LOG_WARNING, "Font '%s' has invalid header ('%s')", name, header);
        return false;
    }
    uint8_t terminator = 0;
    read = read && in.U8(&terminator, "the header");
    // Everything the file held before goes; the file says how many glyphs come now.
    QVI_FreeFontGlyphs(font);
    if (read)
        read = version < 6 ? ReadOldVersion(in, font, version) : ReadCurrentVersion(in, font, version);
    free(data);
    if (!read) {
        MakeEmpty(font);
        return false;
    }
    return true;
}

bool QVI_SaveFontFile(Font* font, const char* path)
{
    if (!font)
        return false;
    if (!path) {
        // No name is no file: "(null)" would otherwise be written along the search paths.
        QVI_ReportPopup(QV_LOG_WARNING, "Failed to save font '%s'", "(null)");
        return false;
    }
    QVI_Report(QV_LOG_INFO, "..saving font '%s'..", path);
    const QuavenFileSystemAPI* files = qv ? qv->fileSystem : nullptr;
    if (!files) {
        QVI_ReportPopup(QV_LOG_WARNING, "Failed to save font '%s'", path);
        return false;
    }
    const uint64_t measured = MeasureFont(font, path);
    if (measured == 0)
        return false;

    // A path without a scheme is written where the file system would look for it.
    const char* target = path;
    if (QVI_GetPathScheme(path) == SCHEME_NONE) {
        target = QVI_ResolveFilePath(path, false);
        if (!target) {
            QVI_ReportPopup(QV_LOG_WARNING, "Failed to save font '%s'", path);
            return false;
        }
    }
    // A file on the disk is replaced whole or not at all; the save mount takes the file itself
    // and replaces it whole at Unmount.
    const String targetCopy(target);
    ReplacingWrite write;
    FileHandle* file = write.Open(targetCopy.text);
    if (!file || !EncodeFont(font, path, files, file, measured)) {
        QVI_ReportPopup(QV_LOG_WARNING, "Failed to save font '%s'", path);
        return false;
    }
    if (!write.Commit()) {
        QVI_ReportPopup(QV_LOG_WARNING, "Failed to save font '%s': the previous file is unchanged.", path);
        return false;
    }
    return true;
}
