#pragma once

// Character classes shared by the XML reader's scanner, header check and blocks.

// The white space the reader knows: blank, tab, carriage return and line feed.
inline bool IsXMLWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A character to show for "%c" in a message: a zero byte would end the formatted
// text there and lose the rest of the message (the code is shown next to it anyway).
inline char XMLMessageCharacter(char c)
{
    return c != 0 ? c : ' ';
}

// The character's code as the unsigned byte it is in the file.
inline int XMLCharacterCode(char c)
{
    return static_cast<unsigned char>(c);
}
