#pragma once

#include "core/array.h"
#include "data/datamanager/data_array.h"

class ByteBuffer;
class XMLReader;

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

    // Deletes every array and frees the file name.
    void Clear();
    // Deletes every array and keeps the file name: what a failed load leaves.
    void DeleteArrays();
};
