#include "data/xml/xml_reader.h"

#include "core/engine_log.h"
#include "data/xml/xml_attribute_text.h"

namespace {

char kTextBlockAttributeName[] = "DATA";

// The closing quote of a value starting at value: a backslash always takes the next
// character with it, as the scanner counted escaped quotes. Null when there is none.
char* FindClosingQuote(char* value)
{
    char* p = value;
    while (*p) {
        if (p[0] == '\\' && p[1] != 0) {
            p += 2;
            continue;
        }
        if (*p == '"')
            return p;
        ++p;
    }
    return nullptr;
}

// Cuts the element name and the name="value" pairs of a tag token in place. False
// after a reported error.
bool ParseTag(XMLReader& reader, char* token)
{
    XMLBlock& block = reader.current;
    char* p = token + 1;
    if (*p == '/') {
        block.closing = 1;
        ++p;
    }
    char* name = p;
    while (*p && *p != ' ' && *p != '>')
        ++p;
    block.name = name;
    if (*p != ' ') {
        if (p > name && p[-1] == '/') {
            block.closing = 1;
            p[-1] = 0;
        }
        *p = 0;
        return true;
    }
    *p++ = 0;

    bool warnedAboutLimit = false;
    for (;;) {
        while (*p == ' ')
            ++p;
        if (*p == 0 || *p == '>')
            return true;
        if ((*p == '/' || *p == '?') && p[1] == '>') {
            if (*p == '/')
                block.closing = 1;
            return true;
        }

        char* attributeName = p;
        while (QVI_IsXMLAttributeNameCharacter(*p, p == attributeName))
            ++p;
        if (p == attributeName || *p != '=') {
            reader.ReportError("Reading next block (case #1)", *p);
            return false;
        }
        *p++ = 0;
        if (*p != '"') {
            reader.ReportError("Expecting \" character to start value definition (all values must be defined "
                               "name=\"value\" with quotes).",
                               *p);
            reader.ReportError("Reading next block (case #2)", *p);
            return false;
        }
        char* value = ++p;
        char* closingQuote = FindClosingQuote(value);
        if (!closingQuote) {
            reader.ReportError("Reading next block (case #2)", *p);
            return false;
        }
        *closingQuote = 0;
        p = closingQuote + 1;
        QVI_UnescapeXMLAttributeValue(value);

        // Attributes past the limit are still checked but no longer stored.
        if (block.attributeCount < XMLBlock::kMaxAttributes) {
            block.attributeNames[block.attributeCount] = attributeName;
            block.attributeValues[block.attributeCount] = value;
            ++block.attributeCount;
            if (block.attributeCount == XMLBlock::kMaxAttributes && !warnedAboutLimit) {
                warnedAboutLimit = true;
                if (qv && qv->LogPopup)
                    qv->LogPopup(QV_LOG_WARNING, "Too many blocks (%d limit) in object '%s' in xml '%s'.",
                                 XMLBlock::kMaxAttributes, block.name, reader.fileName ? reader.fileName : "");
            }
        }
    }
}

} // namespace

XMLBlock* XMLReader::ReadNextBlock()
{
    if (!valueBuffer || !ok || !text || position >= length)
        return nullptr;
    char* token = Scan();
    if (!token)
        return nullptr;

    current.name = nullptr;
    current.attributeCount = 0;
    current.closing = 0;

    // CDATA content is cut out of the document rather than built in the value buffer:
    // it is text whatever it begins with.
    bool isTag = token == valueBuffer && token[0] == '<' && token[1] != '!';
    if (!isTag) {
        current.attributeCount = 1;
        current.attributeNames[0] = kTextBlockAttributeName;
        current.attributeValues[0] = token;
        return &current;
    }
    if (!ParseTag(*this, token))
        return nullptr;
    return &current;
}
