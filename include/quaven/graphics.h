/*
 * Quaven public interface: drawing (API members graphics and draw).
 *
 * Drawing belongs to the main thread: call these members from Render, or from
 * another thread only while it holds LockMainLoop. Quads and lines are batched;
 * every member that changes device state first draws what is queued, so queued
 * geometry keeps the state it was queued under. Members that take a float by
 * address ("const float* x") read the value at that address.
 *
 * Coordinates are pixels of the current target, (0, 0) at the top left; the
 * default projection draws depth 0.5 (the middle projection parameter) pixel for
 * pixel. Transforms, render targets and scissor rectangles are stacks that must
 * be left balanced at the end of each frame.
 */
#ifndef QUAVEN_GRAPHICS_H
#define QUAVEN_GRAPHICS_H

#include "quaven/bitmap.h"
#include "quaven/types.h"

QUAVEN_EXTERN_C_BEGIN

/* ---- Vertices and buffers ------------------------------------------------- */

/* Vertex elements; a VertexFormat is an OR of them. */
typedef int32_t VertexElement;
enum {
    QV_VERTEX_POSITION = 1,             /* 3 floats */
    QV_VERTEX_COLOR = 2,                /* 4 bytes */
    QV_VERTEX_TEXTURE_COORDINATE_0 = 4, /* 2 floats */
    QV_VERTEX_NORMAL = 8,               /* 3 floats */
    QV_VERTEX_TEXTURE_COORDINATE_1 = 16,/* 2 floats */
    QV_VERTEX_TANGENT = 32,             /* 3 floats */
    QV_VERTEX_BITANGENT = 64,           /* 3 floats */
    QV_VERTEX_4_BONE_INDICES = 128,     /* 4 bytes */
    QV_VERTEX_4_BONE_WEIGHTS = 256      /* 4 floats */
};

/* The vertex layouts the engine supports, with their sizes in bytes: 7 (24, the
 * BatchVertex), 15 (36), 47 (48), 111 (60), 399 (56), 495 (80). Elements appear
 * in the order of their bits. */
typedef int32_t VertexFormat;
enum {
    QV_VERTEX_FORMAT_BATCH = 7 /* position, colour, texture coordinate: BatchVertex */
};

/* The vertex of the batch renderer (vertex format 7). */
typedef struct BatchVertex {
    float x;
    float y;
    float z;
    uint32_t color; /* 0xAARRGGBB: blue in the lowest byte, red in byte 2 */
    float u;
    float v;
} BatchVertex;

QUAVEN_ASSERT_SIZE(BatchVertex, 24);
QUAVEN_ASSERT_OFFSET(BatchVertex, x, 0);
QUAVEN_ASSERT_OFFSET(BatchVertex, y, 4);
QUAVEN_ASSERT_OFFSET(BatchVertex, z, 8);
QUAVEN_ASSERT_OFFSET(BatchVertex, color, 12);
QUAVEN_ASSERT_OFFSET(BatchVertex, u, 16);
QUAVEN_ASSERT_OFFSET(BatchVertex, v, 20);

/* The renderer's buffer records, hung off the game's buffers. */
typedef struct RendererVertexBuffer RendererVertexBuffer;
typedef struct RendererIndexBuffer RendererIndexBuffer;

/* Buffer usage. */
enum {
    QV_BUFFER_STATIC = 0,
    QV_BUFFER_DYNAMIC = 1
};

/* A buffer of 16-bit indices kept on the GPU (CreateIndexBuffer). Between
 * LockIndexBuffer and UnlockIndexBuffer the game writes count indices at data. */
typedef struct IndexBuffer {
    uint16_t* data;
    int32_t count;
    int32_t usage;
    uint8_t state; /* engine-owned */
    uint8_t padding13[3];
    RendererIndexBuffer* renderer;
} IndexBuffer;

