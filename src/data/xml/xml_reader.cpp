#include "data/xml/xml_reader.h"

#include "core/engine_log.h"
#include "data/scrambled/scrambled_data.h"
#include "data/xml/xml_document_file.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

// Longest piece of the document a parse error quotes.
const int kSnippetMax = 255;

// A character to show for "%c" in a message: a zero byte would end the formatted
// text there and lose the rest of the message (the code is shown next to it anyway).
char XMLMessageCharacter(char c)
{
    return c != 0 ? c : ' ';
}

// The character's code as the unsigned byte it is in the file.
int XMLCharacterCode(char c)
{
    return static_cast<unsigned char>(c);
}

} // namespace

static_assert(sizeof(void*) != 4 || offsetof(XMLBlock, attributeCount) == 4, "XMLBlock layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLBlock, attributeNames) == 8, "XMLBlock layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLBlock, attributeValues) == 2056, "XMLBlock layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLBlock, closing) == 4104, "XMLBlock layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, reserved) == 4, "XMLReader layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, length) == 8, "XMLReader layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, position) == 12, "XMLReader layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, current) == 16, "XMLReader layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, valueBuffer) == 4124, "XMLReader layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, text) == 4128, "XMLReader layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, ok) == 4132, "XMLReader layout");

XMLReader::XMLReader()
    : fileName(nullptr), reserved(0), length(0), position(0), current(), valueBuffer(nullptr),
      text(nullptr), ok(0)
{
    valueBuffer = static_cast<char*>(calloc(kValueBufferSize, 1));
}

XMLReader::~XMLReader()
{
    free(text);
    free(valueBuffer);
    free(fileName);
}

bool XMLReader::LoadFile(const char* name)
{
    // The name may point into the old file name; copy it before freeing that.
    char* nameCopy = (name && name[0]) ? strdup(name) : nullptr;
    free(fileName);
    free(text);
    fileName = nullptr;
    text = nullptr;
    length = 0;
    position = 0;
    ok = 0;
    memset(&current, 0, sizeof(current));
    if (!nameCopy)
        return false;
    fileName = nameCopy;

    int fileLength = 0;
    char* contents = QVI_ReadWholeFileForXML(fileName, &fileLength);
    if (!contents)
        return false;

    uint8_t* bytes = reinterpret_cast<uint8_t*>(contents);
    if (QVI_IsScrambledData(bytes, fileLength)) {
        int plainLength = QVI_DescrambleInPlace(bytes, fileLength);
        if (plainLength < 0) {
            free(contents);
            return false;
        }
        fileLength = plainLength;
        contents[fileLength] = 0;
    }

    text = contents;
    length = fileLength;
    position = 0;
    ok = 1;
    return ReadHeader();
}

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

namespace {

const char kCDataStart[] = "![CDATA[";
const int kCDataStartLength = 8;
const char kCDataEnd[] = "]]>";
const char kCommentStart[] = "<!--";
const int kCommentStartLength = 4;

// True when the document holds pattern (patternLength bytes) at index at, looking
// only at bytes inside the document.
bool DocumentHas(const char* text, int length, int at, const char* pattern, int patternLength)
{
    if (at < 0 || at > length - patternLength)
        return false;
    return memcmp(text + at, pattern, patternLength) == 0;
}

// Index of the first occurrence of pattern at or after from, or -1.
int FindInDocument(const char* text, int length, int from, const char* pattern, int patternLength)
{
    for (int i = from; i <= length - patternLength; ++i) {
        if (memcmp(text + i, pattern, patternLength) == 0)
            return i;
    }
    return -1;
}

// A quote is escaped when an odd number of backslashes stands right before it:
// "\\" is an escaped backslash, so the quote after it still ends the value. This
// matches how the value's escapes are replaced later, pair by pair.
bool EndsInEscapingBackslash(const char* token, int count)
{
    int backslashes = 0;
    while (backslashes < count && token[count - 1 - backslashes] == '\\')
        ++backslashes;
    return (backslashes & 1) != 0;
}

// Skips a comment whose "<!--" has just been read: the position moves on until the
// three characters before it are "-->". Those may include the opener's own dashes, so
// "<!-->" and "<!--->" are whole comments. A nested "<!-" or the end of the document is
// an error.
bool SkipComment(XMLReader& reader)
{
    const char* text = reader.text;
    const int length = reader.length;
    for (int at = reader.position + 1; at <= length; ++at) {
        const char* before = text + at - 3;
        if (memcmp(before, "-->", 3) == 0) {
            reader.position = at;
            return true;
        }
        if (memcmp(before, "<!-", 3) == 0) {
            reader.position = at - 3;
            reader.ReportError("New comment block start within a comment block.", text[at - 3]);
            return false;
        }
    }
    reader.position = length;
    reader.ReportError("Comment block not ended properly.", text[length - 1]);
    return false;
}

bool MayFollowValue(char c)
{
    return c == '>' || c == '/' || c == '?' || IsXMLWhiteSpace(c);
}

// Appends the characters from the reader's position on that pass keep(c) to the token
// in the value buffer (count characters so far), in one tight loop as far as the buffer
// has room; moves the position past them and answers how many. What stops the run is
// left to the caller, which meets it one character at a time.
template <typename Keep>
int TakeRun(XMLReader& reader, int count, Keep keep)
{
    const int room = XMLReader::kValueBufferSize - 1 - count;
    const int left = reader.length - reader.position;
    const char* in = reader.text + reader.position;
    const char* stop = in + (left < room ? left : room);
    char* const start = reader.valueBuffer + count;
    char* out = start;
    while (in < stop && keep(*in))
        *out++ = *in++;
    const int taken = static_cast<int>(out - start);
    reader.position += taken;
    return taken;
}

// A character a tag keeps as it is: nothing to normalise around it, and it neither
// ends the tag, starts a value or a CDATA section nor completes a comment start.
bool IsPlainInTag(char c)
{
    switch (c) {
    case ' ': case '\t': case '\r': case '\n': case '<': case '>': case '=': case '"': case '-': case '!':
        return false;
    default:
        return true;
    }
}

} // namespace

