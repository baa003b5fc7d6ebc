// Writing a database as the XML that the loader reads back:
//   <root>, one <array id="..." name="value"...> per array, one
//   <node name="value" .../> or <node ...>DATA text</node> per node.
// Texts are escaped so that every name and value comes back byte for byte; what the
// reader could not give back is left out with a warning (a name it would refuse) or
// makes the text fail (a tag longer than its token buffer), never a file that reads
// back as something else or not at all.

#include "data/datamanager/database.h"

#include "core/engine_log.h"
#include "core/byte_buffer.h"
#include "data/datamanager/xml_value_escaping.h"
#include "data/xml/xml_attribute_text.h"
#include "data/xml/xml_reader.h"

#include <cstring>

namespace {

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
        const DataParameter* data = nullptr;

        BeginTag();
        Text("\t\t<node ");
        // A node made in code may have an id without the parameter "id"; the id is
        // written all the same, or FindNode would not find the node after a reload.
        if (node->id && !QVI_FindDataParameter(node->parameters, "id"))
            Attribute("", "id", node->id, " ");
        for (int i = 0; i < node->parameters.count; ++i) {
            const DataParameter& parameter = node->parameters.data[i];
            if (IsNamed(parameter, "DATA") && !data) {
                data = &parameter;
                // Text holding "]]>" fits no CDATA section: it goes in as an attribute.
                if (QVI_ChooseDataTextForm(parameter.value) == DataTextForm::Attribute)
                    Attribute("", parameter.name, parameter.value, " ");
                continue;
            }
            if (!QVI_IsXMLAttributeName(parameter.name)) {
                WarnSkipped(parameter.name, array);
                continue;
            }
            Attribute("", parameter.name, parameter.value, " ");
            if (manyParameters)
                Layout("\n\t\t ");
        }

        if (data && QVI_ChooseDataTextForm(data->value) != DataTextForm::Attribute) {
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

    void DataText(const char* text)
    {
        if (QVI_ChooseDataTextForm(text) == DataTextForm::Plain) {
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
        intended_ += QVI_AppendEscapedAttributeValue(out_, TextOrEmpty(value));
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
