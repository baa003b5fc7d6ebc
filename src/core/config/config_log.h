#pragma once

// The configuration's reports go through the API table's logging members, which may not
// be filled yet when the configuration is asked (tests, very early calls): a missing
// member drops the report instead of crashing.
void QVI_ConfigLog(int level, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
void QVI_ConfigPopup(int level, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
