#include "shadertool/description/shader_xml_reader.h"

#include "core/engine_log.h"
#include "data/datamanager/data_manager.h"
#include "data/datamanager/database.h"
#include "data/xml/xml_reader.h"
#include "shadertool/core/context.h"
#include "shadertool/core/log.h"

#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace ShaderTool {

namespace {

// Shortest text that can hold an XML declaration at all.
const int kMinimumXMLText = 4;

// "2" -> 2; text that does not start with a digit counts as 0, a number too large for
// an int as the largest int.
int32_t ReadVersionNumber(const char* text)
{
    return text ? ReadClampedDigits(text, 10) : 0;
}

// Keeps the borrowed database pointer valid only while one read runs.
class BorrowedDatabase {
public:
    BorrowedDatabase(Database** slot, Database* database) : slot_(slot) { *slot_ = database; }
    ~BorrowedDatabase() { *slot_ = nullptr; }
    BorrowedDatabase(const BorrowedDatabase&) = delete;
    BorrowedDatabase& operator=(const BorrowedDatabase&) = delete;

private:
    Database** slot_;
};

} // namespace

ShaderXMLReader::ShaderXMLReader(Log* log) : errorLog(log), xmlPath(nullptr), database(nullptr)
{
}

void ShaderXMLReader::Error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    String message = FormatArguments(format, args);
    va_end(args);
    if (errorLog)
        errorLog->AppendError(message.text ? message.text : "");
}

void ShaderXMLReader::SetPath(const char* path)
{
    xmlPath = path;
    directory.Assign(nullptr);
    const char* slash = path ? strrchr(path, '/') : nullptr;
    if (slash && slash > path)
        directory = String(path).Substring(0, static_cast<int>(slash - path + 1));
}

void ShaderXMLReader::Reset()
{
    description.Reset();
    directory.Assign(nullptr);
    sourceLines.Release();
    xmlPath = nullptr;
    database = nullptr;
    memoryText_ = nullptr;
}

bool ShaderXMLReader::ReadFile(const char* path, bool reload, bool skipSources)
{
    const char* name = path ? path : "";
    if (reload) {
        if (Database* cached = DataManager::FindDatabase(name))
            DataManager::UnloadDatabase(cached);
        lineCache_.valid = false;
    }
    Database* loaded = DataManager::GetDatabase(name);
    if (!loaded) {
        Error("file does not exist.");
        return false;
    }

    // Asked before the arrays are read: the line table's reuse depends on it too.
    FileInfo info = {};
    const bool haveInfo =
        qv && qv->fileSystem && qv->fileSystem->GetFileInfo && qv->fileSystem->GetFileInfo(name, &info);
    fileModified_ = haveInfo ? info.modified : 0;

    BorrowedDatabase borrow(&database, loaded);
    memoryText_ = nullptr;
    SetPath(name);
    bool read = ReadArrays(skipSources);
    xmlPath = nullptr;
    fileModified_ = 0;
    if (!read)
        return false;

    if (haveInfo)
        description.timeStamp = info.modified;
    return true;
}

bool ShaderXMLReader::ReadText(const char* name, const char* text, bool skipSources)
{
    if (!text)
        return false;
    size_t length = strlen(text);
    if (length < static_cast<size_t>(kMinimumXMLText) || length >= static_cast<size_t>(INT32_MAX))
        return false;

    XMLReader xml;
    xml.text = static_cast<char*>(malloc(length + 1));
    xml.fileName = strdup("FromMem");
    if (!xml.text)
        return false;
    memcpy(xml.text, text, length + 1);
    xml.length = static_cast<int>(length);
    xml.position = 0;
    xml.ok = 1;
    if (!xml.ReadHeader())
        return false;

    Database temporary;
    temporary.LoadFromXML(&xml);
    BorrowedDatabase borrow(&database, &temporary);
    memoryText_ = text;
    SetPath(name ? name : "");
    bool read = ReadArrays(skipSources);
    xmlPath = nullptr;
    memoryText_ = nullptr;
    return read;
}

bool ShaderXMLReader::ReadArrays(bool skipSources)
{
    if (!ReadInfo())
        return false;
    if (!ReadGeneralConstants() || !ReadVertexInputs() || !ReadShaderConstants("vertex_constants", description.vertex_constants) ||
        !ReadVertexOutputs() || !ReadShaderConstants("pixel_constants", description.pixel_constants) ||
        !ReadPixelTextures() || !ReadPixelOutputs())
        return false;
    if (skipSources)
        return true;
    return ReadSources();
}

bool ShaderXMLReader::ReadInfo()
{
    const DataArray* info = database->FindArray("info");
    const char* version = info ? info->GetNodeParameter("version", "value") : nullptr;
    const char* revision = info ? info->GetNodeParameter("revision", "value") : nullptr;
    if (ReadVersionNumber(version) < 2 || ReadVersionNumber(revision) < 2) {
        Error("file is of invalid version.");
        return false;
    }
    return true;
}

bool ShaderXMLReader::CheckName(const DataNode* node, const char* word)
{
    const char* id = node->GetParameter("id");
    if (!id) {
        Error("%s does not have 'id' attribute.", word);
        return false;
    }
    if (id[0] == '_') {
        Error("%s id starts with an underscore.", word);
        return false;
    }
    return true;
}

ShaderXMLReader* GetShaderXMLReader()
{
    if (!g_shaderContext.reader)
        g_shaderContext.reader = new ShaderXMLReader(&g_shaderContext.errorLog);
    if (!g_shaderContext.reader->errorLog)
        g_shaderContext.reader->errorLog = &g_shaderContext.errorLog;
    return g_shaderContext.reader;
}

bool ReadShaderXML(const String& path, const char* text, bool reload, bool skipSources)
{
    ShaderXMLReader* reader = GetShaderXMLReader();
    bool read = text ? reader->ReadText(path.text, text, skipSources) : reader->ReadFile(path.text, reload, skipSources);
    g_shaderContext.errorLog.MoveInto(g_shaderContext.reportLog, read ? nullptr : "Failed to read the Shader XML");
    return read;
}

String GetFileBaseName(const char* path)
{
    String result;
    if (!path)
        return result;
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '/' || *p == '\\')
            name = p + 1;
    }
    const char* dot = strrchr(name, '.');
    size_t length = dot ? static_cast<size_t>(dot - name) : strlen(name);
    char* block = static_cast<char*>(malloc(length + 1));
    if (!block)
        return result;
    memcpy(block, name, length);
    block[length] = '\0';
    result.text = block;
    return result;
}

} // namespace ShaderTool
