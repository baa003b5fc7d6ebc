#include "graphics/renderer/texture_description.h"

#include <cstring>

#include "graphics/renderer/renderer_codes.h"
#include "core/engine_log.h"

namespace {

// Mip levels stop once a side would no longer be above this size.
const int kSmallestMipSide = 16;
// A cube map's pixels (unless it is a render target) stack its six faces vertically.
const int kCubeFaces = 6;
const uint8_t kRenderTargetFlag = 1 << 2;

const char* NameOf(const Bitmap* bitmap)
{
    return bitmap->header.name ? bitmap->header.name : "";
}

} // namespace

bool QVI_IsPowerOfTwo(int value)
{
    return value > 0 && (value & (value - 1)) == 0;
}

int QVI_GetMipLevelCount(int width, int height, int requested)
{
    if (requested == 1)
        return 1;
    int count = 1;
    do {
        ++count;
        width /= 2;
        height /= 2;
    } while (width > kSmallestMipSide && height > kSmallestMipSide);
    // Only a positive request caps the chain: 0 asks for the full chain, and a negative
    // value is no sensible request at all, so it is treated like 0.
    if (requested > 0 && requested < count)
        return requested;
    return count;
}

bool QVI_ValidateBitmapDescription(const Bitmap* bitmap)
{
    if (!bitmap)
        return false;
    if (bitmap->textureType != QV_TEXTURE_TYPE_2D && QVI_IsDepthTextureFormat(bitmap->format)) {
        QVI_ReportPopup(QV_LOG_ERROR, "Depth formats (QV_TEXTURE_FORMAT_D*_FLOAT) are supported with 2D textures only.");
        return false;
    }
    if (bitmap->textureType != QV_TEXTURE_TYPE_3D && bitmap->depth != 1) {
        QVI_ReportPopup(QV_LOG_ERROR, "Bitmap '%s' must have depth of 1.", NameOf(bitmap));
        return false;
    }
    if (bitmap->textureType != QV_TEXTURE_TYPE_CUBE)
        return true;

    bool renderTarget = (bitmap->flags & kRenderTargetFlag) != 0;
    int faceHeight = renderTarget ? bitmap->height : bitmap->height / kCubeFaces;
    if (bitmap->width != faceHeight) {
        QVI_ReportPopup(QV_LOG_ERROR, "The width and height of cube map '%s' do not match.", NameOf(bitmap));
        return false;
    }
    if (!QVI_IsPowerOfTwo(bitmap->width) || !QVI_IsPowerOfTwo(faceHeight)) {
        QVI_ReportPopup(QV_LOG_ERROR, "Cube map '%s' must have power of two dimensions.", NameOf(bitmap));
        return false;
    }
    return true;
}

TextureType QVI_GetTextureTypeFromName(const char* name)
{
    TextureType type = QV_TEXTURE_TYPE_2D;
    if (!name)
        return type;
    struct Marker {
        const char* text;
        TextureType type;
    };
    static const Marker kMarkers[] = {
        {"2D.", QV_TEXTURE_TYPE_2D},
        {"3D.", QV_TEXTURE_TYPE_3D},
        {"CUBE.", QV_TEXTURE_TYPE_CUBE},
    };
    const char* lastDot = strrchr(name, '.');
    for (const char* underscore = strchr(name, '_'); underscore; underscore = strchr(underscore + 1, '_')) {
        const char* after = underscore + 1;
        for (const Marker& marker : kMarkers) {
            size_t length = strlen(marker.text);
            if (strncmp(after, marker.text, length) != 0)
                continue;
            type = marker.type;
            // The marker just before the extension decides; nothing after it is looked at.
            if (after + length - 1 == lastDot)
                return type;
            break;
        }
    }
    return type;
}

BitmapDescription QVI_Single2DDescription(TextureFormat format, int width, int height, bool renderTarget)
{
    BitmapDescription description = {};
    description.format = format;
    description.textureType = QV_TEXTURE_TYPE_2D;
    description.mipLevels = 1;
    description.width = width;
    description.height = height;
    description.depth = 1;
    description.renderTarget = renderTarget ? 1 : 0;
    return description;
}
