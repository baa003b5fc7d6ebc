// Writing a database as the XML that the loader reads back:
//   <root>, one <array id="..." name="value"...> per array, one
//   <node name="value" .../> or <node ...>DATA text</node> per node.
// Texts are escaped so that every name and value comes back byte for byte; what the
// reader could not give back is left out with a warning (a name it would refuse) or
// makes the text fail (a tag longer than its token buffer), never a file that reads
// back as something else or not at all.
// Saving writes that text through the file system so that a failure leaves the
// previous file as it was.

#include "core/cstring_utils.h"

#include "data/datamanager/database.h"

#include "core/engine_log.h"
#include "core/byte_buffer.h"
#include "core/engine_string.h"
#include "data/scrambled/scrambled_data.h"
#include "data/xml/xml_reader.h"
#include "filesystem/file_replacement.h"
#include "filesystem/paths.h"

#include <cstdint>
#include <cstring>

namespace {

// The escapes an attribute value needs to come back as it was: the reader decodes
// backslash pairs, then "&quot;", then "&amp;". Line feeds, carriage returns and tabs
// stand in a quoted value as they are.
const char* EscapeFor(char c)
{
    switch (c) {
    case '&': return "&amp;";
    case '"': return "&quot;";
    case '\\': return "\\\\";
    default: return nullptr;
    }
}

// The reader opens a CDATA section at "![CDATA[" even inside a quoted value. A
// backslash pair it does not know is dropped whole, so one written after the '!'
// breaks the marker in the file and leaves nothing behind in the value.
const char kSectionMarker[] = "![CDATA[";
const int kSectionMarkerLength = 8;
const char kMarkerBreak[] = "!\\-";

// What the character at p is written as inside a quoted value, or null for itself.
const char* AttributeEscapeAt(const char* p)
{
    const char* escape = EscapeFor(*p);
    if (!escape && *p == '!' && strncmp(p, kSectionMarker, kSectionMarkerLength) == 0)
        escape = kMarkerBreak;
    return escape;
}

// Appends value as the inside of a quoted attribute value: '&' as "&amp;", '"' as
// "&quot;", a backslash as two, and every "![CDATA[" broken up as above. The reader
// undoes these in the opposite order, so every text comes back byte for byte. A quote
// is never written as backslash-quote, so no run of backslashes can end a value early.
// Answers the number of bytes it meant to append (out may hold fewer when memory
// ran out).
int AppendEscapedAttributeValue(ByteBuffer* out, const char* value)
{
    if (!out || !value)
        return 0;
    int intended = 0;
    const char* runStart = value;
    for (const char* p = value; *p; ++p) {
        const char* escape = AttributeEscapeAt(p);
        if (!escape)
            continue;
        int runLength = static_cast<int>(p - runStart);
        int escapeLength = static_cast<int>(strlen(escape));
        out->WriteBytes(runStart, runLength);
        out->WriteBytes(escape, escapeLength);
        intended += runLength + escapeLength;
        runStart = p + 1;
    }
    int restLength = static_cast<int>(strlen(runStart));
    out->WriteBytes(runStart, restLength);
    return intended + restLength;
}

// How a node's DATA text is written.
enum class DataTextForm {
    Plain,      // as it is between the tags
    CData,      // inside <![CDATA[ ]]>
    Attribute,  // as the attribute DATA="..." (text that holds "]]>")
};

// Plain for ordinary text; CDATA for text holding characters with a meaning to the
// reader between tags ('<', '>', '"'), a section marker of its own, white space only
// (or nothing), or too long for the reader's token buffer; an attribute for text that
// holds "]]>", which no CDATA section can carry. Entities are not decoded in text, so
// '&' needs nothing.
DataTextForm ChooseDataTextForm(const char* text)
{
    if (!text || !text[0])
        return DataTextForm::CData;
    if (strstr(text, "]]>"))
        return DataTextForm::Attribute;
    if (strstr(text, kSectionMarker))
        return DataTextForm::CData;
    bool onlyWhiteSpace = true;
    size_t length = 0;
    for (const char* p = text; *p; ++p, ++length) {
        char c = *p;
        if (c == '<' || c == '>' || c == '"')
            return DataTextForm::CData;
        if (!IsXMLWhiteSpace(c))
            onlyWhiteSpace = false;
    }
    // Plain text is built in the reader's token buffer, white space alone is dropped
    // as layout; a CDATA section has neither limit.
    if (onlyWhiteSpace || length >= static_cast<size_t>(XMLReader::kValueBufferSize - 1))
        return DataTextForm::CData;
    return DataTextForm::Plain;
}

// The byte buffer starts at 16384 bytes (it reserves twice what it is given).
const int kInitialBufferHalf = 8192;
// More parameters than this put each attribute on a line of its own.
const int kParametersOnOneLine = 5;
// The reader builds a whole tag in its value buffer.
const int kLongestReadableTag = XMLReader::kValueBufferSize - 1;

const char* TextOrEmpty(const char* text)
{
    return text ? text : "";
}

bool IsNamed(const DataParameter& parameter, const char* name)
{
    return parameter.name && strcmp(parameter.name, name) == 0;
}

class XMLDatabaseWriter {
public:
    explicit XMLDatabaseWriter(ByteBuffer* out) : out_(out) {}

