// Bitmap sequences by name: a ".bms" file, or the numbered frame files it is made from,
// which are then written as the .bms file for later runs.
#include "graphics/bitmaps/bitmap_sequences.h"

#include <cstdlib>
#include <cstring>

#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "filesystem/paths.h"
#include "graphics/bitmaps/bitmap_pixels.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/graphics_api.h"

namespace {

const int kLastFrameNumber = 999;
const int kMissesTolerated = 5;
const int kMissesToleratedAfterGap = 100;
const int kLastStartNumber = 20;
const int kLastStartNumberDeveloper = 120;
const char* const kFrameSeparators[] = {"-", "_", ""};
const char* const kFrameExtensions[] = {"png", "jpg", "tga"};
const float kFileFrameRate = 30.0f;
const int kLongestPath = 511;
const double kBytesPerMegabyte = 1048576.0;

// The pattern's name for one frame number: '*' replaced by four digits.
bool FrameName(const char* pattern, int number, char* out, size_t size)
{
    const char* star = strchr(pattern, '*');
    const int length = snprintf(out, size, "%.*s%.4d%s", int(star - pattern), pattern, number, star + 1);
    return length > 0 && size_t(length) < size;
}

bool Opens(const char* path)
{
    const QuavenFileSystemAPI* files = qv->fileSystem;
    FileHandle* file = files->OpenFile(path, "r");
    if (!file)
        return false;
    files->CloseFile(file);
    return true;
}

// Marks the numbers whose files exist and answers how many do.
int ProbeFrames(const char* pattern, bool exists[kLastFrameNumber + 1])
{
    int found = 0;
    int misses = 0;
    int tolerance = kMissesTolerated;
    for (int number = 0; number <= kLastFrameNumber; ++number) {
        char name[kLongestPath + 1];
        exists[number] = FrameName(pattern, number, name, sizeof name) && Opens(name);
        if (exists[number]) {
            // Numbering with gaps is searched further.
            if (misses > 0)
                tolerance = kMissesToleratedAfterGap;
            misses = 0;
            ++found;
        } else if (found > 0 && ++misses > tolerance) {
            break;
        }
    }
    return found;
}

void DropAtlas(Bitmap* sequence)
{
    Bitmap* atlas = sequence->atlas;
    if (!atlas)
        return;
    sequence->atlas = nullptr;
    for (int i = 0; i < sequence->frameCount; ++i)
        sequence->frames[i].atlas = nullptr;
    QVI_GetImageLoader()->FreeImagePixels(atlas);
    free(atlas->header.name);
    free(atlas);
}

// Where the .bms file made from loose frames goes: beside the data the game ships, or for
// a path that names its place (a scheme), there.
String SequenceResourcePath(const char* name)
{
    if (strstr(name, "://"))
        return String(name);
    const QuavenFileSystemAPI* files = qv->fileSystem;
    for (int i = files->GetSearchPathCount() - 1; i >= 0; --i) {
        const char* searchPath = files->GetSearchPath(i);
        if (searchPath && strstr(searchPath, "data") && !strstr(searchPath, "-src") && !strstr(searchPath, "://"))
            return String::FromFormat("res://%s/%s", searchPath, name);
    }
    return String::FromFormat("res://data/%s", name);
}

// Numbered frame files next to the sequence's name: the first start number, separator and
// extension found make the pattern.
bool FindFramePattern(const char* name, char* pattern, size_t size)
{
    const size_t baseLength = strlen(name) - 4;  // less ".bms"
    const int lastStart = g_core.developerMode ? kLastStartNumberDeveloper : kLastStartNumber;
    for (int number = 0; number <= lastStart; ++number) {
        for (const char* separator : kFrameSeparators) {
            for (const char* extension : kFrameExtensions) {
                char candidate[kLongestPath + 1];
                const int length = snprintf(candidate, sizeof candidate, "%.*s%s%.4d.%s", int(baseLength), name,
                                            separator, number, extension);
                if (length < 0 || length > kLongestPath || !qv->fileSystem->FileExists(candidate))
                    continue;
                const int patternLength =
                    snprintf(pattern, size, "%.*s%s*.%s", int(baseLength), name, separator, extension);
                return patternLength > 0 && size_t(patternLength) < size;
            }
        }
    }
    return false;
}

}  // namespace

uint64_t QVI_ShareDuplicateFrames(Bitmap* sequence)
{
    uint64_t saved = 0;
    for (int j = sequence->frameCount - 1; j >= 1; --j) {
        Bitmap* frame = &sequence->frames[j];
        for (int i = 0; i < j; ++i) {
            if (BitmapPixelsMatch(frame, &sequence->frames[i])) {
                frame->sharedWith = &sequence->frames[i];
                QVI_Report(QV_LOG_INFO, "Frames #%.4d and #%.4d match.", j, i);
                saved += uint64_t(frame->width) * uint64_t(frame->height) * 4;
                break;
            }
        }
    }
    // A match found while walking down may itself match a still earlier frame; sharing
    // always points at the root, whose pixels and atlas place are the ones kept.
    for (int j = 1; j < sequence->frameCount; ++j) {
        Bitmap* frame = &sequence->frames[j];
        if (frame->sharedWith && frame->sharedWith->sharedWith)
            frame->sharedWith = frame->sharedWith->sharedWith;
        if (frame->sharedWith) {
            QVI_GetImageLoader()->FreeImagePixels(frame);
            frame->pixels = frame->sharedWith->pixels;
        }
    }
    return saved;
}

