#pragma once

// ASCII-only character classes for the shader tokenizers. Bytes above 127 belong to no
// class, whatever the C library's locale says.
namespace ShaderTool {

inline bool IsDecimalDigit(int c) { return c >= '0' && c <= '9'; }
inline bool IsOctalDigit(int c) { return c >= '0' && c <= '7'; }
inline bool IsHexDigit(int c) { return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
inline bool IsLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsIdentifierStart(int c) { return IsLetter(c) || c == '_'; }
inline bool IsIdentifierPart(int c) { return IsIdentifierStart(c) || IsDecimalDigit(c); }
inline bool IsBlank(int c) { return c == ' ' || c == '\t'; }

} // namespace ShaderTool
