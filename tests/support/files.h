// Files and folders around a test: slash conversion, unique names, per-user folders and
// removing whole trees, so that fixtures set up and clean up files the same way.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quaven_test {

// '\' turned into '/', trailing separators dropped: the engine's form of a native path.
std::string WithForwardSlashes(std::string path);

// "<tag>-<process>-<tick>-<n>": unique among this run's names and unlikely to meet an
// earlier run's, for per-user developer and title folders.
std::string UniqueName(const std::string& tag);

// "<AppData>" as Windows reports it, with '/' separators: where per-user folders go.
std::string AppDataFolder();

// Writes folder/relative (either separator), creating the folders between; true when
// every byte went out.
bool WriteFileIn(const std::string& folder, const std::string& relative, const std::string& contents);

// WriteFileIn for each (relative path, contents); the test fails on a file not written.
void WriteFilesIn(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& files);

// Whether path names a file (a folder when folder is set), asked of Windows itself.
bool NativeExists(const std::string& path, bool folder = false);
// The whole file at path; "<missing>" when there is none.
std::string ReadNative(const std::string& path);

// Deletes folder with everything in it, read-only files too. Refuses short paths, so a
// bad name can never reach a drive root.
void RemoveTree(const std::string& folder);

}  // namespace quaven_test
