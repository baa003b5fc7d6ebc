// The characters a UTF-8 font holds: those its translations need (the strings file), the
// fixed characters every UTF-8 font has, the source's additional characters and the named
// character sets, as a glyph array in code point order.
#include <emmintrin.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "data/datamanager/data_manager.h"
#include "data/datamanager/database.h"
#include "text/fonts/font_pool.h"
#include "text/generation/font_generation.h"

namespace {

const int kCodePointLimit = 65536;


void FlagCodePoint(std::vector<uint8_t>& flags, uint32_t codePoint)
{
    if (codePoint < flags.size())
        flags[codePoint] = 1;
}

const char* FirstParameterName(const DataNode* node)
{
    return node->parameters.count > 0 && node->parameters.data[0].name ? node->parameters.data[0].name : "<NULL>";
}

void FlagCharacterSets(std::vector<uint8_t>& flags, const char* characterSets)
{
    if (QVI_HasToken(characterSets, "polish")) {
        static const uint32_t kPolish[] = {0xD3,  0xF3,  0x104, 0x105, 0x106, 0x107, 0x118, 0x119,
                                           0x141, 0x142, 0x143, 0x144, 0x15A, 0x15B, 0x179, 0x17A,
                                           0x17B, 0x17C};
        for (uint32_t codePoint : kPolish)
            FlagCodePoint(flags, codePoint);
    }
    if (QVI_HasToken(characterSets, "cyrillic")) {
        for (uint32_t codePoint = 0x400; codePoint <= 0x4FF; ++codePoint)
            FlagCodePoint(flags, codePoint);
    }
}

void FlagTranslations(std::vector<uint8_t>& flags, const char* stringsFile)
{
    Database* strings = DataManager::GetDatabase(stringsFile);
    DataArray* texts = strings ? strings->FindArray("STRINGS") : nullptr;
    if (!texts)
        return;
    for (int n = 0; n < texts->nodes.count; ++n) {
        const DataNode* node = texts->nodes.data[n];
        if (!node)
            continue;
        const char* from = node->GetParameter("from");
        if (!from)
            from = node->GetParameter("id");
        if (!from) {
            QVI_ReportPopup(QV_LOG_WARNING,
                            "XML '%s' array 'STRINGS' doesn't contain nodes with id and to parameters. Node #%d is "
                            "missing 'id', has '%s' instead.",
                            stringsFile, n, FirstParameterName(node));
        } else {
            for (const char* byte = from; *byte; ++byte) {
                const unsigned char code = static_cast<unsigned char>(*byte);
                if (code >= 32 && code <= 127)
                    FlagCodePoint(flags, code);
            }
        }
        const char* to = node->GetParameter("to");
        if (!to) {
            QVI_ReportPopup(QV_LOG_WARNING,
                            "XML '%s' array 'STRINGS' doesn't contain nodes with id and to parameters. Node #%d is "
                            "missing 'to', has '%s' instead.",
                            stringsFile, n, FirstParameterName(node));
            continue;
        }
        uint32_t* codePoints = QVI_ConvertUTF8ToUTF32(to, static_cast<int>(strlen(to)));
        if (!codePoints)
            continue;
        for (const uint32_t* c = codePoints; *c; ++c) {
            if (*c >= static_cast<uint32_t>(kCodePointLimit)) {
                QVI_ReportPopup(QV_LOG_ERROR,
                                "UTF32 %d out of range in QVI_CreateFontGlyphsArrayFromStrings in translation '%s'",
                                static_cast<int>(*c), from ? from : "");
            } else if (*c >= 32) {
                FlagCodePoint(flags, *c);
            }
        }
        free(codePoints);
    }
}

}  // namespace

void QVI_CreateFontGlyphsArrayFromStrings(Font* font, const char* stringsFile, DataArray* additionalCharacters,
                                          const char* characterSets)
{
    if (!font || !stringsFile)
        return;
    std::vector<uint8_t> flags(kCodePointLimit, 0);
    QVI_FreeFontGlyphs(font);
    font->isUTF8 = 1;
    if (stringsFile[0] != '!')
        FlagTranslations(flags, stringsFile);

    for (uint32_t codePoint = 0x20; codePoint <= 0x7E; ++codePoint) {
        if (!strchr("%:;`{}~", static_cast<int>(codePoint)))
            flags[codePoint] = 1;
    }
    flags[0xA0] = 1;

    if (additionalCharacters) {
        for (int n = 0; n < additionalCharacters->nodes.count; ++n) {
            const DataNode* node = additionalCharacters->nodes.data[n];
            const char* id = node ? node->GetParameter("id") : nullptr;
            uint32_t codePoint = 0;
            if (id && id[0]) {
                uint32_t* decoded = QVI_ConvertUTF8ToUTF32(id, static_cast<int>(strlen(id)));
                codePoint = decoded ? decoded[0] : 0;
                free(decoded);
            }
            if (codePoint < static_cast<uint32_t>(kCodePointLimit))
                flags[codePoint] = 1;
            else
                QVI_Report(QV_LOG_WARNING, "utf32_char >= UNICODE_MAX");
        }
    }
    FlagCharacterSets(flags, characterSets);

    // Few of the code points are flagged: runs of sixteen without one are passed over whole.
    const __m128i zero = _mm_setzero_si128();
    auto noneFlagged = [&flags, zero](int from) {
        const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&flags[static_cast<size_t>(from)]));
        return _mm_movemask_epi8(_mm_cmpeq_epi8(sixteen, zero)) == 0xFFFF;
    };
    static_assert(kCodePointLimit % 16 == 0, "code points are taken sixteen at a time");
    int count = 0;
    for (int from = 0; from < kCodePointLimit; from += 16) {
        if (noneFlagged(from))
            continue;
        for (int codePoint = from; codePoint < from + 16; ++codePoint)
            count += flags[codePoint];
    }
    if (!QVI_AllocateFontGlyphs(font, count))
        return;
    int index = 0;
    for (int from = 0; from < kCodePointLimit; from += 16) {
        if (noneFlagged(from))
            continue;
        for (int codePoint = from; codePoint < from + 16; ++codePoint) {
            if (flags[codePoint])
                font->glyphs[index++].codePoint = static_cast<uint32_t>(codePoint);
        }
    }
}
