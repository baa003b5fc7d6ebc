#pragma once

#include <cstdint>

// Decodes UTF-8 into a malloc'd array of code points ending in 0; the caller frees
// it with free(). The array has room for byteLength + 1 code points and decoding
// stops at the text's terminator or after byteLength bytes, whichever comes first.
// Nothing is validated (overlong forms and surrogates pass through). A sequence cut
// short by the end, a zero byte or a non-continuation byte yields its lead byte as a
// code point of its own, and decoding goes on with the byte after the lead. A null
// text or a negative byteLength decodes nothing. Null only when the array cannot be
// allocated (reported through LogPopup).
uint32_t* QVI_ConvertUTF8ToUTF32(const char* text, int byteLength);
