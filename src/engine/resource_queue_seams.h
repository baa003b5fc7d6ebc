#pragma once

// The GPU work that other threads queue for the main thread, carried out by the frame after
// drawing. Nothing is ever queued until the bitmap, buffer, font and shader pools arrive.

void QVI_ProcessBitmapResourceQueues();
void QVI_ProcessBufferResourceQueues();
void QVI_ProcessShaderUploadQueue();
