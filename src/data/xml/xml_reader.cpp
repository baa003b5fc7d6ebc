#include "data/xml/xml_reader.h"

#include "data/scrambled/scrambled_data.h"
#include "data/xml/xml_document_file.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

static_assert(sizeof(void*) != 4 || offsetof(XMLBlock, attributeCount) == 4, "XMLBlock layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLBlock, attributeNames) == 8, "XMLBlock layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLBlock, attributeValues) == 2056, "XMLBlock layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLBlock, closing) == 4104, "XMLBlock layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, reserved) == 4, "XMLReader layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, length) == 8, "XMLReader layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, position) == 12, "XMLReader layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, current) == 16, "XMLReader layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, valueBuffer) == 4124, "XMLReader layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, text) == 4128, "XMLReader layout");
static_assert(sizeof(void*) != 4 || offsetof(XMLReader, ok) == 4132, "XMLReader layout");

XMLReader::XMLReader()
    : fileName(nullptr), reserved(0), length(0), position(0), current(), valueBuffer(nullptr),
      text(nullptr), ok(0)
{
    valueBuffer = static_cast<char*>(calloc(kValueBufferSize, 1));
}

XMLReader::~XMLReader()
{
    free(text);
    free(valueBuffer);
    free(fileName);
}

bool XMLReader::LoadFile(const char* name)
{
    // The name may point into the old file name; copy it before freeing that.
    char* nameCopy = (name && name[0]) ? strdup(name) : nullptr;
    free(fileName);
    free(text);
    fileName = nullptr;
    text = nullptr;
    length = 0;
    position = 0;
    ok = 0;
    memset(&current, 0, sizeof(current));
    if (!nameCopy)
        return false;
    fileName = nameCopy;

    int fileLength = 0;
    char* contents = QVI_ReadWholeFileForXML(fileName, &fileLength);
    if (!contents)
        return false;

    uint8_t* bytes = reinterpret_cast<uint8_t*>(contents);
    if (QVI_IsScrambledData(bytes, fileLength)) {
        int plainLength = QVI_DescrambleInPlace(bytes, fileLength);
        if (plainLength < 0) {
            free(contents);
            return false;
        }
        fileLength = plainLength;
        contents[fileLength] = 0;
    }

    text = contents;
    length = fileLength;
    position = 0;
    ok = 1;
    return ReadHeader();
}
