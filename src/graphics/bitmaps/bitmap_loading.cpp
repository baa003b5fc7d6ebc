// Finding and decoding a bitmap's pixels by its name.
#include "graphics/bitmaps/bitmap_pool.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/configuration.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "data/datamanager/database.h"
#include "graphics/renderer/bitmap_texture_packer.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/graphics_api.h"

namespace {

// Tried in this order for a name without extension.
const char* const kSourceExtensions[] = {"png", "jpg", "tga", "bms"};
const int kLongestSourcePath = 511;
const float kDefaultFrameRate = 30.0f;
const char kHttpPrefix[] = "http://";

// A '.' after the last '/'.
bool HasExtension(const char* name)
{
    const char* dot = strrchr(name, '.');
    const char* slash = strrchr(name, '/');
    return dot && (!slash || dot > slash);
}

void SetSourcePath(Bitmap* bitmap, const char* path)
{
    if (bitmap->sourcePath == path)
        return;
    free(bitmap->sourcePath);
    bitmap->sourcePath = QVI_StrDup(path);
}

// Every frame of a sequence follows the bitmap's state.
void ShareState(Bitmap* bitmap)
{
    for (int i = 0; i < bitmap->frameCount && bitmap->frames; ++i)
        bitmap->frames[i].state = bitmap->state;
}

// Manifest nodes carry sizes and pack modes by bitmap name: the name itself in each
// manifest in turn, and for a name without extension the name with each source extension.
const DataNode* FindManifestNode(const char* name)
{
    const Array<DataArray*>& manifests = g_config.manifestArrays;
    for (int i = 0; i < manifests.count; ++i) {
        if (const DataNode* node = manifests.data[i] ? manifests.data[i]->FindNode(name) : nullptr)
            return node;
    }
    if (HasExtension(name))
        return nullptr;
    for (const char* extension : kSourceExtensions) {
        char withExtension[kLongestSourcePath + 1];
        const int length = snprintf(withExtension, sizeof withExtension, "%s.%s", name, extension);
        if (length < 0 || length > kLongestSourcePath)
            continue;
        for (int i = 0; i < manifests.count; ++i) {
            if (const DataNode* node = manifests.data[i] ? manifests.data[i]->FindNode(withExtension) : nullptr)
                return node;
        }
    }
    return nullptr;
}

int ClampToInt(int64_t value)
{
    return static_cast<int>(value > INT32_MAX ? INT32_MAX : (value < INT32_MIN ? INT32_MIN : value));
}

// A manifest size is a drawing size, decimal, 32 when missing, taken as written (0 and
// negative sizes too); only a number past the int range is held at its end.
int ManifestSide(const DataNode* node, const char* parameter)
{
    const int kMissingSide = 32;
    const char* text = node->GetParameter(parameter);
    if (!text)
        return kMissingSide;
    return ClampToInt(strtoll(text, nullptr, 10));
}

void ApplyManifestEntry(Bitmap* bitmap, const char* name)
{
    const DataNode* node = name ? FindManifestNode(name) : nullptr;
    if (!node)
        return;
    bitmap->width = ManifestSide(node, "w");
    bitmap->height = ManifestSide(node, "h");
    const char* packMode = node->GetParameter("pack_mode");
    if (!packMode)
        return;
    QVI_Report(QV_LOG_INFO, "Using pack mode '%s'\n", packMode);
    if (strcmp(packMode, "NO_PADDING") == 0)
        bitmap->packMode = kNoPadding;
    else if (strcmp(packMode, "PAD_EXPAND ") == 0)
        bitmap->packMode = kPadExpand;
    else if (strcmp(packMode, "PAD_TRANSPARENT") == 0)
        bitmap->packMode = kPadTransparent;
}

// A sequence's drawing sizes. A ".bms" entry gives one height for the whole sequence:
// every frame is scaled by it against the first frame's height, keeping its texture size.
// Numbered frames are looked up one by one under their own names.
void ApplyManifestToFrames(Bitmap* bitmap)
{
    if (!bitmap->frames || bitmap->frameCount < 1)
        return;
    if (QVI_EndsWith(bitmap->header.name, "bms")) {
        const DataNode* node = FindManifestNode(bitmap->header.name);
        const int firstHeight = bitmap->frames[0].height;
        if (!node || firstHeight < 1)
            return;
        const int64_t height = ManifestSide(node, "h");
        for (int i = 0; i < bitmap->frameCount; ++i) {
            Bitmap& frame = bitmap->frames[i];
            frame.textureWidth = frame.width;
            frame.textureHeight = frame.height;
            frame.width = ClampToInt(frame.width * height / firstHeight);
            frame.height = ClampToInt(frame.height * height / firstHeight);
        }
    } else {
        for (int i = 0; i < bitmap->frameCount; ++i) {
            Bitmap& frame = bitmap->frames[i];
            frame.textureWidth = frame.width;
            frame.textureHeight = frame.height;
            ApplyManifestEntry(&frame, frame.header.name);
        }
    }
    QV_Graphics_SetBitmapFrame(bitmap, 0);
}

}  // namespace

