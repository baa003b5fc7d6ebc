#pragma once

#include <cstdint>

// The engine's owning text: one malloc'd, zero-terminated 8-bit block, or null.
// A null text measures as length 0 but equals nothing, not even another null text.
// There is no stored length: every change allocates a block of exactly the new size.
class String {
public:
    char* text;

    constexpr String() : text(nullptr) {}
    String(const char* source);
    String(const String& other);
    // Takes over the other's block, leaving it null: texts returned or assigned from
    // temporaries are passed on instead of copied and freed.
    String(String&& other) noexcept : text(other.text) { other.text = nullptr; }
    ~String();

    // Target gets its own copy of the other's text.
    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;

    // Builds the new block before freeing the old one, so passing the own text
    // (or a pointer into it) is safe.
    void Assign(const char* source);
    void Append(const char* source);

    // printf-style; texts under 4096 characters are formatted on the stack only.
    void Format(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
    void AppendFormat(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
    static String FromFormat(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

    bool operator==(const String& other) const;
    String operator+(const char* source) const;
    String operator+(const String& other) const;

    // Cuts the last n characters in place; the block stays allocated.
    void RemoveLast(int n);
    void Replace(const char* from, const char* to);

    // Null String when the token is missing or longer than 1022 characters.
    String Token(int index, const char* separator) const;
    // Null String when start is at or beyond the end; count 0 gives an allocated empty text.
    String Substring(int start, int count) const;
};

static_assert(sizeof(String) == sizeof(char*), "String is exactly one text pointer");

// A text with a number. Copies duplicate the text (a null text stays null).
struct StringIntPair {
    String text;
    int32_t value = 0;

    StringIntPair() = default;
    StringIntPair(const StringIntPair& other) = default;
    StringIntPair& operator=(const StringIntPair& other) = default;
};

// Path helpers for engine paths, which always use '/' as the separator.

// Pointer into path just past the last '.' of its final component ("gz" for
// archive.tar.gz, "hidden" for .hidden). Null for a null or empty path, a path
// without '.', or when a '/' follows the last '.'.
const char* QVI_GetFileExtension(const char* path);

// The path before its last '/'; an allocated empty text when there is no '/'
// (or only a leading one) and for a null path.
String QVI_GetDirectory(const char* path);

// Collapses each "component/../" against the component before it, one at a time,
// rescanning after each step: a/b/../c gives a/c, a/b/../../c gives c, a leading
// "/../" is dropped whole and a leading "../" is kept. Null path gives a null String.
String QVI_NormalizePath(const char* path);
