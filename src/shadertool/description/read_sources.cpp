// The "sources" array: per node the stage, the targets and the code, inline (CDATA) or
// in a file beside the XML.

#include "shadertool/description/shader_xml_reader.h"

#include "data/datamanager/database.h"
#include "data/xml/xml_document_file.h"
#include "shadertool/core/target.h"
#include "shadertool/description/source_line_table.h"
#include "shadertool/description/target_list.h"

#include <cstdlib>
#include <cstring>

namespace ShaderTool {

namespace {

const char* StageWord(uint32_t stage)
{
    return stage == kStagePixel ? "pixel" : "vertex";
}

// Inline code starts on the line of its first visible character: the empty lines that
// open a CDATA section are dropped, and the first line is counted on past them.
void SkipLeadingEmptyLines(const char* code, ShaderSource* source)
{
    const char* start = code;
    int skippedLines = 0;
    for (const char* p = code; *p; ++p) {
        if (static_cast<unsigned char>(*p) > 32)
            break;
        if (*p == '\n') {
            start = p + 1;
            ++skippedLines;
        }
    }
    source->text.Assign(start);
    source->firstLine += skippedLines;
}

} // namespace

void ShaderXMLReader::BuildSourceLineTable()
{
    sourceLines.Release();
    if (memoryText_) {
        ScanSourceLines(memoryText_, static_cast<int>(strlen(memoryText_)), sourceLines);
        return;
    }
    int length = 0;
    char* text = QVI_ReadWholeFileForXML(xmlPath, &length);
    if (!text)
        return;
    ScanSourceLines(text, length, sourceLines);
    free(text);
}

bool ShaderXMLReader::ReadSource(int number, const DataNode* node, ShaderSource* source)
{
    bool passed = true;
    int index = number - 1;
    source->firstLine = index < sourceLines.count ? sourceLines.data[index] : 1;

    const char* type = node->GetParameter("type");
    if (type && strcmp(type, "vertex") == 0) {
        source->stage = kStageVertex;
    } else if (type && strcmp(type, "pixel") == 0) {
        source->stage = kStagePixel;
    } else {
        Error("shader source %i has invalid type.", number);
        passed = false;
    }

    source->targets = ParseTargetList(node->GetParameter("target"));
    if (source->targets == 0) {
        Error("shader source %i has invalid target(s).", number);
        passed = false;
    }

    const char* file = node->GetParameter("file");
    const char* code = node->GetParameter("DATA");
    if (file && code) {
        Error("shader source %i defines both file and CDATA.", number);
        return false;
    }
    if (!file && !code) {
        Error("shader source %i does not define source code.", number);
        return false;
    }

    // A node already refused is not worth reading a file for.
    if (!passed)
        return false;
    if (code) {
        source->path.Assign(xmlPath);
        SkipLeadingEmptyLines(code, source);
        return true;
    }

    source->path = directory + file;
    source->firstLine = 1;
    int length = 0;
    char* text = QVI_ReadWholeFileForXML(source->path.text, &length);
    if (!text) {
        Error("failed to open or read shader source file '%s'.", source->path.text ? source->path.text : "");
        return false;
    }
    source->text.Assign(text);
    free(text);
    return true;
}

bool ShaderXMLReader::CheckSourceOverlap(const ShaderSource& source)
{
    for (int i = 0; i < description.sources.count; ++i) {
        const ShaderSource& earlier = description.sources.data[i];
        if (earlier.stage != source.stage)
            continue;
        if (earlier.targets == kTargetAll && source.targets == kTargetAll) {
            Error("multiple %s shader sources target all targets.", StageWord(source.stage));
            return false;
        }
        // A specific source after an "ALL" one is its preferred code for those targets.
        if (earlier.targets != kTargetAll && (earlier.targets & source.targets) != 0) {
            Error("multiple %s shader sources target the same target.", StageWord(source.stage));
            return false;
        }
    }
    return true;
}

bool ShaderXMLReader::ReadSources()
{
    const DataArray* array = database->FindArray("sources");
    if (!array)
        return true;
    if (array->nodes.count > 0)
        BuildSourceLineTable();
    bool failed = false;
    for (int i = 0; i < array->nodes.count; ++i) {
        ShaderSource source;
        bool passed = ReadSource(i + 1, array->nodes.data[i], &source);
        if (passed && !CheckSourceOverlap(source))
            passed = false;
        if (!passed)
            failed = true;
        else if (!failed)
            description.sources.Add(source);
    }
    return !failed;
}

} // namespace ShaderTool