bool QVI_LoadBitmapSequenceFrames(Bitmap* sequence, const char* pattern)
{
    if (!sequence || !pattern || !strchr(pattern, '*'))
        return false;
    bool exists[kLastFrameNumber + 1] = {};
    int found = ProbeFrames(pattern, exists);

    QVI_ReleaseBitmapHardwareData(sequence);
    QVI_FreeBitmapPixels(sequence);
    QVI_FreeBitmapData(sequence);
    if (found > 0) {
        sequence->frames = static_cast<Bitmap*>(calloc(size_t(found), sizeof(Bitmap)));
        if (!sequence->frames)
            found = 0;
    }
    int loaded = 0;
    ImageLoaderImp* loader = QVI_GetImageLoader();
    // Only the files the probe found: one that does not decode must not send the loader on
    // to numbers beyond the probe's reach.
    for (int number = 0; found > 0 && number <= kLastFrameNumber && loaded < found; ++number) {
        char name[kLongestPath + 1];
        if (!exists[number] || !FrameName(pattern, number, name, sizeof name))
            continue;
        Bitmap* frame = &sequence->frames[loaded];
        frame->header.name = QVI_StrDup(name);
        if (!loader->LoadImage(frame, name)) {
            free(frame->header.name);
            memset(frame, 0, sizeof(*frame));
            continue;
        }
        frame->currentFrame = number;
        frame->frameRate = kFileFrameRate;
        ++loaded;
    }
    // Frames that were found but did not decode are left out rather than kept empty.
    sequence->frameCount = loaded;
    if (loaded == 0) {
        free(sequence->frames);
        sequence->frames = nullptr;
    }
    if (found == 0)
        QVI_ReportPopup(QV_LOG_WARNING, "Bitmap files '%s' not found.", pattern);
    for (int i = 0; i < sequence->frameCount; ++i) {
        Bitmap* frame = &sequence->frames[i];
        frame->depth = 1;
        frame->format = QV_TEXTURE_FORMAT_RGBA8;
        frame->textureType = QV_TEXTURE_TYPE_2D;
        frame->mipLevels = 1;
    }
    QV_Graphics_SetBitmapFrame(sequence, 0);
    return true;
}

bool QVI_LoadBitmapSequence(Bitmap* bitmap)
{
    // A name without extension was found as "<name>.bms": the source path holds that.
    const char* source = bitmap->sourcePath;
    const size_t sourceLength = source ? strlen(source) : 0;
    const char* name = sourceLength >= 5 && strcmp(source + sourceLength - 4, ".bms") == 0
                           ? source
                           : bitmap->header.name;
    if (QVI_LoadBitmapSequenceFile(bitmap, name)) {
        QV_Graphics_SetBitmapFrame(bitmap, 0);
        bitmap->state = BITMAP_READY;
        return true;
    }
    char pattern[kLongestPath + 1];
    if (strlen(name) < 5 || !FindFramePattern(name, pattern, sizeof pattern))
        return false;
    QVI_LoadBitmapSequenceFrames(bitmap, pattern);
    bitmap->state = BITMAP_READY;
    if (bitmap->frameCount < 1)
        return false;

    QVI_Report(QV_LOG_INFO, "Optimizing sequence '%s'...", name);
    const uint64_t saved = QVI_ShareDuplicateFrames(bitmap);
    if (saved != 0)
        QVI_Report(QV_LOG_INFO, "Saved %.2fMB by removing similar frames from sequence %s.",
                   double(saved) / kBytesPerMegabyte, bitmap->header.name);

    const String resourcePath = SequenceResourcePath(name);
    const String nativePath = QV_ConvertStaticPathToNativeOSPath(resourcePath.text);
    if (!QVI_SaveBitmapSequence(bitmap, nativePath.text)) {
        // The loose frames stay in use, each with its own texture.
        DropAtlas(bitmap);
        QV_Graphics_SetBitmapFrame(bitmap, 0);
        return true;
    }
    // The file now holds everything: the loose frames go and the file is read back.
    DropAtlas(bitmap);
    QVI_FreeBitmapPixels(bitmap);
    QVI_FreeBitmapData(bitmap);
    if (QVI_LoadBitmapSequenceFile(bitmap, resourcePath.text))
        QV_Graphics_SetBitmapFrame(bitmap, 0);
    bitmap->state = BITMAP_READY;
    return bitmap->frameCount > 0;
}
