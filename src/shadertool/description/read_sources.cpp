// The "sources" array: per node the stage, the targets and the code, inline (CDATA) or
// in a file beside the XML, and the XML line on which inline code starts.

#include "shadertool/description/shader_xml_reader.h"

#include "data/datamanager/database.h"
#include "data/xml/xml_document_file.h"
#include "shadertool/core/target.h"

#include <cstdlib>
#include <cstring>

namespace ShaderTool {

namespace {

// Finds the next occurrence of one pattern. The positions asked about mostly grow, so
// the last answer is reused while it still lies ahead; this keeps a scan over a text
// with many nodes linear.
class PatternFinder {
public:
    PatternFinder(const char* text, int length, const char* pattern)
        : text_(text), length_(length), pattern_(pattern), patternLength_(static_cast<int>(strlen(pattern)))
    {
    }

    // Index of the first occurrence at or after from, or -1.
    int Next(int from)
    {
        if (from < 0)
            from = 0;
        if (searchedFrom_ >= 0 && from >= searchedFrom_ && (found_ < 0 || found_ >= from))
            return found_;
        searchedFrom_ = from;
        found_ = -1;
        for (int i = from; i <= length_ - patternLength_; ++i) {
            if (memcmp(text_ + i, pattern_, static_cast<size_t>(patternLength_)) == 0) {
                found_ = i;
                break;
            }
        }
        return found_;
    }

private:
    const char* text_;
    int length_;
    const char* pattern_;
    int patternLength_;
    int searchedFrom_ = -1;
    int found_ = -1;
};

class RawXMLText {
public:
    RawXMLText(const char* text, int length)
        : text_(text), length_(length), commentEnds_(text, length, "-->"), commentStarts_(text, length, "<!--")
    {
    }

    // Inside a comment: a "-->" follows before any "<!--".
    bool InComment(int at)
    {
        int end = commentEnds_.Next(at);
        if (end < 0)
            return false;
        int start = commentStarts_.Next(at);
        return start < 0 || end < start;
    }

    // The next occurrence that is not inside a comment.
    int NextOutsideComments(PatternFinder& finder, int from)
    {
        for (int at = finder.Next(from); at >= 0; at = finder.Next(at + 1)) {
            if (!InComment(at))
                return at;
        }
        return -1;
    }

    // 1 plus the line feeds before at.
    int LineAt(int at)
    {
        if (at < countedTo_) {
            countedTo_ = 0;
            line_ = 1;
        }
        for (; countedTo_ < at && countedTo_ < length_; ++countedTo_) {
            if (text_[countedTo_] == '\n')
                ++line_;
        }
        return line_;
    }

    // True when id = "sources" (blanks around '=') stands at position at, after blanks.
    bool IsSourcesIdAt(int at) const
    {
        at = SkipBlanks(at);
        if (!Has("id", at))
            return false;
        at = SkipBlanks(at + 2);
        if (!Has("=", at))
            return false;
        at = SkipBlanks(at + 1);
        return Has("\"sources\"", at);
    }

    const char* Text() const { return text_; }
    int Length() const { return length_; }

private:
    const char* text_;
    int length_;
    PatternFinder commentEnds_;
    PatternFinder commentStarts_;
    int countedTo_ = 0;
    int line_ = 1;

    bool Has(const char* pattern, int at) const
    {
        int patternLength = static_cast<int>(strlen(pattern));
        return at >= 0 && at <= length_ - patternLength &&
               memcmp(text_ + at, pattern, static_cast<size_t>(patternLength)) == 0;
    }

    int SkipBlanks(int at) const
    {
        while (at < length_ && (text_[at] == ' ' || text_[at] == '\t' || text_[at] == '\r' || text_[at] == '\n'))
            ++at;
        return at;
    }
};

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

void ScanSourceLines(const char* text, int length, Array<int32_t>& lines)
{
    if (!text || length <= 0)
        return;
    RawXMLText xml(text, length);

    PatternFinder arrays(text, length, "<array");
    int arrayStart = -1;
    for (int at = xml.NextOutsideComments(arrays, 0); at >= 0; at = xml.NextOutsideComments(arrays, at + 1)) {
        if (xml.IsSourcesIdAt(at + 6)) {
            arrayStart = at;
            break;
        }
    }
    if (arrayStart < 0)
        return;

    PatternFinder arrayEnds(text, length, "</array");
    int arrayEnd = xml.NextOutsideComments(arrayEnds, arrayStart);
    if (arrayEnd < 0)
        arrayEnd = length;

    PatternFinder nodes(text, length, "<node");
    PatternFinder selfClosings(text, length, "/>");
    PatternFinder nodeEnds(text, length, "</node");
    PatternFinder cdatas(text, length, "<![CDATA[");
    for (int node = xml.NextOutsideComments(nodes, arrayStart); node >= 0 && node < arrayEnd;
         node = xml.NextOutsideComments(nodes, node + 1)) {
        int limit = selfClosings.Next(node);
        if (limit < 0)
            limit = nodeEnds.Next(node);
        int cdata = cdatas.Next(node);
        bool cdataFirst = cdata >= 0 && (limit < 0 || cdata < limit);
        lines.Add(cdataFirst ? xml.LineAt(cdata) : 1);
    }
}

void ShaderXMLReader::BuildSourceLineTable()
{
    sourceLines.Release();
    if (memoryText_) {
        ScanSourceLines(memoryText_, static_cast<int>(strlen(memoryText_)), sourceLines);
        return;
    }
    const bool reusable = fileModified_ != 0 && xmlPath;
    if (reusable && lineCache_.valid && lineCache_.database == database && lineCache_.modified == fileModified_ &&
        lineCache_.path.text && strcmp(lineCache_.path.text, xmlPath) == 0) {
        sourceLines = lineCache_.lines;
        return;
    }
    lineCache_.valid = false;
    int length = 0;
    char* text = QVI_ReadWholeFileForXML(xmlPath, &length);
    if (!text)
        return;
    ScanSourceLines(text, length, sourceLines);
    free(text);
    if (reusable) {
        lineCache_.path.Assign(xmlPath);
        lineCache_.database = database;
        lineCache_.modified = fileModified_;
        lineCache_.lines = sourceLines;
        lineCache_.valid = true;
    }
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

    // The code is read even for a node refused already, so that a missing file is
    // reported with the node's other faults.
    if (code) {
        source->path.Assign(xmlPath);
        SkipLeadingEmptyLines(code, source);
        return passed;
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
    return passed;
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
        else if (!failed) {
            description.sources.Add(ShaderSource());
            description.sources.data[description.sources.count - 1] = static_cast<ShaderSource&&>(source);
        }
    }
    return !failed;
}

} // namespace ShaderTool
