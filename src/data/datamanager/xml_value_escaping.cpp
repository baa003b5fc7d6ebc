#include "data/datamanager/xml_value_escaping.h"

#include "core/byte_buffer.h"
#include "data/xml/xml_reader.h"

#include <cstring>

namespace {

const char* EscapeFor(char c)
{
    switch (c) {
    case '&': return "&amp;";
    case '"': return "&quot;";
    case '\\': return "\\\\";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    default: return nullptr;
    }
}

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

int QVI_AppendEscapedAttributeValue(ByteBuffer* out, const char* value)
{
    if (!out || !value)
        return 0;
    int intended = 0;
    const char* runStart = value;
    for (const char* p = value; *p; ++p) {
        const char* escape = EscapeFor(*p);
        if (!escape)
            continue;
        int runLength = static_cast<int>(p - runStart);
        int escapeLength = static_cast<int>(strlen(escape));
        out->WriteBytes(runStart, runLength);
        out->WriteBytes(escape, escapeLength);
        intended += runLength + escapeLength;
        runStart = p + 1;
    }
    int restLength = static_cast<int>(strlen(runStart));
    out->WriteBytes(runStart, restLength);
    return intended + restLength;
}

DataTextForm QVI_ChooseDataTextForm(const char* text)
{
    if (!text || !text[0])
        return DataTextForm::CData;
    if (strstr(text, "]]>"))
        return DataTextForm::Attribute;
    bool onlyWhiteSpace = true;
    size_t length = 0;
    for (const char* p = text; *p; ++p, ++length) {
        char c = *p;
        if (c == '<' || c == '>' || c == '&' || c == '"')
            return DataTextForm::CData;
        if (!IsWhiteSpace(c))
            onlyWhiteSpace = false;
    }
    // Plain text is built in the reader's token buffer, white space alone is dropped
    // as layout; a CDATA section has neither limit.
    if (onlyWhiteSpace || length >= static_cast<size_t>(XMLReader::kValueBufferSize - 1))
        return DataTextForm::CData;
    return DataTextForm::Plain;
}
