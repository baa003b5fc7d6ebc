#include "data/datamanager/database.h"

#include "core/byte_buffer.h"
#include "data/datamanager/database_file_writing.h"
#include "data/scrambled/scrambled_data.h"

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
                QVI_WriteDataFileReplacing(name, scrambled.data, scrambled.size);
    } else {
        saved = QVI_WriteDataFileReplacing(name, text->data, text->size);
    }
    delete text;
    return saved;
}
