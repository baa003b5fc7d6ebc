#pragma once

// What the XML reader accepts and how it decodes attribute values. Writers of XML
// (DataManager's Save) use the same rules so that what they write reads back.

// A character of an attribute name: a letter, '_' or '.', or a digit when not first.
bool QVI_IsXMLAttributeNameCharacter(char c, bool first);

// An attribute name: one or more letters, digits, '_' and '.', not starting with a digit.
bool QVI_IsXMLAttributeName(const char* name);

// Decodes an attribute value in place (it only shrinks): backslash-n, -r and -t give
// a line feed, carriage return and tab, backslash-quote a quote, two backslashes one
// backslash, any other backslash pair is dropped; then each "&quot;" becomes a quote,
// then each "&amp;" becomes '&' (each pass once, left to right; no other entities).
void QVI_UnescapeXMLAttributeValue(char* value);
