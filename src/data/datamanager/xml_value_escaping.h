#pragma once

class ByteBuffer;

// How DataManager writes texts so that the XML reader gives them back unchanged.

// Appends value as the inside of a quoted attribute value, using the escapes the
// reader decodes: '&' as "&amp;", '"' as "&quot;", then backslash, line feed,
// carriage return and tab as "\\", "\n", "\r" and "\t". The reader undoes these in
// the opposite order, so every text comes back byte for byte. A quote is never
// written as backslash-quote, so no run of backslashes can end a value early.
// Answers the number of bytes it meant to append (out may hold fewer when memory
// ran out).
int QVI_AppendEscapedAttributeValue(ByteBuffer* out, const char* value);

// How a node's DATA text is written.
enum class DataTextForm {
    Plain,      // as it is between the tags
    CData,      // inside <![CDATA[ ]]>
    Attribute,  // as the attribute DATA="..." (text that holds "]]>")
};

// Plain for ordinary text; CDATA for text holding characters with a meaning to the
// reader ('<', '>', '&', '"'), white space only (or nothing), or too long for the
// reader's token buffer; an attribute for text that holds "]]>", which no CDATA
// section can carry.
DataTextForm QVI_ChooseDataTextForm(const char* text);
