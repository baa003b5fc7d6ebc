// The extension-module tests' set-up: the C test modules (fixtures/test_module) copied into a
// fresh res:// under the names the features load, the features in force, and the modules shut
// down and the features back as they were at the end.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

#include "core/configuration.h"
#include "modules/extension_module.h"
#include "modules/extension_modules.h"
#include "support/engine_table.h"

namespace quaven_test {

class ModulesTest : public EngineFilesTest {
protected:
    void SetUp() override
    {
        EngineFilesTest::SetUp();
        savedFeatures_ = g_config.applicationFeatures;
        g_config.applicationFeatures = nullptr;
    }

    void TearDown() override
    {
        QVI_ShutdownExtensionModules();
        free(g_config.applicationFeatures);
        g_config.applicationFeatures = savedFeatures_;
        EngineFilesTest::TearDown();
    }

    static void UseFeatures(const char* features)
    {
        free(g_config.applicationFeatures);
        g_config.applicationFeatures = strdup(features);
    }

    // fixtures/modules/test_module_<variant>.dll as res://<fileName>.
    void PutModule(const std::string& variant, const std::string& fileName)
    {
        const std::string from = std::string(QUAVEN_TEST_MODULES_DIR) + "/test_module_" + variant + ".dll";
        ASSERT_TRUE(CopyFileA(from.c_str(), (ResRoot() + "/" + fileName).c_str(), FALSE)) << from;
    }

    // The registered modules' names, front first.
    static std::string ModuleNames()
    {
        std::string names;
        for (int32_t i = 0; i < g_extensionModules.count; ++i)
            names += std::string(i ? "|" : "") + g_extensionModules.data[i]->GetName();
        return names;
    }

    // An export of the library that holds the registered module of that name.
    template <typename Function>
    static Function ModuleExport(const char* moduleName, const char* exportName)
    {
        for (int32_t i = 0; i < g_extensionModules.count; ++i) {
            ExtensionModule* module = g_extensionModules.data[i];
            if (strcmp(module->GetName(), moduleName) != 0)
                continue;
            HMODULE library = nullptr;
            GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               reinterpret_cast<const char*>(module), &library);
            return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, exportName)))
                           : nullptr;
        }
        return nullptr;
    }

    // What the named test module has noted since its calls were last cleared.
    static std::string Calls(const char* moduleName)
    {
        auto calls = ModuleExport<const char* (*)()>(moduleName, "TestModule_Calls");
        return calls ? calls() : "<no such module>";
    }

    static void ClearCalls(const char* moduleName)
    {
        if (auto clear = ModuleExport<void (*)()>(moduleName, "TestModule_ClearCalls"))
            clear();
    }

    static void SetPause(const char* moduleName, int pause)
    {
        if (auto set = ModuleExport<void (*)(int)>(moduleName, "TestModule_SetPause"))
            set(pause);
    }

private:
    char* savedFeatures_ = nullptr;
};

}  // namespace quaven_test
