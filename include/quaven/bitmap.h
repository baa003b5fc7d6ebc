/*
 * Quaven public interface: bitmaps.
 *
 * Bitmaps live in the engine's pool, found by name and counted by reference
 * (graphics GetBitmap, LoadBitmap, CreateBitmap, ReleaseBitmap). A pointer to a
 * Bitmap stays valid for the whole run. The game reads a bitmap's size from its
 * record and may fill the pixels of a bitmap it created (then RefreshBitmap
 * uploads them); every other field belongs to the engine.
 */
#ifndef QUAVEN_BITMAP_H
#define QUAVEN_BITMAP_H

#include "quaven/types.h"

QUAVEN_EXTERN_C_BEGIN

/* Pixel formats of textures and render targets. */
typedef int32_t TextureFormat;
enum {
    QV_TEXTURE_FORMAT_D16 = 1,
    QV_TEXTURE_FORMAT_D24S8 = 2,
    QV_TEXTURE_FORMAT_D32F = 3,
    QV_TEXTURE_FORMAT_R16F = 4,
    QV_TEXTURE_FORMAT_RGBA16F = 5,
    QV_TEXTURE_FORMAT_R32F = 6,
    QV_TEXTURE_FORMAT_RGBA8 = 7, /* 8-bit colour with alpha: every loaded bitmap */
    QV_TEXTURE_FORMAT_RGB8 = 8   /* 8-bit colour without alpha */
};

typedef int32_t TextureType;
enum {
    QV_TEXTURE_TYPE_2D = 1,
    QV_TEXTURE_TYPE_3D = 2,
    QV_TEXTURE_TYPE_CUBE = 3 /* six square faces stacked vertically */
};

/* What the pool keeps of a bitmap (a bit set). */
typedef int32_t BitmapCacheMode;
enum {
    QV_CACHE_NOTHING = 0,       /* register the name, load nothing */
    QV_CACHE_PIXELS = 2,        /* keep the decoded pixels in memory */
    QV_CACHE_TEXTURE = 4,       /* keep the GPU texture (what GetBitmap uses) */
    QV_CACHE_PIXELS_AND_TEXTURE = 6,
    QV_CACHE_LOOKUP_ONLY = 16   /* return an existing record; create, load or change nothing */
};

/* What CreateBitmap makes. */
typedef struct BitmapDescription {
    int32_t format;      /* a TextureFormat */
    int32_t textureType; /* a TextureType */
    int16_t mipLevels;   /* 0 a full mip chain, 1 none */
    uint16_t padding10;
    int32_t width;
    int32_t height;
    int32_t depth;        /* 1 for 2D bitmaps */
    uint8_t renderTarget; /* non-zero for a render target */
    uint8_t padding25[3];
} BitmapDescription;

QUAVEN_ASSERT_SIZE(BitmapDescription, 28);
QUAVEN_ASSERT_OFFSET(BitmapDescription, format, 0);
QUAVEN_ASSERT_OFFSET(BitmapDescription, textureType, 4);
QUAVEN_ASSERT_OFFSET(BitmapDescription, mipLevels, 8);
QUAVEN_ASSERT_OFFSET(BitmapDescription, width, 12);
QUAVEN_ASSERT_OFFSET(BitmapDescription, height, 16);
QUAVEN_ASSERT_OFFSET(BitmapDescription, depth, 20);
QUAVEN_ASSERT_OFFSET(BitmapDescription, renderTarget, 24);

/* The renderer's own texture record, hung off a bitmap. */
typedef struct TextureHardwareData TextureHardwareData;

/* The part of a bitmap that the renderer fills when it creates the texture. */
typedef struct BitmapHardwareData {
    uint8_t loaded; /* 1 while the texture exists */
    uint8_t padding1[3];
    /* The image's rectangle inside its texture, in texture coordinates. */
    float left;
    float top;
    float right;
    float bottom;
    int32_t textureFullWidth; /* size of the allocated texture */
    int32_t textureFullHeight;
    TextureHardwareData* rendererData;
} BitmapHardwareData;

