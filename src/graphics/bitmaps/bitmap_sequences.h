#pragma once

#include <cstdint>
#include <cstdio>

#include "quaven/bitmap.h"

// Bitmap sequences: animations whose frames are bitmap records of their own, read from
// numbered image files ("walk0000.png", matched by "walk*.png") or from a .bms file, which
// holds every distinct frame packed into one atlas image plus each frame's size and place
// in it. Loose frames are read once, their duplicates dropped, and the result written as a
// .bms file beside the resources for later runs.
//
// .bms layout (little-endian): the magic "QV_Bm_Seq_v1" and a zero byte, the frame count
// (i32), "RGBA", the chunk tag "ATLAS" padded with zeros to 8 bytes, a chunk size (u32, 0),
// one 32-byte record per frame (width, height, frame number, frame rate, left, top, right,
// bottom), then the atlas: "RLE\0" and a run-length image, or "PNG\0", a byte length and a
// PNG stream.

// Writes the sequence as a .bms file at a native path: through its temporary and a rename,
// so a failed write leaves any earlier file as it was and no partial file behind. The
// distinct frames are packed into a new atlas (at most 2048 x 2048) first.
bool QVI_SaveBitmapSequence(Bitmap* sequence, const char* nativePath);
// Reads a .bms file through the file system into the sequence's frames and atlas. Every
// size in the file is checked against the bytes present before anything is allocated;
// a bad file is reported and leaves the sequence with an empty frame array.
bool QVI_LoadBitmapSequenceFile(Bitmap* sequence, const char* path);
// Loads the numbered files matching pattern (one '*' standing for four digits) as frames.
// True also when none is found (reported), as the sequence then just shows nothing.
bool QVI_LoadBitmapSequenceFrames(Bitmap* sequence, const char* pattern);
// The .bms run-length image: width, height (u32), then runs of a count (1 to 255) and one
// pixel as blue, green, red, alpha.
bool QVI_EncodeFrameRLE(const Bitmap* frame, FILE* stream);
// Decodes a run-length image from data[0, size) into the bitmap's pixels; *used receives the
// bytes taken. Fails (reported) on a size past 8192 a side or data that end too early.
bool QVI_DecodeFrameRLE(Bitmap* bitmap, const uint8_t* data, uint64_t size, uint64_t* used);
// Marks each frame whose pixels match an earlier frame's as sharing that frame's pixels,
// always the first frame of its kind (its root), and answers the bytes so saved.
uint64_t QVI_ShareDuplicateFrames(Bitmap* sequence);

// A PNG stream in memory decoded into the atlas's pixels.
bool QVI_DecodeSequenceAtlasPNG(Bitmap* atlas, const uint8_t* data, uint32_t size);
