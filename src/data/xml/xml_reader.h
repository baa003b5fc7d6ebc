#pragma once

#include <cstddef>
#include <cstdint>

// The engine's small, forgiving XML reader. It loads a whole file through the API
// table's file system (qv->fileSystem), accepts scrambled files transparently, checks
// the "<?xml ... ?>" declaration and then hands out one element tag or one piece of
// text at a time. It keeps no tree: callers walk the blocks in document order.
//
// Typical use:
//     XMLReader reader;
//     if (!reader.LoadFile("res://prog.xml")) { ... not found / not XML ... }
//     while (XMLBlock* block = reader.ReadNextBlock()) { ... }
//     // A parse error (logged) or a document cut off inside a tag ends the blocks
//     // early; reader.ok is then 0.
//
// Reading XML already held in memory: set text to a malloc'd copy of the document
// followed by a zero byte (the reader frees it), length to the document's byte count
// (without the zero byte), ok to 1, optionally fileName to a malloc'd name for the
// messages, and call ReadHeader(); then ReadNextBlock() as above.
//
// What it reads: elements with name="value" attributes (double quotes only; blanks
// around '=' allowed; backslash escapes \n \r \t \" \\ and the entities &quot; and
// &amp; in values), text between elements (kept as it is, white space included; a
// double quote there opens a quoted run as in a tag, inside which '<' and '>' are
// text, and its closing quote must be followed by '>', '/', '?' or white space;
// white space alone is no block), CDATA
// sections (always text, however long; "![CDATA[" opens one wherever it stands, inside
// a tag, a quoted value or text too, and its content replaces what was collected
// there), and comments (skipped, also inside tags; "<!-->" is a whole comment).
// Each tag, quoted value or text keeps at most kValueBufferSize - 1 characters; a
// longer one, a run of white space between tags included, is the "buffer overrun"
// error.

// One element tag or one piece of text. Every string points into the reader's value
// buffer or document text and stays valid only until the next ReadNextBlock.
struct XMLBlock {
    static constexpr int kMaxAttributes = 512;

    // The element name, or null for a text block.
    char* name;
    int attributeCount;
    char* attributeNames[kMaxAttributes];
    char* attributeValues[kMaxAttributes];
    // 1 for an end tag ("</name>") and for a self-closing tag ("<name/>").
    uint8_t closing;
};

// A text block: name null, attributeCount 1, attributeNames[0] "DATA", the text as
// attributeValues[0].

static_assert(sizeof(void*) == 4 ? sizeof(XMLBlock) == 4108 : true, "XMLBlock layout");

class XMLReader {
public:
    // Size of the buffer the scanner builds each token in; a token keeps at most
    // kValueBufferSize - 1 characters, a longer one is the "buffer overrun" error.
    static constexpr int kValueBufferSize = 8192;

    char* fileName;    // heap copy of the name given to LoadFile (may be null)
    int reserved;
    int length;        // bytes of document text
    int position;      // index of the next character to scan
    XMLBlock current;  // the block last handed out
    char* valueBuffer; // kValueBufferSize bytes, allocated by the constructor
    char* text;        // the whole document followed by a zero byte (malloc'd)
    uint8_t ok;        // set by LoadFile, cleared by any parse error

    XMLReader();
    ~XMLReader();
    XMLReader(const XMLReader&) = delete;
    XMLReader& operator=(const XMLReader&) = delete;

    // Reads the whole file (descrambling a scrambled one) and checks its declaration.
    // False for a null or empty name, a file that cannot be opened, a scrambled file
    // that fails its checks, or a missing/broken declaration (the last is logged).
    bool LoadFile(const char* fileName);

    // Checks and skips the XML declaration; called by LoadFile. Failure is logged and
    // clears ok.
    bool ReadHeader();

    // The next block, or null at the end of the document or after an error.
    XMLBlock* ReadNextBlock();

    // The next raw token (in the value buffer, or CDATA content cut in place from the
    // text), or null at the end, after an error, or while ok is clear.
    char* Scan();

    // Logs a parse error around the current position and ends the reading.
    void ReportError(const char* reason, char c);
};

// An end tag ("</name>") as opposed to a self-closing tag ("<name/>"): both are
// closing. Only for blocks the reader handed out, whose name it cut out of the tag in
// place, right after "</" in an end tag.
bool QVI_IsXMLEndTag(const XMLBlock* block);

// What the reader accepts and how it decodes attribute values. Writers of XML
// (DataManager's Save) use the same rules so that what they write reads back.

// The white space the reader knows: blank, tab, carriage return and line feed.
inline bool IsXMLWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A character of an attribute name: a letter, '_' or '.', or a digit when not first.
bool QVI_IsXMLAttributeNameCharacter(char c, bool first);

// An attribute name: one or more letters, digits, '_' and '.', not starting with a digit.
bool QVI_IsXMLAttributeName(const char* name);

// Decodes an attribute value of length characters in place (it only shrinks and stays
// zero-terminated): backslash-n, -r and -t give a line feed, carriage return and tab,
// backslash-quote a quote, two backslashes one backslash, any other backslash pair is
// dropped; then each "&quot;" becomes a quote, then each "&amp;" becomes '&' (each pass
// once, left to right; no other entities).
void QVI_UnescapeXMLAttributeValue(char* value, size_t length);
