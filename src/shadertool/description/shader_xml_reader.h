#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "shadertool/description/shader_description.h"

#include <cstdint>

class Database;
class DataArray;
class DataNode;

namespace ShaderTool {

struct Log;

// Reads a Shader XML file (a DataManager database) into a ShaderDescription, checking
// every array and node. Every problem is reported into the error log as "Error: %s\n";
// within an array every node is examined, but after the first failed node no further
// one is added, and the first failed array ends the reading. One reader lives in the
// translation context; what it read stays in the description until Reset.
class ShaderXMLReader {
public:
    Log* errorLog;                     // the context's error log (borrowed)
    ShaderDescription description;
    String directory;                  // the XML path up to its last '/', with the '/'; or empty
    const char* xmlPath;               // borrowed for the length of one read
    Array<int32_t> sourceLines;        // per node of "sources": the XML line its CDATA starts on
    Database* database;                // borrowed for the length of one read

    explicit ShaderXMLReader(Log* errorLog = nullptr);
    ShaderXMLReader(const ShaderXMLReader&) = delete;
    ShaderXMLReader& operator=(const ShaderXMLReader&) = delete;

    // Reads the file through DataManager; with reload set, a cached database of that
    // name is dropped first so the file is read anew. On success the description's time
    // stamp becomes the file's modification time.
    bool ReadFile(const char* path, bool reload, bool skipSources);
    // Reads XML text (with its "<?xml ... ?>" declaration) that is not cached anywhere.
    // name stands for the file in messages and source paths, and relative source files
    // are looked up beside it; the time stamp is not touched.
    bool ReadText(const char* name, const char* text, bool skipSources);

    // Empties the description (time stamp 0), the directory and the line table.
    void Reset();

private:
    // The XML text itself for the line table when reading from memory; null for a file.
    const char* memoryText_ = nullptr;

    // The line table of the last file read, with what it was made from. Reading the raw
    // file again for every translation cost more than the rest of the read, so it is
    // reused while the same cached database of the same, unchanged file is read; a
    // reload or a newer file makes it anew. Kept across Reset.
    struct LineTableCache {
        String path;
        const Database* database = nullptr;
        uint32_t modified = 0;
        Array<int32_t> lines;
        bool valid = false;
    };
    LineTableCache lineCache_;
    // The file's modification time for the read in progress; 0 when unknown (no reuse).
    uint32_t fileModified_ = 0;

    void SetPath(const char* path);
    bool ReadArrays(bool skipSources);
    bool ReadInfo();
    bool ReadGeneralConstants();
    bool ReadVertexInputs();
    bool ReadShaderConstants(const char* arrayName, Array<ShaderConstant>& constants);
    bool ReadVertexOutputs();
    bool ReadPixelTextures();
    bool ReadPixelOutputs();
    bool ReadSources();

    // The checks every array makes on a node's "id": false, reported, when it is
    // missing or starts with '_'. word names the node in the messages.
    bool CheckName(const DataNode* node, const char* word);
    // The end of every node of an interface array: a node that passed is refused
    // ("%s with name '%s' already exists.", word naming the array) when the array holds
    // its name already; a refused node fails the array, and once the array failed no
    // node is added any more.
    template <typename T>
    void AddEntry(Array<T>& entries, T&& entry, const char* word, bool passed, bool* failed);
    bool ReadShaderConstant(const char* arrayName, const DataNode* node, ShaderConstant* constant);
    bool ReadPixelTexture(const DataNode* node, PixelTexture* texture);
    bool ReadSource(int number, const DataNode* node, ShaderSource* source);
    bool CheckSourceOverlap(const ShaderSource& source);
    int32_t ResolveCount(const char* count) const;
    void BuildSourceLineTable();

    void Error(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
};

// Reads a Shader XML into the translation context's description: from text when text
// is given (built-in shaders; path then only names it), else from the file at path
// (with reload, a copy cached by DataManager is dropped first). Sources are left out
// with skipSources. Afterwards the error log is moved into the report log, under the
// title "Failed to read the Shader XML" when the read failed. The caller holds the
// "ShaderTranslator" lock until ShaderTool::Reset.
bool ReadShaderXML(const String& path, const char* text, bool reload, bool skipSources);

// The context's Shader XML reader, made on first use when the context has none yet.
ShaderXMLReader* GetShaderXMLReader();

// The file name of a path without folders and extension: the text after the last '/'
// or '\', cut at its last '.'. So "shaders/sea/water.xml" gives "water" (compiled code
// of every shader then lands in one folder) and "water" stays "water". A null path
// gives the null String.
String GetFileBaseName(const char* path);

// Finds, in the raw text of a Shader XML file, the line on which each node of the
// "sources" array starts its CDATA section, so that messages about inline code name the
// XML file's own lines. The array is the first "<array" outside comments whose first
// attribute is id="sources" (blanks allowed around '='); every "<node" outside comments
// up to its "</array" adds one entry: the line (from 1) of the "<![CDATA[" that comes
// before the node's first "/>" (or, when none follows, before its first "</node"), or
// 1 when no CDATA comes first. Adds nothing when there is no such array.
void ScanSourceLines(const char* text, int length, Array<int32_t>& lines);

} // namespace ShaderTool
