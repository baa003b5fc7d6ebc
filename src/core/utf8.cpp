#include "core/utf8.h"

#include "core/api_pointer.h"
#include "core/engine_log.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool IsContinuationByte(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Number of continuation bytes a lead byte announces, and the payload bits it
// carries itself. Everything that is not a 2-, 3- or 4-byte lead (ASCII, stray
// continuation bytes, 0xF8 to 0xFF) stands for itself.
int ContinuationCount(unsigned char lead, uint32_t* value)
{
    if ((lead & 0xF8) == 0xF0) {
        *value = lead ^ 0xF0u;
        return 3;
    }
    if ((lead & 0xF0) == 0xE0) {
        *value = lead ^ 0xE0u;
        return 2;
    }
    if ((lead & 0xE0) == 0xC0) {
        *value = lead ^ 0xC0u;
        return 1;
    }
    *value = lead;
    return 0;
}

void ReportConversionFailure(const char* text)
{
    QVI_ReportPopup(QV_LOG_ERROR, "Error converting '%s' to utf-32.", text ? text : "");
}

} // namespace

uint32_t* QVI_ConvertUTF8ToUTF32(const char* text, int byteLength)
{
    // A negative length is a caller's mistake: decode nothing rather than guess.
    if (!text || byteLength < 0)
        byteLength = 0;

    // Room for one code point per byte plus the terminating 0; guard the size
    // computation against wrapping on 32-bit targets.
    size_t slots = static_cast<size_t>(byteLength) + 1;
    if (slots > SIZE_MAX / sizeof(uint32_t)) {
        ReportConversionFailure(text);
        return nullptr;
    }
    uint32_t* codePoints = static_cast<uint32_t*>(malloc(slots * sizeof(uint32_t)));
    if (!codePoints) {
        ReportConversionFailure(text);
        return nullptr;
    }

    // Every stored code point consumes at least one input byte, so at most
    // byteLength values precede the terminator.
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    int in = 0;
    int out = 0;
    while (in < byteLength && bytes[in] != 0) {
        uint32_t value = 0;
        int remaining = ContinuationCount(bytes[in], &value);
        int next = in + 1;
        // Reading stops at the length limit, at a zero byte and at anything that
        // cannot continue the sequence, so a truncated text is never overrun.
        while (remaining > 0 && next < byteLength && IsContinuationByte(bytes[next])) {
            value = (value << 6) | (bytes[next] ^ 0x80u);
            ++next;
            --remaining;
        }
        // A sequence cut short is treated like any other stray byte: the lead stands
        // for itself and decoding resumes right after it. Its partial bits would be
        // an arbitrary value, and for a bare 0xC0, 0xE0 or 0xF0 lead a 0 that ends
        // the text for every reader of the array.
        if (remaining > 0) {
            value = bytes[in];
            next = in + 1;
        }
        codePoints[out++] = value;
        in = next;
    }
    codePoints[out] = 0;
    return codePoints;
}