// Builds the next token in the value buffer. Tags are normalised on the way: runs of
// white space become one blank, blanks next to '<', '=' and before '>' or "/>" are
// dropped, comments are skipped. Text outside tags is kept as it is. A double quote,
// in a tag or in text, opens a quoted run that keeps every character up to its
// closing quote, '<' and '>' included; the closing quote must be followed by '>',
// '/', '?' or white space. "![CDATA[" starts a section wherever it stands, in a tag, a
// quoted run or text: its content is the token, and what was collected before it is
// given up. Every token, wherever it is, keeps at most kValueBufferSize - 1
// characters, white space included; one more is the "buffer overrun" error.
char* XMLReader::Scan()
{
    if (!ok || !text || !valueBuffer || length <= 0)
        return nullptr;

    char* token = valueBuffer;
    int count = 0;
    bool inTag = false;
    bool inQuote = false;

    while (position < length) {
        char c = text[position];

        if (c == '!' && DocumentHas(text, length, position, kCDataStart, kCDataStartLength)) {
            int contentStart = position + kCDataStartLength;
            int contentEnd = FindInDocument(text, length, contentStart, kCDataEnd, 3);
            if (contentEnd < 0) {
                ReportError("'![CDATA[' does not end with ']]>' pattern.", c);
                return nullptr;
            }
            // The content is cut out of the document in place: it may be far longer than
            // the value buffer (shader sources are kept in CDATA).
            text[contentEnd] = 0;
            position = contentEnd + 3;
            return text + contentStart;
        }

        if (inQuote) {
            // The characters up to the next quote are taken as they are; the quote, a
            // possible section start, the end of the document and the buffer's limit are
            // met one at a time below.
            if (int taken = TakeRun(*this, count, [](char k) { return k != '"' && k != '!'; })) {
                count += taken;
                continue;
            }
            if (count >= kValueBufferSize - 1) {
                ReportError("buffer overrun", c);
                return nullptr;
            }
            token[count++] = c;
            if (c == '"' && !EndsInEscapingBackslash(token, count - 1)) {
                inQuote = false;
                if (position + 1 < length && !MayFollowValue(text[position + 1])) {
                    ++position;
                    ReportError("Unexpected character after value definition.", text[position]);
                    return nullptr;
                }
            }
            ++position;
            continue;
        }

        if (!inTag) {
            if (c == '>') {
                ReportError("not expecting '>'", c);
                return nullptr;
            }
            if (c != '<') {
                // The layout between elements (white space up to the next tag or the end)
                // is dropped in one step when it would fit a token; a longer run is
                // collected below like any text, and overruns there.
                if (count == 0 && IsXMLWhiteSpace(c)) {
                    int next = position + 1;
                    while (next < length && IsXMLWhiteSpace(text[next]))
                        ++next;
                    if ((next == length || text[next] == '<') && next - position <= kValueBufferSize - 1) {
                        position = next;
                        continue;
                    }
                }
                if (count >= kValueBufferSize - 1) {
                    ReportError("buffer overrun", c);
                    return nullptr;
                }
                token[count++] = c;
                ++position;
                // Text quotes as a value does: '<' and '>' inside are kept as text.
                inQuote = c == '"';
                continue;
            }
            // Text before the tag is a token of its own. It is never white space alone: that
            // was dropped where it began, or overran before reaching the tag.
            if (count > 0) {
                token[count] = 0;
                return token;
            }
            token[count++] = '<';
            inTag = true;
            ++position;
            continue;
        }

        // Inside a tag. A run of plain characters (names) is taken as it is.
        if (IsPlainInTag(c)) {
            if (int taken = TakeRun(*this, count, [](char k) { return IsPlainInTag(k); })) {
                count += taken;
                continue;
            }
        }
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
        char last = count > 0 ? token[count - 1] : 0;

        if (c == ' ') {
            if (count == 0 || last == ' ' || last == '<' || last == '=') {
                ++position;
                continue;
            }
        } else if (c == '<') {
            if (last == '<') {
                ReportError("not expecting another '<'", c);
                return nullptr;
            }
        } else if (c == '>') {
            if (last == '<') {
                ReportError("not expecting '<' yet", c);
                return nullptr;
            }
            if (last == ' ') {
                --count;
            } else if (last == '/' && count >= 2 && token[count - 2] == ' ') {
                token[count - 2] = '/';
                --count;
            }
        } else if (c == '=') {
            if (last == ' ')
                --count;
        }

        if (count >= kValueBufferSize - 1) {
            ReportError("buffer overrun", c);
            return nullptr;
        }
        if (c == '>') {
            token[count++] = '>';
            token[count] = 0;
            ++position;
            return token;
        }
        if (c == '"')
            inQuote = true;
        token[count++] = c;
        ++position;

        // Only a '-' can complete "<!--": the last four characters are compared only then.
        if (c == '-' && count >= kCommentStartLength &&
            memcmp(token + count - kCommentStartLength, kCommentStart, kCommentStartLength) == 0) {
            count -= kCommentStartLength;
            if (!SkipComment(*this))
                return nullptr;
            // Whatever stood before the comment goes on: the rest of a tag, or nothing.
            inTag = count > 0;
        }
    }

    // The document ended inside a tag or a quoted value: it was cut off.
    if (inTag || inQuote)
        ok = 0;
    return nullptr;
}

