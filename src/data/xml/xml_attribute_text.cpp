#include "data/xml/xml_attribute_text.h"

#include <cstring>

namespace {

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Replaces every occurrence of entity with replacement, in one left-to-right pass:
// the replacement character is never looked at again.
void ReplaceEntityInPlace(char* value, const char* entity, char replacement)
{
    size_t entityLength = strlen(entity);
    char* out = value;
    const char* in = value;
    while (*in) {
        if (strncmp(in, entity, entityLength) == 0) {
            *out++ = replacement;
            in += entityLength;
            continue;
        }
        *out++ = *in++;
    }
    *out = 0;
}

char DecodeEscape(char c, bool* keep)
{
    *keep = true;
    switch (c) {
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case '"': return '"';
    case '\\': return '\\';
    default: *keep = false; return 0;
    }
}

} // namespace

bool QVI_IsXMLAttributeNameCharacter(char c, bool first)
{
    if (IsLetter(c) || c == '_' || c == '.')
        return true;
    return !first && IsDigit(c);
}

bool QVI_IsXMLAttributeName(const char* name)
{
    if (!name || !name[0])
        return false;
    for (const char* p = name; *p; ++p) {
        if (!QVI_IsXMLAttributeNameCharacter(*p, p == name))
            return false;
    }
    return true;
}

void QVI_UnescapeXMLAttributeValue(char* value)
{
    if (!value)
        return;
    char* out = value;
    const char* in = value;
    while (*in) {
        if (in[0] == '\\' && in[1] != 0) {
            bool keep = false;
            char decoded = DecodeEscape(in[1], &keep);
            if (keep)
                *out++ = decoded;
            in += 2;
            continue;
        }
        *out++ = *in++;
    }
    *out = 0;
    ReplaceEntityInPlace(value, "&quot;", '"');
    ReplaceEntityInPlace(value, "&amp;", '&');
}
