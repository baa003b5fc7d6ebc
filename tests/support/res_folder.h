// res:// pointed at a fresh temporary folder for as long as a ResFolder lives, for tests
// that read and write files the way a game's data lies beside the executable. Afterwards
// the folder is gone, the databases DataManager cached meanwhile (tests name their files
// alike) are unloaded and the previous root is back. Create it after the file system is
// initialised, which sets the roots anew.
#pragma once

#include <string>

namespace quaven_test {

class ResFolder {
public:
    explicit ResFolder(const std::string& tag);
    ~ResFolder();
    ResFolder(const ResFolder&) = delete;
    ResFolder& operator=(const ResFolder&) = delete;

    const std::string& Root() const { return root_; }
    // A file in the folder, with '/' separators.
    std::string NativePath(const std::string& relative) const { return root_ + "/" + relative; }
    // Writes res://<relative>, creating the folders between; true when all went out.
    bool Put(const std::string& relative, const std::string& contents) const;
    std::string Get(const std::string& relative) const;

private:
    std::string root_;
    std::string savedRoot_;
    bool hadRoot_ = false;
    int cachedBefore_ = 0;
};

}  // namespace quaven_test