    // Every byte meant for the buffer arrived (false after running out of memory).
    bool Complete() const { return static_cast<int64_t>(out_->size) == intended_; }

    void Text(const char* text)
    {
        int length = static_cast<int>(strlen(text));
        out_->WriteBytes(text, length);
        intended_ += length;
    }

    bool WriteArray(const DataArray* array)
    {
        BeginTag();
        Text("\t<array");
        if (array->id)
            Attribute(" ", "id", array->id, "");
        for (int i = 0; i < array->parameters.count; ++i) {
            const DataParameter& parameter = array->parameters.data[i];
            // "id" would come back as the array's id, not as a parameter.
            if (!QVI_IsXMLAttributeName(parameter.name) || IsNamed(parameter, "id")) {
                WarnSkipped(parameter.name, array);
                continue;
            }
            Attribute(" ", parameter.name, parameter.value, "");
        }
        Text(">");
        if (!EndTag(array, -1))
            return false;
        Text("\n");

        for (int n = 0; n < array->nodes.count; ++n) {
            const DataNode* node = array->nodes.data[n];
            if (node && !WriteNode(node, array, n))
                return false;
        }
        Text("\t</array>\n");
        return true;
    }

private:
    ByteBuffer* out_;
    int64_t intended_ = 0;
    int tagStart_ = 0;
    int layoutBytes_ = 0;

    bool WriteNode(const DataNode* node, const DataArray* array, int index)
    {
        const bool manyParameters = node->parameters.count > kParametersOnOneLine;
        const DataParameter* data = TextParameter(node);

        BeginTag();
        Text("\t\t<node ");
        // A node made in code may have an id without the parameter "id"; the id is
        // written all the same, or FindNode would not find the node after a reload.
        if (node->id && !QVI_FindDataParameter(node->parameters, "id"))
            Attribute("", "id", node->id, " ");
        for (int i = 0; i < node->parameters.count; ++i) {
            const DataParameter& parameter = node->parameters.data[i];
            if (&parameter == data)
                continue;
            if (!QVI_IsXMLAttributeName(parameter.name)) {
                WarnSkipped(parameter.name, array);
                continue;
            }
            Attribute("", parameter.name, parameter.value, " ");
            if (manyParameters)
                Layout("\n\t\t ");
        }

        if (data) {
            Text(">");
            if (!EndTag(array, index))
                return false;
            DataText(data->value);
            Text("</node>\n");
        } else {
            Text("/>");
            if (!EndTag(array, index))
                return false;
            Text("\n");
        }
        if (manyParameters)
            Text("\n");
        return true;
    }

    // The "DATA" parameter written as the text between the node's tags, or null when it
    // goes in as an attribute like the others: text holding "]]>" fits no CDATA section,
    // and of several copies the reader would give the text to the first one, so each
    // copy stands as an attribute in its place.
    static const DataParameter* TextParameter(const DataNode* node)
    {
        const DataParameter* data = nullptr;
        for (int i = 0; i < node->parameters.count; ++i) {
            const DataParameter& parameter = node->parameters.data[i];
            if (!IsNamed(parameter, "DATA"))
                continue;
            if (data)
                return nullptr;
            data = &parameter;
        }
        return data && ChooseDataTextForm(data->value) != DataTextForm::Attribute ? data : nullptr;
    }

    void DataText(const char* text)
    {
        if (ChooseDataTextForm(text) == DataTextForm::Plain) {
            Text(text);
            return;
        }
        Text("<![CDATA[");
        Text(TextOrEmpty(text));
        Text("]]>");
    }

    // A null value is written as "".
    void Attribute(const char* before, const char* name, const char* value, const char* after)
    {
        Text(before);
        Text(name);
        Text("=\"");
        intended_ += AppendEscapedAttributeValue(out_, TextOrEmpty(value));
        Text("\"");
        Text(after);
    }

    // White space between attributes that the reader folds away.
    void Layout(const char* text)
    {
        Text(text);
        layoutBytes_ += static_cast<int>(strlen(text));
    }

    void BeginTag()
    {
        tagStart_ = out_->size;
        layoutBytes_ = 0;
    }