QUAVEN_ASSERT_SIZE(IndexBuffer, 20);
QUAVEN_ASSERT_OFFSET(IndexBuffer, data, 0);
QUAVEN_ASSERT_OFFSET(IndexBuffer, count, 4);
QUAVEN_ASSERT_OFFSET(IndexBuffer, usage, 8);
QUAVEN_ASSERT_OFFSET(IndexBuffer, state, 12);
QUAVEN_ASSERT_OFFSET(IndexBuffer, renderer, 16);

/* A buffer of vertices kept on the GPU (CreateVertexBuffer). Between
 * LockVertexBuffer and UnlockVertexBuffer the game writes count vertices of its
 * format at data. */
typedef struct VertexBuffer {
    void* data;
    int32_t count;
    int32_t format; /* a VertexFormat */
    int32_t usage;
    uint8_t state;  /* engine-owned */
    uint8_t padding17[3];
    RendererVertexBuffer* renderer;
} VertexBuffer;

QUAVEN_ASSERT_SIZE(VertexBuffer, 24);
QUAVEN_ASSERT_OFFSET(VertexBuffer, data, 0);
QUAVEN_ASSERT_OFFSET(VertexBuffer, count, 4);
QUAVEN_ASSERT_OFFSET(VertexBuffer, format, 8);
QUAVEN_ASSERT_OFFSET(VertexBuffer, usage, 12);
QUAVEN_ASSERT_OFFSET(VertexBuffer, state, 16);
QUAVEN_ASSERT_OFFSET(VertexBuffer, renderer, 20);

/* ---- Render targets ----------------------------------------------------------- */

/* Up to four colour targets and a depth target; all null is the back buffer. */
typedef struct RenderTargetSet {
    Bitmap* colour[4];
    Bitmap* depth;
    int32_t face[4]; /* cube-map face 0-5 of each colour target that is a cube map */
} RenderTargetSet;

QUAVEN_ASSERT_SIZE(RenderTargetSet, 36);
QUAVEN_ASSERT_OFFSET(RenderTargetSet, colour, 0);
QUAVEN_ASSERT_OFFSET(RenderTargetSet, depth, 16);
QUAVEN_ASSERT_OFFSET(RenderTargetSet, face, 20);

/* ---- States -------------------------------------------------------------- */

typedef int32_t BlendMode;
enum {
    QV_BLEND_ALPHA = 1,             /* the default */
    QV_BLEND_ADDITIVE = 2,
    QV_BLEND_OFF = 3,
    QV_BLEND_SUBTRACTIVE = 4,
    QV_BLEND_MULTIPLY = 5,
    QV_BLEND_MULTIPLY_DOUBLE = 6,
    QV_BLEND_MULTIPLY_ADD = 7,      /* destination colour plus the source */
    QV_BLEND_PREMULTIPLIED_ALPHA = 8
};

/* Render states (SetRenderStateb / SetRenderStatei). */
typedef int32_t RenderState;
enum {
    QV_RENDER_STATE_DEPTH_TEST = 10,     /* bool */
    QV_RENDER_STATE_DEPTH_FUNCTION = 11, /* int: a DepthCompare */
    QV_RENDER_STATE_DEPTH_WRITE = 12,    /* bool */
    QV_RENDER_STATE_COLOR_WRITE = 13,    /* bool */
    QV_RENDER_STATE_CULL_MODE = 14       /* int: a CullMode */
};

typedef int32_t DepthCompare;
enum {
    QV_DEPTH_NEVER = 0,
    QV_DEPTH_LESS = 1, /* the default */
    QV_DEPTH_EQUAL = 2,
    QV_DEPTH_LESS_EQUAL = 3,
    QV_DEPTH_GREATER = 4,
    QV_DEPTH_NOT_EQUAL = 5,
    QV_DEPTH_GREATER_EQUAL = 6,
    QV_DEPTH_ALWAYS = 7
};

