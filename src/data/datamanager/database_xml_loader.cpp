// Reading a database from the blocks of the XML reader:
//   <root> <array id="..." ...> <node id="..." .../> <node ...>text</node> </array> </root>
// Any deviation up to "</root>" logs one warning and leaves the database without
// arrays, so a caller never sees part of a file as if it were the whole of it. What
// follows "</root>" cannot take anything away from a whole database: a parse error
// there (reported by the reader) only ends the document.

#include "data/datamanager/database.h"

#include "core/engine_log.h"
#include "data/xml/xml_reader.h"

#include <cstring>

namespace {

bool IsElement(const XMLBlock* block, const char* name)
{
    return block && block->name && strcmp(block->name, name) == 0;
}

bool IsText(const XMLBlock* block)
{
    return block && !block->name;
}

// "</name>", told apart from "<name/>", which starts (and ends) an element.
bool IsEndTagOf(const XMLBlock* block, const char* name)
{
    return IsElement(block, name) && QVI_IsXMLEndTag(block);
}

const char* TextOrEmpty(const char* text)
{
    return text ? text : "";
}

// The value of the attribute "id", or null.
const char* FindIdAttribute(const XMLBlock* block)
{
    for (int i = 0; i < block->attributeCount && i < XMLBlock::kMaxAttributes; ++i) {
        if (block->attributeNames[i] && strcmp(block->attributeNames[i], "id") == 0)
            return block->attributeValues[i];
    }
    return nullptr;
}

class XMLDatabaseLoader {
public:
    XMLDatabaseLoader(Database* database, XMLReader* reader)
        : database_(database), reader_(reader), file_(TextOrEmpty(reader->fileName))
    {
    }

    bool Run()
    {
        XMLBlock* block = reader_->ReadNextBlock();
        if (!IsElement(block, "root")) {
            const char* found = block ? TextOrEmpty(block->name) : "";
            qv->LogPopup(QV_LOG_WARNING,
                         "DataManager: XML database needs to be contained within 'root' block (not expecting '%s'). '%s' is invalid.",
                         found, file_);
            return false;
        }
        // Whatever form the root block takes ("<root/>" or even "</root>"), the database
        // is whole only once a closing root block follows it.
        if (!ReadArrays())
            return false;

        if (reader_->ReadNextBlock()) {
            qv->LogPopup(QV_LOG_WARNING, "DataManager: No blocks can exist after </root>. '%s' is invalid.", file_);
            return false;
        }
        return true;
    }

private:
    Database* database_;
    XMLReader* reader_;
    const char* file_;
    int nodesRead_ = 0;
    // Nodes, their parameter lists and texts are carved from here.
    DataStore store_;

    bool ReadArrays()
    {
        XMLBlock* block = reader_->ReadNextBlock();
        for (;;) {
            if (!block) {
                qv->LogPopup(QV_LOG_WARNING, "DataManager: XML database needs to end with root block closing. '%s' is invalid.",
                             file_);
                return false;
            }
            if (IsText(block)) {
                block = reader_->ReadNextBlock();
                continue;
            }
            if (IsElement(block, "root") && block->closing)
                return true;
            if (!IsElement(block, "array")) {
                qv->LogPopup(QV_LOG_WARNING, "DataManager: root/array/node structure violated. '%s' is not 'array'. '%s' is invalid.",
                             block->name, file_);
                return false;
            }
            // ReadArray hands back the block that follows the array: an array start
            // without its end tag closes the array before it.
            if (!ReadArray(block, &block))
                return false;
        }
    }

