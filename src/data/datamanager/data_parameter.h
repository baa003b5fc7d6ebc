#pragma once

#include "core/array.h"

// One name and its text value in a DataManager database. Both texts are heap copies
// owned by the record; either may be null. Records live by value inside `Array`s,
// which copy elements by assignment, so copying duplicates both texts.
class DataParameter {
public:
    char* name;
    char* value;

    DataParameter();
    // Copies of both texts (null stays null).
    DataParameter(const char* name, const char* value);
    DataParameter(const DataParameter& other);
    DataParameter& operator=(const DataParameter& other);
    ~DataParameter();

    // Replaces the value with a copy; a null value is ignored.
    void SetValue(const char* value);

    // Arrays compare elements when searching; parameters are equal by content.
    bool operator==(const DataParameter& other) const;
};

// The heap copy of text, or null for null (QVI_StrDup would give "" for null).
char* QVI_CopyTextOrNull(const char* text);

// The first parameter named name (byte comparison), or null; null for a null name.
DataParameter* QVI_FindDataParameter(const Array<DataParameter>& parameters, const char* name);
