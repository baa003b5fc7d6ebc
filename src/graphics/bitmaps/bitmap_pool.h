#pragma once

#include "quaven/bitmap.h"

// The pool of 3072 bitmap records, found by name and counted by reference. Records never
// move: a Bitmap* stays valid for the whole run.

const int kBitmapPoolSize = 3072;

// Takes the record's texture off every stage it is bound to and releases it (queued for
// the main thread when called elsewhere).
void QVI_ReleaseBitmapHardwareData(Bitmap* bitmap);
// Creates the texture (or render target) now on the main thread, else queues it.
void QVI_UploadBitmap(Bitmap* bitmap);
