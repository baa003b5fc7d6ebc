#pragma once

// The GPU work that other threads queue for the main thread, carried out by the frame after
// drawing.

void QVI_ProcessBitmapResourceQueues();
void QVI_ProcessBufferResourceQueues();
void QVI_ProcessShaderUploadQueue();
