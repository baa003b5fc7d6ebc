#pragma once

// The leaderboard categories of "leaderboards/leaderboards.xml": one node per category in its
// array "CATEGORIES", the node id the category id, the parameter "sort" the order. The file is
// read through the DataManager's cache on every call. A missing file or array reads as no
// categories.

int QVI_GetCategoryCount();
// Null outside 0 to count - 1.
const char* QVI_GetCategoryId(int index);
// The first category with exactly that id (nodes without id skipped); -1 when there is none.
int QVI_GetCategoryIndex(const char* id);
// "sort" is "LOWEST_SCORE_FIRST" or "ASCENDING".
bool QVI_IsLowestScoreFirst(const char* id);
// A further parameter of the category; null when missing.
const char* QVI_GetCategoryValue(const char* id, const char* key);

// Warns (LogPopup) about every category id a service would refuse: missing, longer than 31
// characters, not starting with a letter, or holding other characters than letters, digits
// and '_'.
void QVI_ValidateLeaderboardCategories();