typedef int32_t CullMode;
enum {
    QV_CULL_NONE = 0,
    QV_CULL_FRONT = 1,
    QV_CULL_BACK = 2
};

typedef int32_t TextureFilter;
enum {
    QV_FILTER_POINT = 1,
    QV_FILTER_LINEAR = 2,
    QV_FILTER_ANISOTROPIC = 3
};

typedef int32_t TextureAddressMode;
enum {
    QV_ADDRESS_CLAMP = 1,
    QV_ADDRESS_WRAP = 2,
    QV_ADDRESS_MIRROR = 3
};

/* ---- The graphics table ------------------------------------------------------ */

typedef struct QuavenGraphicsAPI {
    /* Clears the depth buffer (only while depth writes are on). */
    void (*ClearDepth)(float depth);
    void (*ClearColor)(float r, float g, float b);
    void (*ClearColorAlpha)(float r, float g, float b, float a);
    /* Creates a bitmap with pixels of its own (contents undefined) or a render
     * target; an existing name gets one more reference. Null when the pool is full. */
    Bitmap* (*CreateBitmap)(const char* name, const BitmapDescription* description);
    /* Reads a render target's texture back into its pixels (for SaveBitmap). */
    bool (*CopyBitmapRenderTargetDataToPixels)(Bitmap* bitmap);
    /* indices may be null; fill the buffer later through LockIndexBuffer. */
    IndexBuffer* (*CreateIndexBuffer)(const uint16_t* indices, int count, int usage);
    VertexBuffer* (*CreateVertexBuffer)(VertexFormat format, const void* vertices, int count, int usage);
    void (*DisableScissorRectangle)(void);
    /* Draws the bitmap at its size with its top left at (x, y). */
    void (*DrawBitmap)(Bitmap* bitmap, const float* x, const float* y);
    /* Draws a quad of four vertices (top left, top right, bottom left, bottom
     * right) with colours as 0xAARRGGBB and (u, v) 0 to 1 across the bitmap; a
     * null bitmap draws it untextured. */
    void (*DrawBitmapCustom)(Bitmap* bitmap, const BatchVertex vertices[4]);
    /* Stretches the bitmap along the line p0-p1, widths and colours (r, g, b, a)
     * given at each end. */
    void (*DrawBitmapLine)(Bitmap* bitmap, const float p0[2], const float p1[2], float width0, float width1,
                           const float colour0[4], const float colour1[4]);
    /* Draws the bitmap centred on (x, y), turned by angle radians and scaled. */
    void (*DrawBitmapRotated)(Bitmap* bitmap, const float* x, const float* y, const float* angle,
                              const float* scale);
    void (*DrawLine)(const float* x0, const float* y0, const float* x1, const float* y1);
    void (*DrawLineCustom)(const BatchVertex vertices[2]);
    /* A filled rectangle in the current colour. */
    void (*DrawRectangle)(const float* x, const float* y, const float* width, const float* height);
    /* Draws the pixel rectangle left, top, right, bottom of the bitmap at (x, y). */
    void (*DrawSubBitmap)(Bitmap* bitmap, const float* x, const float* y, const float* left, const float* top,
                          const float* right, const float* bottom);
    /* An indexed triangle list from game memory, at most 16384 vertices and
     * 16384 indices; texture may be null. */
    void (*DrawTriangles)(Bitmap* texture, const BatchVertex* vertices, int vertexCount, const uint16_t* indices,
                          int indexCount);
    void (*DrawVertexBuffer)(VertexBuffer* vertices, IndexBuffer* indices);
    void (*DrawVertexBufferInstanced)(VertexBuffer* vertices, IndexBuffer* indices, int instanceCount);
    void (*DrawVertexBufferRange)(VertexBuffer* vertices, IndexBuffer* indices, const int* firstIndex,
                                  const int* indexCount);
    void (*FreeIndexBuffer)(IndexBuffer* buffer);
    void (*FreeVertexBuffer)(VertexBuffer* buffer);
    float (*GetAlpha)(void);
    /* Gets (loading when needed) the bitmap of that name. Counts one reference
     * per bitmap however often it is called; release it with ReleaseBitmap. */
    Bitmap* (*GetBitmap)(const char* name);
    /* The bitmap in that pool slot, or null. */
    Bitmap* (*GetBitmapByHandle)(const int* slot);
    /* GetBitmap with a cache mode; QV_CACHE_LOOKUP_ONLY finds without creating. */
    Bitmap* (*GetBitmapEx)(const char* name, BitmapCacheMode mode);
    int (*GetBlendMode)(void);
    Color (*GetColor)(void);
    float (*GetDepth)(void);
    int (*GetRendererType)(void);
    int (*GetMaximumTextureSize)(void);
    /* Number of pool slots in use so far (for GetBitmapByHandle). */
    int (*GetBitmapCount)(void);
    int (*GetTextureFilter)(void);
    bool (*GetRenderStateb)(int state);
    float (*GetRenderStatef)(int state);
    int (*GetRenderStatei)(int state);
    /* Gets (loading when needed) the shader of a Shader XML file. Shaders are
     * not reference counted. */
    Shader* (*GetShader)(const char* name);
    /* The value of a constant (by index) for reading or writing in place; null
     * for a bad index. Write through SetShaderPixelConstant to have it uploaded. */
    void* (*GetShaderPixelConstant)(Shader* shader, int index);
    int (*GetShaderPixelConstantIndex)(Shader* shader, const char* name); /* -1 when absent */
    /* A value of the shader file's "user" array; the text belongs to the engine. */
    const char* (*GetShaderUserValue)(Shader* shader, const char* id);
    void* (*GetShaderVertexConstant)(Shader* shader, int index);
    int (*GetShaderVertexConstantIndex)(Shader* shader, const char* name); /* -1 when absent */
    int (*GetShaderTextureIndex)(Shader* shader, const char* name);        /* -1 when absent */
    /* Size of the current render target, or of the screen. */
    void (*GetViewportSize)(int* width, int* height);
    /* The camera position (three floats) from the current view transform; owned
     * by the engine. */
    const float* (*GetViewPosition)(void);
    /* Adds *amount references (not capped). */
    void (*IncreaseBitmapReferenceCount)(Bitmap* bitmap, const uint32_t* amount);
    /* On threads other than the main thread this waits for a pending upload. */
    bool (*IsShaderLoaded)(Shader* shader);
    bool (*IsTextureFormatSupported)(const BitmapDescription* description);
    /* As GetBitmapEx, but every call counts a reference (capped at 4096). */
    Bitmap* (*LoadBitmap)(const char* name, BitmapCacheMode mode);
    bool (*LockIndexBuffer)(IndexBuffer* buffer);
    bool (*LockVertexBuffer)(VertexBuffer* buffer);
    Matrix4 (*PeekProjectionTransform)(void);
    /* The first colour target of the current render target set. */
    Bitmap* (*PeekRenderTarget)(void);
    Matrix4 (*PeekViewTransform)(void);
    Matrix4 (*PeekWorldTransform)(void);
    void (*PopProjectionTransform)(void);
    /* Pops the render target together with the projection and world transforms
     * its push added. */
    void (*PopRenderTarget)(void);
    void (*PopScissorRectangle)(void);
    void (*PopViewTransform)(void);
    void (*PopWorldTransform)(void);
    /* Null pushes the default projection. Each stack holds 32 entries. */
    void (*PushProjectionTransform)(const Matrix4* transform);
    /* Each render-target push also pushes the target's default projection and an
     * identity world transform. */
    void (*PushRenderTarget)(Bitmap* colour);
    void (*PushRenderTargets)(const RenderTargetSet* targets);
    void (*PushRenderTargetWithDepth)(Bitmap* colour, Bitmap* depth);
    /* Pushes the rectangle intersected with the one on top of the stack. */
    void (*PushScissorRectangle)(int x, int y, int width, int height);
    /* Null pushes the identity. */
    void (*PushViewTransform)(const Matrix4* transform);
    /* The pushed transform is multiplied onto the one below it; null pushes the identity. */
    void (*PushWorldTransform)(const Matrix4* transform);
    /* Uploads the bitmap's pixels to its texture again (downloads http:// bitmaps again). */
    void (*RefreshBitmap)(Bitmap* bitmap);
    /* Drops one reference; a loaded bitmap at zero is hibernated (reloaded on the
     * next get), a created one freed. */
    void (*ReleaseBitmap)(Bitmap* bitmap);
    bool (*ReloadShader)(Shader* shader);
    /* Frees the bitmap's record for good; the pointer must not be used afterwards. */
    void (*RemoveBitmapHandle)(Bitmap* bitmap);
    /* Rescales the pixels (or re-creates a render target); RefreshBitmap uploads them. */
    void (*ResizeBitmap)(Bitmap* bitmap, int width, int height);
    /* Writes the bitmap's pixels as an image file; quality applies to JPEG. */
    bool (*SaveBitmap)(Bitmap* bitmap, const char* path, int quality);
    /* Alpha 0 to 1 of what follows. */
    void (*SetAlpha)(const float* alpha);
    void (*SetBitmapCacheMode)(Bitmap* bitmap, BitmapCacheMode mode);
    /* Shows frame (0 based, wrapping) of a bitmap sequence. */
    void (*SetBitmapFrame)(Bitmap* bitmap, int frame);
    void (*SetBlendMode)(int mode);
    /* Colour 0 to 1 of what follows. */
    void (*SetColor)(const float* r, const float* g, const float* b);
    /* Depth (z) of what follows. */
    void (*SetDepth)(const float* z);
    /* Near, middle (drawn pixel for pixel) and far depth of the default
     * projection; ignored unless nearDepth < farDepth. */
    void (*SetProjectionParameters)(float nearDepth, float middleDepth, float farDepth);
    /* The shader text is drawn with; null for the default. */
    void (*SetTextShader)(Shader* shader);
    /* Filter of stage 0 (a TextureFilter). */
    void (*SetTextureFilter)(int filter);
    void (*SetRenderStateb)(int state, bool value);
    void (*SetRenderStatef)(int state, float value);
    void (*SetRenderStatei)(int state, int value);
    /* Sets the part of its texture (in pixels of the texture) the bitmap draws. */
    void (*SetBitmapRegion)(Bitmap* bitmap, int x, int y, int width, int height);
    /* Answers false (and changes nothing) for an empty rectangle. */
    bool (*SetScissorRectangle)(int x, int y, int width, int height);
    /* The shader of what follows; null for the default. Ignored until loaded. */
    void (*SetShader)(Shader* shader);
    /* Copies the constant's bytes from value; the third argument is not used. */
    void (*SetShaderPixelConstant)(Shader* shader, int index, int unused, const void* value);
    void (*SetShaderVertexConstant)(Shader* shader, int index, int unused, const void* value);
    /* Texture addressing of a stage (TextureAddressMode values). */
    void (*SetTextureAddressMode)(int stage, int u, int v, int w);
    /* Filters of a stage (TextureFilter values). */
    void (*SetTextureStageFilter)(int stage, int magFilter, int minFilter, int mipFilter);
    void (*SetTexture)(int stage, Bitmap* bitmap);
    void (*UnlockIndexBuffer)(IndexBuffer* buffer);
    void (*UnlockVertexBuffer)(VertexBuffer* buffer);
} QuavenGraphicsAPI;

