#include "data/xml/xml_reader.h"

#include "core/engine_log.h"
#include "data/xml/xml_characters.h"

namespace {

void WarnHeader(const char* format, const char* fileName)
{
    QVI_ReportPopup(QV_LOG_WARNING, format, fileName ? fileName : "");
}

} // namespace

bool XMLReader::ReadHeader()
{
    if (!text || length < 0) {
        ok = 0;
        return false;
    }

    int start = 0;
    while (start < length && IsXMLWhiteSpace(text[start]))
        ++start;

    if (start < length && text[start] != '<') {
        char c = text[start];
        QVI_ReportPopup(QV_LOG_WARNING,
                        "First non-whitespace char in XML document needs to be '<'. First char in '%s' "
                        "is #%d '%c'. Note: UTF8 BOM is not supported.\n",
                        fileName ? fileName : "", XMLCharacterCode(c), XMLMessageCharacter(c));
        ok = 0;
        return false;
    }

    // The declaration's end is searched only inside the document, never past it.
    for (int i = start + 2; start < length && i + 1 < length; ++i) {
        if (text[i] == '?' && text[i + 1] == '>') {
            position = i + 2;
            return true;
        }
    }

    WarnHeader("XML document needs to start with line like <?xml versions=... ?>. File '%s' doesn't.", fileName);
    ok = 0;
    return false;
}
