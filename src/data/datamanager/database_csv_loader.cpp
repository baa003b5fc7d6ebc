// Semicolon-separated tables: the first line names the columns, every further line
// becomes one node of a single array without id. Quotes mean nothing: a ';' always
// separates cells.

#include "data/datamanager/database.h"

#include "core/engine_log.h"
#include "core/byte_buffer.h"
#include "core/engine_string.h"

namespace {

const int kHeaderCellLimit = 511;
const int kDataCellLimit = 4095;

// Appends the rest of an open file to out through the API table's file system.
// False when out could not hold it (out then keeps what it had before).
bool ReadRestOfFile(FileHandle* file, ByteBuffer* out)
{
    if (!file || !out || !qv->fileSystem)
        return false;
    const int sizeBefore = out->size;
    // Reads until the file gives nothing more rather than trusting the size taken at
    // opening, which a writer may have changed since.
    uint8_t chunk[16384];
    for (;;) {
        int got = qv->fileSystem->Read(chunk, static_cast<int>(sizeof(chunk)), file);
        if (got <= 0)
            return true;
        if (got > static_cast<int>(sizeof(chunk)))
            got = static_cast<int>(sizeof(chunk));
        int sizeWas = out->size;
        out->WriteBytes(chunk, got);
        if (out->size != sizeWas + got) {
            out->size = sizeBefore;
            return false;
        }
    }
}

// Walks the file's bytes one line at a time.
class CSVCursor {
public:
    CSVCursor(const uint8_t* bytes, int size) : bytes_(bytes), size_(size) {}

    bool AtEnd() const { return position_ >= size_; }

    // Appends the cells of the next line to cells, each cut to `limit` characters;
    // carriage returns are dropped. The line ends at a line feed or at the end of
    // the file, so a last line without line feed keeps all its cells.
    void ReadLine(int limit, Array<String>* cells)
    {
        char cell[kDataCellLimit + 1];
        int cellLength = 0;
        while (position_ < size_) {
            char c = static_cast<char>(bytes_[position_++]);
            if (c == '\n')
                break;
            if (c == '\r')
                continue;
            if (c == ';') {
                cell[cellLength] = 0;
                cells->Add(String(cell));
                cellLength = 0;
                continue;
            }
            if (cellLength < limit)
                cell[cellLength++] = c;
        }
        cell[cellLength] = 0;
        cells->Add(String(cell));
    }

private:
    const uint8_t* bytes_;
    int size_;
    int position_ = 0;
};

} // namespace

bool Database::LoadCSV(const char* name)
{
    if (!qv->fileSystem)
        return false;
    FileHandle* file = name ? qv->fileSystem->OpenFile(name, "r") : nullptr;
    if (!file) {
        qv->LogPopup(QV_LOG_WARNING, "CSV Array File '%s' not found!", name ? name : "");
        return false;
    }
    ByteBuffer contents;
    bool read = ReadRestOfFile(file, &contents);
    qv->fileSystem->CloseFile(file);
    if (!read) {
        qv->LogPopup(QV_LOG_WARNING, "CSV Array File '%s' could not be read.", name);
        return false;
    }

    CSVCursor cursor(contents.data, contents.size);
    // The header line decides the columns: one per ';' plus one.
    Array<String> columnNames;
    cursor.ReadLine(kHeaderCellLimit, &columnNames);

    DataArray* array = new DataArray(nullptr);
    // Nodes, their parameter lists and texts are carved from here.
    DataStore store;
    Array<String> cells;
    while (!cursor.AtEnd()) {
        cells.count = 0;
        cursor.ReadLine(kDataCellLimit, &cells);
        DataNode* node = new (store) DataNode(nullptr);
        node->parameters.AdoptStorage(new (store) DataParameter[columnNames.count], columnNames.count);
        // Cells beyond the last column are ignored; missing cells are null values.
        for (int column = 0; column < columnNames.count; ++column) {
            const char* value = column < cells.count ? cells.data[column].text : nullptr;
            QVI_AddDataParameter(node->parameters, columnNames.data[column].text, value, &store);
        }
        array->nodes.Add(node);
    }
    arrays.Add(array);

    qv->Log("%d CSV Arrays loaded with total %d nodes.", 1, array->nodes.count);
    return true;
}
