#pragma once

#include <cstddef>

#include "core/array.h"
#include "data/datamanager/data_store.h"

class ByteBuffer;
class XMLReader;

// The data model of DataManager databases: a database holds arrays, an array holds
// nodes, arrays and nodes hold named text values (parameters).

// One name and its text value in a DataManager database; either may be null. Both
// texts are copies in one block owned by the record, the value right after the name's
// zero byte (a value without a name has a block of its own): a database holds hundreds
// of thousands of them, and each allocation counts. The block comes from the heap, or
// from a loader's DataStore; either way the record frees it (DataStore::Free). Records
// live by value inside `Array`s, which copy elements by assignment, so copying
// duplicates both texts (on the heap).
class DataParameter {
public:
    char* name;
    char* value;

    // A list of parameters is allocated as DataStore blocks: on the heap, or carved
    // from a loader's store (new (store) DataParameter[n]). delete[] frees either.
    static void* operator new[](size_t bytes);
    static void* operator new[](size_t bytes, DataStore& store);
    static void operator delete[](void* block);
    static void operator delete[](void* block, DataStore& store);

    DataParameter();
    // Copies of both texts (null stays null).
    DataParameter(const char* name, const char* value);
    DataParameter(const DataParameter& other);
    DataParameter& operator=(const DataParameter& other);
    ~DataParameter();

    // Replaces both texts with copies (null stays null), made in store (the heap when
    // null); either may point into this record's own texts.
    void Set(const char* name, const char* value, DataStore* store = nullptr);

    // Replaces the value with a copy; a null value is ignored. The name moves to the
    // new block with it.
    void SetValue(const char* value, DataStore* store = nullptr);

    // Arrays compare elements when searching; parameters are equal by content.
    bool operator==(const DataParameter& other) const;
};

// The heap copy of text, or null for null (QVI_StrDup would give "" for null).
char* QVI_CopyTextOrNull(const char* text);

// Appends {copy of name, copy of value}, built in its slot of the array, the texts
// made in store (the heap when null).
void QVI_AddDataParameter(Array<DataParameter>& parameters, const char* name, const char* value,
                          DataStore* store = nullptr);

// The first parameter named name (byte comparison), or null; null for a null name.
DataParameter* QVI_FindDataParameter(const Array<DataParameter>& parameters, const char* name);

// One node of a DataManager array: an optional id and named text values in the
// order they were first set. A loaded node keeps every attribute of its tag, a name
// given twice included; the first copy of a name is the one that answers. The node,
// its id and its parameter list are DataStore blocks: on the heap (new DataNode), or
// carved from a loader's store (new (store) DataNode); delete frees either.
class DataNode {
public:
    char* id;                            // copy (a DataStore block), may be null
    Array<DataParameter> parameters;

    explicit DataNode(const char* id);
    ~DataNode();
    DataNode(const DataNode&) = delete;
    DataNode& operator=(const DataNode&) = delete;

    static void* operator new(size_t bytes);
    static void* operator new(size_t bytes, DataStore& store);
    static void operator delete(void* block);
    static void operator delete(void* block, DataStore& store);

    // The value of the first parameter with that name; null for a missing or null name.
    const char* GetParameter(const char* name) const;

    // A null name does nothing. The name "id" also makes a copy of value the node's id.
    // An existing parameter gets a copy of value (a null value leaves it as it was);
    // otherwise {name, value or null} is appended. The copies are made in store (the
    // heap when null).
    void SetParameter(const char* name, const char* value, DataStore* store = nullptr);
};

// One array of a DataManager database: an optional id, the array element's own
// attributes (other than "id") and its nodes in document order. Owns its nodes.
class DataArray {
public:
    char* id;                            // heap copy, may be null
    Array<DataParameter> parameters;
    Array<DataNode*> nodes;

    explicit DataArray(const char* id);
    ~DataArray();
    DataArray(const DataArray&) = delete;
    DataArray& operator=(const DataArray&) = delete;

    // The first node with that id (byte comparison); null for a null id.
    DataNode* FindNode(const char* id) const;
    // Null outside 0 to count - 1.
    DataNode* GetNode(int index) const;
    // FindNode, then that node's GetParameter.
    const char* GetNodeParameter(const char* nodeId, const char* name) const;
};

// One loaded data file: the name it was loaded from and its arrays in document order.
// Loaded from XML (".xml", and ".dat" with the same content) or from semicolon-
// separated tables (".csv"); written back as XML, optionally scrambled. Owns its
// arrays. A load that fails part way keeps no arrays at all.
class Database {
public:
    char* fileName;                      // heap copy, may be null
    Array<DataArray*> arrays;

    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Stores a copy of the name and loads by its extension (".xml", ".dat" and ".csv",
    // any ASCII case).
    bool Load(const char* fileName);
    bool LoadXMLFile(const char* fileName);
    // Fills the database from a reader whose document is loaded (also XML held in memory).
    bool LoadFromXML(XMLReader* reader);
    bool LoadCSV(const char* fileName);

    // The first array with that id; a null id finds the first array without an id
    // (the single array of a CSV database).
    DataArray* FindArray(const char* id) const;
    // Null when nodeId is null; else FindArray(arrayId)->GetNodeParameter(nodeId, name).
    const char* GetParameter(const char* arrayId, const char* nodeId, const char* name) const;

    // The database as XML text that reads back to the same arrays, nodes and
    // parameters. The caller deletes the buffer. Null when the text cannot be made.
    ByteBuffer* WriteXML() const;
    // Writes WriteXML's text (scrambled on request) through the file system. The
    // previous file stays as it was unless the whole new text was written.
    bool Save(const char* fileName, bool scramble) const;
    // Whether an array of that id, without parameters of its own, can be written: its
    // tag, with the id escaped, fits what the reader takes. WriteXML refuses the whole
    // database when one tag does not.
    static bool CanWriteArrayId(const char* id);

    // Deletes every array and frees the file name.
    void Clear();
    // Deletes every array and keeps the file name: what a failed load leaves.
    void DeleteArrays();
};
