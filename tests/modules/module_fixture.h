// The module tests' set-up: the C test modules (fixtures/test_module) copied into a fresh
// res:// under the names the features load, and at the end the modules shut down and the
// features back as they were.
#pragma once

#include "platform/windows/win32.h"

#include <cstdlib>
#include <string>

#include "core/configuration.h"
#include "modules/extension_module.h"
#include "modules/extension_modules.h"
#include "support/engine_table.h"

namespace quaven_test {

// An export of the library that holds the first registered module of that name; null when none.
template <typename Function>
Function ModuleExport(const char* moduleName, const char* exportName) {
    HMODULE library = nullptr;
    for (int32_t i = 0; i < g_extensionModules.count && !library; ++i) {
        if (strcmp(g_extensionModules.data[i]->GetName(), moduleName) == 0)
            GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               reinterpret_cast<const char*>(g_extensionModules.data[i]), &library);
    }
    return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, exportName))) : nullptr;
}

class ModulesTest : public EngineFilesTest {
protected:
    void SetUp() override { EngineFilesTest::SetUp(), std::swap(savedFeatures_, g_config.applicationFeatures); }
    void TearDown() override {
        QVI_ShutdownExtensionModules();
        free(g_config.applicationFeatures);
        g_config.applicationFeatures = savedFeatures_;
        EngineFilesTest::TearDown();
    }

    // Each module variant as res://<name>, then the modules started with the features.
    void Start(const char* features, std::initializer_list<std::pair<const char*, const char*>> modules = {}) {
        for (const auto& [variant, name] : modules) {
            const std::string from = std::string(QUAVEN_TEST_MODULES_DIR) + "/test_module_" + variant + ".dll";
            ASSERT_TRUE(CopyFileA(from.c_str(), (ResRoot() + "/" + name).c_str(), FALSE)) << from;
        }
        free(g_config.applicationFeatures);
        g_config.applicationFeatures = strdup(features);
        QVI_InitExtensionModules();
    }

    // The registered modules' names, front first.
    static std::string ModuleNames() {
        std::string names;
        for (int32_t i = 0; i < g_extensionModules.count; ++i)
            names += std::string(i ? "|" : "") + g_extensionModules.data[i]->GetName();
        return names;
    }

    // What the named test module noted since the last call (the record is then cleared).
    static std::string TakeCalls(const char* moduleName = "Test Steam") {
        auto calls = ModuleExport<const char* (*)()>(moduleName, "TestModule_Calls");
        const std::string noted = calls ? calls() : "<no such module>";
        if (auto clear = ModuleExport<void (*)()>(moduleName, "TestModule_ClearCalls")) clear();
        return noted;
    }

private:
    char* savedFeatures_ = nullptr;
};

}  // namespace quaven_test