    // Reads the array that `start` opens and sets *next to the block after it (the
    // block after its end tag, or another array start that ended it).
    bool ReadArray(XMLBlock* start, XMLBlock** next)
    {
        DataArray* array = new DataArray(FindIdAttribute(start));
        for (int i = 0; i < start->attributeCount && i < XMLBlock::kMaxAttributes; ++i) {
            const char* name = start->attributeNames[i];
            if (name && strcmp(name, "id") == 0)
                continue;
            QVI_AddDataParameter(array->parameters, name, start->attributeValues[i]);
        }
        database_->arrays.Add(array);

        if (start->closing) {
            *next = reader_->ReadNextBlock();
            return true;
        }
        for (;;) {
            XMLBlock* block = reader_->ReadNextBlock();
            if (!block) {
                qv->LogPopup(QV_LOG_WARNING, "DataManager: File '%s' ends unexpectedly. Not loaded.", file_);
                return false;
            }
            if (IsText(block))
                continue;
            // A closing "array" block ends the array; another array's start ends it too,
            // and is read next.
            if (IsElement(block, "array")) {
                *next = block->closing ? reader_->ReadNextBlock() : block;
                return true;
            }
            if (!IsElement(block, "node")) {
                qv->LogPopup(QV_LOG_WARNING,
                             "DataManager: in '%s' is expecting to find two types of elements inside root: 'array' and 'node'. '%s' is not one of them.",
                             file_, block->name);
                return false;
            }
            if (!ReadNode(block, array))
                return false;
        }
    }

    bool ReadNode(XMLBlock* start, DataArray* array)
    {
        // A repeated attribute stays a parameter of its own, so the developer-mode check can
        // tell a file that names a key twice; the first copy answers lookups, and the first
        // "id" is the node's id, as GetParameter("id") answers.
        DataNode* node = new (store_) DataNode(nullptr);
        node->id = QVI_CopyDataText(FindIdAttribute(start), &store_);
        // Room for every attribute and the text a node with an end tag may hold: the
        // array's first growth would reserve far more than a node typically needs.
        const int attributes = start->attributeCount < XMLBlock::kMaxAttributes ? start->attributeCount
                                                                                : XMLBlock::kMaxAttributes;
        const int room = attributes + (start->closing ? 0 : 1);
        if (room > 0)
            node->parameters.AdoptStorage(new (store_) DataParameter[room], room);
        for (int i = 0; i < attributes; ++i) {
            if (start->attributeNames[i])
                QVI_AddDataParameter(node->parameters, start->attributeNames[i], start->attributeValues[i], &store_);
        }
        array->nodes.Add(node);
        ++nodesRead_;
        if (start->closing)
            return true;

        XMLBlock* block = reader_->ReadNextBlock();
        const bool holdsText = IsText(block);
        if (holdsText) {
            node->SetParameter("DATA", block->attributeCount > 0 ? block->attributeValues[0] : "", &store_);
            block = reader_->ReadNextBlock();
        }
        if (!block) {
            qv->LogPopup(QV_LOG_WARNING, "DataManager: error parsing file '%s' after node #%d with id '%s'.", file_, nodesRead_,
                         TextOrEmpty(node->id));
            return false;
        }
        // The block after a node's text is its end tag, whatever it is: text with markup
        // in it ("Hello<br/>World") keeps what came before the markup.
        if (holdsText)
            return true;
        if (!IsEndTagOf(block, "node")) {
            qv->LogPopup(QV_LOG_WARNING,
                         "DataManager: error parsing file '%s' after node #%d with id '%s'. Basic root/array/node structure violated.",
                         file_, nodesRead_, TextOrEmpty(node->id));
            return false;
        }
        return true;
    }
};

} // namespace

bool Database::LoadXMLFile(const char* name)
{
    XMLReader reader;
    if (!reader.LoadFile(name)) {
        qv->LogPopup(QV_LOG_WARNING, "XML Array File '%s' not found!", TextOrEmpty(name));
        return false;
    }
    return LoadFromXML(&reader);
}

bool Database::LoadFromXML(XMLReader* reader)
{
    if (!reader)
        return false;
    XMLDatabaseLoader loader(this, reader);
    if (loader.Run())
        return true;
    DeleteArrays();
    return false;
}
