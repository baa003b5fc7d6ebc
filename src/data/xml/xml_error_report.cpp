#include "data/xml/xml_reader.h"

#include "core/engine_log.h"
#include "data/xml/xml_characters.h"

namespace {

const int kSnippetMax = 255;

} // namespace

void XMLReader::ReportError(const char* reason, char c)
{
    int end = (text && length > 0) ? length : 0;
    int at = position < 0 ? 0 : (position > end ? end : position);

    int line = 1;
    for (int i = 0; i < at; ++i) {
        if (text[i] == '\n')
            ++line;
    }

    // The snippet starts one character before the error and stops at the document's end.
    char snippet[kSnippetMax + 1];
    int from = at > 0 ? at - 1 : 0;
    int count = 0;
    while (count < kSnippetMax && from + count < end) {
        snippet[count] = text[from + count];
        ++count;
    }
    snippet[count] = 0;

    ok = 0;
    position = end;

    QVI_ReportPopup(QV_LOG_WARNING, "Parsing error (%s) around line %d in XML '%s'. Unexpected character '%c' (%x) at:\n'%s'",
                    reason ? reason : "", line, fileName ? fileName : "", XMLMessageCharacter(c),
                    XMLCharacterCode(c), snippet);
}
