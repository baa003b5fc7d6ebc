// Files and folders around a test: slash conversion, unique names, per-user folders and
// removing whole trees, so that fixtures set up and clean up files the same way.
#pragma once

#include <string>

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

// Deletes folder with everything in it, read-only files too. Refuses short paths, so a
// bad name can never reach a drive root.
void RemoveTree(const std::string& folder);

}  // namespace quaven_test
