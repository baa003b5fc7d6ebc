#pragma once

#include <cstdint>
#include <optional>

#include "core/engine_string.h"

// Files replaced whole. What a writer puts in place of a file goes first to a temporary file
// in the file's own folder (so the rename stays on one volume), which a rename then moves over
// the file: a failed write leaves the previous file as it was. The temporary's name is one
// that no valid game path and no cache name can spell, so it never stands on a file of the
// game's, nor is it ever overwritten, renamed away or deleted in a file's place.

struct FileHandle;

// The longest native path the OS creates, renames or deletes a file at: its path limit less
// the terminating zero, as the rename has it without long-path support.
const int kLongestNativePath = 259;

enum class TemporaryFor {
    // The game's folders: "<target>..tmp". No game path holds "..".
    kGameFolder,
    // Copies in the cache, named after URLs that may hold "..": "<target>~<thread id>.download".
    // No cache name holds '~'; the thread keeps two threads fetching one URL apart.
    kCache,
};

// The temporary's native path for nativeTarget. When the suffixed name would be longer than
// kLongestNativePath, the target's own name with its last character made '~': no longer than
// the target, never ending in '.' or ' ' (which the OS would drop), but one that two targets
// can share, so *shared is set. "" when no name can be made (an empty target, or one whose
// name already ends in '~', which its shortened temporary would be).
String QVI_NameTemporaryFile(const char* nativeTarget, TemporaryFor kind, uint32_t threadId, bool* shared);

// The temporary of one replacing write. A shared name is held for the object's life: no other
// write uses it meanwhile.
class TemporaryFile {
public:
    TemporaryFile(const char* nativeTarget, TemporaryFor kind);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // The temporary's native path; null when none could be named.
    const char* Path() const { return path_.text && path_.text[0] ? path_.text : nullptr; }
    // Moves a temporary written whole over the target, or deletes one that was not. True when
    // the target now holds what was written; otherwise the temporary is gone and the target as
    // it was.
    bool Finish(bool writtenWhole);
    // Deletes the temporary of a write that failed.
    void Discard();

private:
    String target_;
    String path_;
    bool shared_ = false;
};

// A game's file written whole through the API's file handles. A file in a folder on the disk is
// written to its temporary and moved over the file by Commit; any other file (save://, whose
// mount itself replaces files whole at Unmount, or a path along the search paths) is opened and
// written in place.
class ReplacingWrite {
public:
    ReplacingWrite() = default;
    // A write not committed: its handle is closed and its temporary deleted.
    ~ReplacingWrite();
    ReplacingWrite(const ReplacingWrite&) = delete;
    ReplacingWrite& operator=(const ReplacingWrite&) = delete;

    // Checks path as OpenFile does (its messages name the path given here) and opens what is to
    // be written. Write and flush through the API's members; close through Commit, never
    // CloseFile. Null when the path is refused or nothing could be opened.
    FileHandle* Open(const char* path);
    // Closes the handle and puts the written file in place. False when the file could not be
    // put in place: the previous file is then unchanged.
    bool Commit();
    // Whether the writes go to a temporary (and the file itself is untouched until Commit).
    bool ReplacesWhole() const { return temporary_.has_value(); }

private:
    void Close();

    FileHandle* handle_ = nullptr;
    std::optional<TemporaryFile> temporary_;
};

// How QVI_WriteWholeFile ended.
enum class WholeFileWrite {
    kWritten,
    kNotOpened,    // refused, or nothing could be opened (reported by OpenFile's checks only)
    kNotWritten,   // the bytes did not all reach the file
    kNotReplaced,  // written whole, but the OS would not put the file in place
};

// Writes size bytes as the whole new content of path through a ReplacingWrite. On a failure
// the previous file is unchanged where the file is replaced whole; written in place, a file cut
// short stays as it is. Only OpenFile's checks report; the caller reports the rest.
WholeFileWrite QVI_WriteWholeFile(const char* path, const void* bytes, uint32_t size);
