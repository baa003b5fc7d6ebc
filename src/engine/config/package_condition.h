#pragma once

// A package entry "@C:N" splits into its condition C and its name N.
struct PackageEntry {
    bool conditional;
    const char* condition;  // inside the caller's buffer; null for a plain entry
    const char* name;       // inside the caller's buffer
};

// Splits entry (changed in place: the ':' after the condition becomes a terminator).
// False for an entry that starts with '@' but has no ':'.
bool QVI_SplitPackageEntry(char* entry, PackageEntry* parts);

// Whether a package condition holds, against the width and height of the record in force:
//   "res" OP W "x" H   OP "==", "=" or none (equal), ">=", "<="; a lone '>' or '<' is
//                      reported and read as ">=" or "<="; "*" for W or H matches any;
//   "resolution" ["="] W "x" H   the size in either orientation;
//   "feature=" NAME    the feature is set;
//   "open"             always.
// Conditions of 64 characters or more hold never.
bool QVI_IsPackageConditionTrue(const char* condition);
