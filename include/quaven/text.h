/*
 * Quaven public interface: text settings (API members SetTextAlignment,
 * SetTextMaxWidth, SetTextScale, DrawText and the measuring members).
 *
 * Text settings belong to the calling thread; each thread starts with alignment
 * 0 (left, top), no wrap width and scale 1. Text is formatted printf-style (at
 * most 2047 characters), wrapped at blanks within the wrap width and drawn with
 * the current colour. Inline tags between '|' characters switch colour or
 * shader and place images.
 */
#ifndef QUAVEN_TEXT_H
#define QUAVEN_TEXT_H

#include "quaven/base.h"

QUAVEN_EXTERN_C_BEGIN

/* Bits of the text alignment: how x and y relate to the text block. */
typedef uint32_t TextAlignment;
enum {
    QV_TEXT_ALIGN_RIGHT = 1,  /* each line ends at x */
    QV_TEXT_ALIGN_BOTTOM = 2, /* the block ends at y */
    QV_TEXT_ALIGN_MIDDLE = 4, /* the block is centred on y (unless BOTTOM) */
    QV_TEXT_ALIGN_CENTER = 8  /* each line is centred on x (unless RIGHT) */
};

QUAVEN_EXTERN_C_END

#endif /* QUAVEN_TEXT_H */
