#include "support/res_folder.h"

#include "data/datamanager/data_manager.h"
#include "filesystem/paths.h"
#include "support/files.h"
#include "support/process.h"

namespace quaven_test {

ResFolder::ResFolder(const std::string& tag)
    : root_(WithForwardSlashes(MakeTempDir(tag))),
      hadRoot_(g_currentUrlRoots[SCHEME_RES].text != nullptr),
      cachedBefore_(DataManager::databases.count)
{
    if (hadRoot_)
        savedRoot_ = g_currentUrlRoots[SCHEME_RES].text;
    g_currentUrlRoots[SCHEME_RES].Assign(root_.c_str());
}

ResFolder::~ResFolder() {
    while (DataManager::databases.count > cachedBefore_)
        DataManager::UnloadDatabase(DataManager::databases.data[DataManager::databases.count - 1]);
    RemoveTree(root_);
    if (hadRoot_)
        g_currentUrlRoots[SCHEME_RES].Assign(savedRoot_.c_str());
    else
        g_currentUrlRoots[SCHEME_RES] = String();
}

bool ResFolder::Put(const std::string& relative, const std::string& contents) const {
    return WriteFileIn(root_, relative, contents);
}

std::string ResFolder::Get(const std::string& relative) const {
    return ReadFile(NativePath(relative));
}

}  // namespace quaven_test
