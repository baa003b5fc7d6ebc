#pragma once

class DataArray;

// Developer-mode check of a configuration array: every pair of nodes with the same id,
// and every pair of parameters of one node with the same name, is reported through
// LogPopup at WARNING level. Null does nothing.
void QVI_CheckDuplicateIds(const DataArray* array);
