#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "quaven/types.h"

// A StringList for the program holding heap copies of the texts, in order. Never null
// unless memory runs out; an empty list has no item array.
StringList* QVI_NewStringList(const Array<String>& texts);

// API member FreeStringList: frees every item that is not null, then the item array,
// then the list record. Null is ignored.
void QV_FreeStringList(StringList* list);