namespace {

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
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

// Decodes the backslash pairs of value (length characters) in place; answers the new
// length. Most values hold no backslash and are left untouched.
size_t DecodeEscapesInPlace(char* value, size_t length)
{
    char* first = static_cast<char*>(memchr(value, '\\', length));
    if (!first)
        return length;
    const char* end = value + length;
    char* out = first;
    const char* in = first;
    while (in < end) {
        if (in[0] == '\\' && in + 1 < end) {
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
    return static_cast<size_t>(out - value);
}

// Replaces "&quot;" with a quote and "&amp;" with '&' in one left-to-right pass over
// value (length characters), in place: a character a replacement gives is never looked
// at again. Neither entity can overlap the other, nor can a quote from the first join
// text into the second, so this is the same as replacing all of the first, then all of
// the second. Only the '&'s are looked at.
void ReplaceEntitiesInPlace(char* value, size_t length)
{
    char* out = static_cast<char*>(memchr(value, '&', length));
    if (!out)
        return;
    const char* end = value + length;
    const char* in = out;
    while (in < end) {
        // in is at an '&'.
        size_t left = static_cast<size_t>(end - in);
        if (left >= 6 && memcmp(in, "&quot;", 6) == 0) {
            *out++ = '"';
            in += 6;
        } else if (left >= 5 && memcmp(in, "&amp;", 5) == 0) {
            *out++ = '&';
            in += 5;
        } else {
            *out++ = *in++;
        }
        const char* next = static_cast<const char*>(memchr(in, '&', static_cast<size_t>(end - in)));
        size_t plain = static_cast<size_t>((next ? next : end) - in);
        memmove(out, in, plain);
        out += plain;
        in += plain;
    }
    *out = 0;
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

void QVI_UnescapeXMLAttributeValue(char* value, size_t length)
{
    if (!value)
        return;
    ReplaceEntitiesInPlace(value, DecodeEscapesInPlace(value, length));
}

namespace {

char kTextBlockAttributeName[] = "DATA";

// The closing quote of a value starting at value: a backslash always takes the next
// character with it, as the scanner counted escaped quotes. Null when there is none.
// *decode tells whether the value holds a backslash or an '&': most values hold
// neither and need no second look.
char* FindClosingQuote(char* value, bool* decode)
{
    bool special = false;
    char* p = value;
    while (*p) {
        if (p[0] == '\\' && p[1] != 0) {
            special = true;
            p += 2;
            continue;
        }
        if (*p == '"') {
            *decode = special;
            return p;
        }
        special = special || *p == '&';
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
        bool decode = false;
        char* closingQuote = FindClosingQuote(value, &decode);
        if (!closingQuote) {
            reader.ReportError("Reading next block (case #2)", *p);
            return false;
        }
        *closingQuote = 0;
        p = closingQuote + 1;
        if (decode)
            QVI_UnescapeXMLAttributeValue(value, static_cast<size_t>(closingQuote - value));

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

bool QVI_IsXMLEndTag(const XMLBlock* block)
{
    return block && block->name && block->closing && block->name[-1] == '/';
}

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