QUAVEN_ASSERT_SIZE(QuavenGraphicsAPI, 95 * 4);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, ClearDepth, 0);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, ClearColor, 1);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, ClearColorAlpha, 2);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, CreateBitmap, 3);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, CopyBitmapRenderTargetDataToPixels, 4);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, CreateIndexBuffer, 5);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, CreateVertexBuffer, 6);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, DisableScissorRectangle, 7);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, DrawBitmap, 8);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, DrawBitmapCustom, 9);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, DrawBitmapLine, 10);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, DrawBitmapRotated, 11);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, DrawLine, 12);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, DrawLineCustom, 13);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, DrawRectangle, 14);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, DrawSubBitmap, 15);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, DrawTriangles, 16);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, DrawVertexBuffer, 17);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, DrawVertexBufferInstanced, 18);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, DrawVertexBufferRange, 19);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, FreeIndexBuffer, 20);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, FreeVertexBuffer, 21);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetAlpha, 22);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetBitmap, 23);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetBitmapByHandle, 24);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetBitmapEx, 25);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetBlendMode, 26);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetColor, 27);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetDepth, 28);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetRendererType, 29);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetMaximumTextureSize, 30);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetBitmapCount, 31);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetTextureFilter, 32);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetRenderStateb, 33);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetRenderStatef, 34);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetRenderStatei, 35);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetShader, 36);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetShaderPixelConstant, 37);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetShaderPixelConstantIndex, 38);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetShaderUserValue, 39);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetShaderVertexConstant, 40);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetShaderVertexConstantIndex, 41);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetShaderTextureIndex, 42);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetViewportSize, 43);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, GetViewPosition, 44);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, IncreaseBitmapReferenceCount, 45);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, IsShaderLoaded, 46);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, IsTextureFormatSupported, 47);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, LoadBitmap, 48);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, LockIndexBuffer, 49);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, LockVertexBuffer, 50);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PeekProjectionTransform, 51);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PeekRenderTarget, 52);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PeekViewTransform, 53);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PeekWorldTransform, 54);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PopProjectionTransform, 55);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PopRenderTarget, 56);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PopScissorRectangle, 57);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PopViewTransform, 58);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PopWorldTransform, 59);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PushProjectionTransform, 60);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PushRenderTarget, 61);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PushRenderTargets, 62);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PushRenderTargetWithDepth, 63);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PushScissorRectangle, 64);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PushViewTransform, 65);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, PushWorldTransform, 66);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, RefreshBitmap, 67);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, ReleaseBitmap, 68);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, ReloadShader, 69);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, RemoveBitmapHandle, 70);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, ResizeBitmap, 71);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SaveBitmap, 72);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetAlpha, 73);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetBitmapCacheMode, 74);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetBitmapFrame, 75);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetBlendMode, 76);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetColor, 77);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetDepth, 78);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetProjectionParameters, 79);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetTextShader, 80);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetTextureFilter, 81);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetRenderStateb, 82);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetRenderStatef, 83);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetRenderStatei, 84);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetBitmapRegion, 85);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetScissorRectangle, 86);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetShader, 87);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetShaderPixelConstant, 88);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetShaderVertexConstant, 89);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetTextureAddressMode, 90);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetTextureStageFilter, 91);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, SetTexture, 92);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, UnlockIndexBuffer, 93);
QUAVEN_ASSERT_SLOT(QuavenGraphicsAPI, UnlockVertexBuffer, 94);

/* ---- The draw table ---------------------------------------------------------- */

typedef struct QuavenDrawAPI {
    /* Draws one quad of four vertices of format 15, 47 or 111 at once (not
     * batched) with the current shader and textures; other formats draw nothing. */
    void (*Quad)(int vertexFormat, const void* vertices);
} QuavenDrawAPI;

QUAVEN_ASSERT_SIZE(QuavenDrawAPI, 1 * 4);
QUAVEN_ASSERT_SLOT(QuavenDrawAPI, Quad, 0);

QUAVEN_EXTERN_C_END

#endif /* QUAVEN_GRAPHICS_H */