    // The tag just written, from its '<' to its '>', must fit the reader's buffer.
    bool EndTag(const DataArray* array, int nodeIndex)
    {
        // The tabs before '<' are not part of the tag.
        const int indent = nodeIndex < 0 ? 1 : 2;
        const int tagLength = out_->size - tagStart_ - indent - layoutBytes_;
        if (tagLength <= kLongestReadableTag)
            return true;
        if (nodeIndex < 0)
            qv->LogPopup(QV_LOG_WARNING,
                         "DataManager: array '%s' cannot be saved: its tag is %d characters long, the reader takes at most %d.",
                         TextOrEmpty(array->id), tagLength, kLongestReadableTag);
        else
            qv->LogPopup(QV_LOG_WARNING,
                         "DataManager: node #%d of array '%s' cannot be saved: its tag is %d characters long, the reader takes at most %d.",
                         nodeIndex + 1, TextOrEmpty(array->id), tagLength, kLongestReadableTag);
        return false;
    }

    static void WarnSkipped(const char* name, const DataArray* array)
    {
        qv->LogEx(QV_LOG_WARNING, "DataManager: parameter '%s' in array '%s' is not saved: the name cannot be read back.",
                  TextOrEmpty(name), TextOrEmpty(array->id));
    }
};

} // namespace

bool Database::CanWriteArrayId(const char* id)
{
    static const char kOpening[] = "<array id=\"";
    static const char kClosing[] = "\">";
    int64_t length = static_cast<int64_t>(sizeof kOpening - 1) + static_cast<int64_t>(sizeof kClosing - 1);
    for (const char* p = TextOrEmpty(id); *p && length <= kLongestReadableTag; ++p) {
        // Counted as AppendEscapedAttributeValue writes it, section-marker breaks included.
        const char* escape = AttributeEscapeAt(p);
        length += escape ? static_cast<int64_t>(strlen(escape)) : 1;
    }
    return length <= kLongestReadableTag;
}

ByteBuffer* Database::WriteXML() const
{
    ByteBuffer* out = new ByteBuffer(kInitialBufferHalf);
    XMLDatabaseWriter writer(out);
    writer.Text("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n");
    writer.Text("<root>\n");
    for (int i = 0; i < arrays.count; ++i) {
        const DataArray* array = arrays.data[i];
        if (array && !writer.WriteArray(array)) {
            delete out;
            return nullptr;
        }
    }
    writer.Text("</root>\n");
    if (!writer.Complete()) {
        qv->LogPopup(QV_LOG_WARNING, "DataManager: out of memory while writing database '%s'.", TextOrEmpty(fileName));
        delete out;
        return nullptr;
    }
    return out;
}

namespace {

void ReportCannotOpen(const char* fileName)
{
    if (QVI_StartsWith(fileName, "res://") || QVI_StartsWith(fileName, "user://"))
        qv->LogPopup(QV_LOG_WARNING, "Unable to open file '%s' for writing.", fileName);
    else
        qv->LogPopup(QV_LOG_WARNING,
                     "Unable to open file '%s' for writing. The filename needs to be absolute file system target such as res://data/file.xml.",
                     fileName);
}

// Writes a whole data file so that a failure leaves the previous file as it was, where the
// file lies in a folder on the disk. Reports its failures through LogPopup, quoting fileName,
// and answers false.
bool WriteDataFileReplacing(const char* fileName, const uint8_t* bytes, int size)
{
    if (!fileName || size < 0 || (size > 0 && !bytes) || !qv->fileSystem)
        return false;
    switch (QVI_WriteWholeFile(fileName, bytes, static_cast<uint32_t>(size))) {
    case WholeFileWrite::kWritten:
        return true;
    case WholeFileWrite::kNotOpened:
        ReportCannotOpen(fileName);
        return false;
    case WholeFileWrite::kNotWritten:
        qv->LogPopup(QV_LOG_WARNING, "Unable to write file '%s'.", fileName);
        return false;
    case WholeFileWrite::kNotReplaced:
        qv->LogPopup(QV_LOG_WARNING, "Unable to replace file '%s'.", fileName);
        return false;
    }
    return false;
}

} // namespace

bool Database::Save(const char* name, bool scramble) const
{
    if (!name)
        return false;
    ByteBuffer* text = WriteXML();
    if (!text)
        return false;

    bool saved;
    if (scramble) {
        ByteBuffer scrambled;
        saved = QVI_ScrambleData(text->data, text->size, &scrambled) &&
                WriteDataFileReplacing(name, scrambled.data, scrambled.size);
    } else {
        saved = WriteDataFileReplacing(name, text->data, text->size);
    }
    delete text;
    return saved;
}