bool QVI_LoadBitmapPixels(Bitmap* bitmap)
{
    if (!bitmap || !bitmap->header.name) {
        QVI_Report(QV_LOG_WARNING, "QVI_LoadBitmapPixels: bitmap is %s.", bitmap ? "released" : "null");
        return false;
    }
    const char* name = bitmap->header.name;
    if (HasExtension(name) || QVI_StartsWith(name, kHttpPrefix))
        return QVI_LoadBitmap(bitmap, name);

    const QuavenFileSystemAPI* files = qv->fileSystem;
    for (const char* extension : kSourceExtensions) {
        char path[kLongestSourcePath + 1];
        const int length = snprintf(path, sizeof path, "%s.%s", name, extension);
        if (length < 0 || length > kLongestSourcePath)
            continue;
        if (files && files->FileExists && files->FileExists(path)) {
            SetSourcePath(bitmap, path);
            return QVI_LoadBitmap(bitmap, path);
        }
    }
    QVI_ReportPopup(QV_LOG_WARNING,
                    "Unable to load bitmap '%s' without extension. Tried all image formats but found no source files.",
                    name);
    bitmap->state = BITMAP_READY;
    return false;
}

bool QVI_LoadBitmap(Bitmap* bitmap, const char* path)
{
    if (!bitmap || !bitmap->header.name || !path) {
        QVI_Report(QV_LOG_WARNING, "QVI_LoadBitmap: %s is null.", path ? "bitmap" : "path");
        return false;
    }
    if (bitmap->header.name[0] == '!' || bitmap->state != BITMAP_REGISTERED)
        return true;
    bitmap->state = BITMAP_LOADING;
    if (bitmap->pixels) {
        QVI_Report(QV_LOG_WARNING, "Bitmap '%s' has existing pixel data. Freeing it.", bitmap->header.name);
        QVI_GetImageLoader()->FreeImagePixels(bitmap);
    }
    bitmap->frameRate = kDefaultFrameRate;

    bool loaded = false;
    bool singleImage = false;
    if (QVI_StartsWith(path, kHttpPrefix)) {
        loaded = QVI_LoadBitmapHTTP(bitmap, path);
        singleImage = true;
    } else if (strlen(path) >= 5 && QVI_EndsWith(path, ".bms")) {
        loaded = QVI_LoadBitmapSequence(bitmap);
    } else if (strchr(path, '*')) {
        loaded = QVI_LoadBitmapSequenceFrames(bitmap, path);
    } else {
        loaded = QVI_GetImageLoader()->LoadImage(bitmap, path);
        if (loaded)
            SetSourcePath(bitmap, path);
        singleImage = true;
    }

    bitmap->state = BITMAP_READY;
    if (!loaded) {
        QVI_ReportPopup(QV_LOG_WARNING, "Unable to load bitmap '%s'.\n", bitmap->header.name);
        return false;
    }
    if (singleImage) {
        bitmap->textureWidth = bitmap->width;
        bitmap->textureHeight = bitmap->height;
        ApplyManifestEntry(bitmap, bitmap->header.name);
    } else {
        ApplyManifestToFrames(bitmap);
        ShareState(bitmap);
    }
    return true;
}