QUAVEN_ASSERT_SIZE(BitmapHardwareData, 32);
QUAVEN_ASSERT_OFFSET(BitmapHardwareData, loaded, 0);
QUAVEN_ASSERT_OFFSET(BitmapHardwareData, left, 4);
QUAVEN_ASSERT_OFFSET(BitmapHardwareData, top, 8);
QUAVEN_ASSERT_OFFSET(BitmapHardwareData, right, 12);
QUAVEN_ASSERT_OFFSET(BitmapHardwareData, bottom, 16);
QUAVEN_ASSERT_OFFSET(BitmapHardwareData, textureFullWidth, 20);
QUAVEN_ASSERT_OFFSET(BitmapHardwareData, textureFullHeight, 24);
QUAVEN_ASSERT_OFFSET(BitmapHardwareData, rendererData, 28);

/* One bitmap of the pool, 132 bytes. */
struct Bitmap {
    ResourceHeader header;  /* name, hash, type 1, slot, reference count */
    int8_t cacheMode;       /* the BitmapCacheMode the record follows */
    uint8_t locked;         /* the record's own lock byte */
    uint8_t padding22[2];
    char* sourcePath;       /* the file actually loaded */
    uint32_t sourceTime;    /* modification time of that file (developer mode) */
    int32_t width;          /* size in pixels as drawing uses it */
    int32_t height;
    int32_t depth;          /* 1 for 2D bitmaps */
    uint8_t* pixels;        /* width x height x 4 bytes of RGBA, or null when not kept */
    int32_t textureWidth;   /* size of the stored image and its texture */
    int32_t textureHeight;
    int32_t format;         /* a TextureFormat */
    int32_t textureType;    /* a TextureType */
    uint8_t flags;          /* bit 0 alpha channel, 1 reloadable, 2 render target, 3 GetBitmap's reference held */
    uint8_t padding65;
    int16_t mipLevels;      /* 0 a full mip chain, 1 none */
    uint16_t state;         /* 0 free, 1 registered, 2 loading, 3 ready */
    uint16_t padding70;
    int32_t packMode;       /* how the image is padded in its texture */
    Bitmap* sharedWith;     /* sequence frame: the earlier frame whose pixels it shares */
    Bitmap* frames;         /* bitmap sequence: frameCount frame records */
    int32_t frameCount;
    Bitmap* atlas;          /* bitmap sequence: the atlas holding every frame */
    int32_t currentFrame;
    float frameRate;
    BitmapHardwareData hardware;
};

QUAVEN_ASSERT_SIZE(Bitmap, 132);
QUAVEN_ASSERT_OFFSET(Bitmap, header, 0);
QUAVEN_ASSERT_OFFSET(Bitmap, cacheMode, 20);
QUAVEN_ASSERT_OFFSET(Bitmap, locked, 21);
QUAVEN_ASSERT_OFFSET(Bitmap, sourcePath, 24);
QUAVEN_ASSERT_OFFSET(Bitmap, sourceTime, 28);
QUAVEN_ASSERT_OFFSET(Bitmap, width, 32);
QUAVEN_ASSERT_OFFSET(Bitmap, height, 36);
QUAVEN_ASSERT_OFFSET(Bitmap, depth, 40);
QUAVEN_ASSERT_OFFSET(Bitmap, pixels, 44);
QUAVEN_ASSERT_OFFSET(Bitmap, textureWidth, 48);
QUAVEN_ASSERT_OFFSET(Bitmap, textureHeight, 52);
QUAVEN_ASSERT_OFFSET(Bitmap, format, 56);
QUAVEN_ASSERT_OFFSET(Bitmap, textureType, 60);
QUAVEN_ASSERT_OFFSET(Bitmap, flags, 64);
QUAVEN_ASSERT_OFFSET(Bitmap, mipLevels, 66);
QUAVEN_ASSERT_OFFSET(Bitmap, state, 68);
QUAVEN_ASSERT_OFFSET(Bitmap, packMode, 72);
QUAVEN_ASSERT_OFFSET(Bitmap, sharedWith, 76);
QUAVEN_ASSERT_OFFSET(Bitmap, frames, 80);
QUAVEN_ASSERT_OFFSET(Bitmap, frameCount, 84);
QUAVEN_ASSERT_OFFSET(Bitmap, atlas, 88);
QUAVEN_ASSERT_OFFSET(Bitmap, currentFrame, 92);
QUAVEN_ASSERT_OFFSET(Bitmap, frameRate, 96);
QUAVEN_ASSERT_OFFSET(Bitmap, hardware, 100);

QUAVEN_EXTERN_C_END

#endif /* QUAVEN_BITMAP_H */
