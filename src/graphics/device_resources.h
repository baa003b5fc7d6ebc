#pragma once

// What drawing keeps on the device: the render-state cache, the bitmap and shader pools and
// the batch renderer's assets. Renderer set-up restores them once a device runs and releases
// them before the device goes down; text's atlases and glyphs come through the steps the
// engine installs (graphics/setup/renderer_setup_hooks.h).

// Set-up, in the order QVI_InitRenderer runs them (the frame clears the set-flags as well).
void QVI_ClearRenderStateSetFlags();     // the 32 render-state set-flags
void QVI_RestorePooledBitmaps();         // textures and render targets of the bitmap pool
void QVI_ReloadXmlShaders();             // every named shader loaded from ".xml"
void QVI_PrepareBatchRenderer();         // batch state, frame state, built-in shaders
void QVI_CreateWhiteTexture();           // "WHITE_TEXTURE", when a default shader exists
void QVI_InitBatchBuffers();
void QVI_ApplyDepthAndProjection();      // current depth and projection parameters

// Shutdown, in the order QVI_ShutdownRenderer runs them.
void QVI_ReleasePooledBitmapData();
void QVI_ReleasePooledShaderData();      // renderer objects of named shaders; loaded flags cleared
void QVI_FreeBatchAssets();              // white texture, built-in shaders, buffers
