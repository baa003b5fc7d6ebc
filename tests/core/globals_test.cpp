#include "filesystem/paths.h"

#include <gtest/gtest.h>

namespace {

// Start-up code fills the roots only after reading them as "not set yet": every
// entry must begin as a null String, not as an allocated empty text.
TEST(UrlRootTables, EveryRootStartsNull) {
    for (int scheme = 0; scheme < kUrlSchemeRootCount; ++scheme) {
        EXPECT_EQ(g_currentUrlRoots[scheme].text, nullptr) << "current root " << scheme;
        EXPECT_EQ(g_defaultUrlRoots[scheme].text, nullptr) << "default root " << scheme;
    }
}

} // namespace
