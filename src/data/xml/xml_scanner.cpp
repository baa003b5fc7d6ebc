#include "data/xml/xml_reader.h"

#include "data/xml/xml_characters.h"

#include <cstring>

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

bool HoldsNonWhiteSpace(const char* token, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!IsXMLWhiteSpace(token[i]))
            return true;
    }
    return false;
}

// Skips a comment whose "<!--" has just been read: position ends up after its "-->".
// A nested "<!-" or the end of the document is an error.
bool SkipComment(XMLReader& reader)
{
    const char* text = reader.text;
    int length = reader.length;
    for (int i = reader.position; i <= length - 3; ++i) {
        if (memcmp(text + i, "-->", 3) == 0) {
            reader.position = i + 3;
            return true;
        }
        if (memcmp(text + i, "<!-", 3) == 0) {
            reader.position = i;
            reader.ReportError("New comment block start within a comment block.", text[i]);
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

} // namespace

// Builds the next token in the value buffer. Tags are normalised on the way: runs of
// white space become one blank, blanks next to '<', '=' and before '>' or "/>" are
// dropped, comments are skipped. Text outside tags is kept as it is; a quote there
// is an ordinary character. Every token, wherever it is, keeps at most
// kValueBufferSize - 1 characters; one more is the "buffer overrun" error.
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

        if (inQuote) {
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
                if (count >= kValueBufferSize - 1) {
                    // A long run of white space is no token yet: before a tag it would be
                    // dropped anyway, so only text that holds something overruns.
                    if (HoldsNonWhiteSpace(token, count)) {
                        ReportError("buffer overrun", c);
                        return nullptr;
                    }
                    count = 0;
                }
                token[count++] = c;
                ++position;
                continue;
            }
            if (HoldsNonWhiteSpace(token, count)) {
                token[count] = 0;
                return token;
            }
            // White space before a tag is dropped; the tag starts a new token.
            count = 0;
            token[count++] = '<';
            inTag = true;
            ++position;

            if (DocumentHas(text, length, position, kCDataStart, kCDataStartLength)) {
                int contentStart = position + kCDataStartLength;
                int contentEnd = FindInDocument(text, length, contentStart, kCDataEnd, 3);
                if (contentEnd < 0) {
                    ReportError("'![CDATA[' does not end with ']]>' pattern.", text[position]);
                    return nullptr;
                }
                // The content is cut out of the document in place: it may be far longer
                // than the value buffer (shader sources are kept in CDATA).
                text[contentEnd] = 0;
                position = contentEnd + 3;
                return text + contentStart;
            }
            continue;
        }

        // Inside a tag.
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

        if (count >= kCommentStartLength &&
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
