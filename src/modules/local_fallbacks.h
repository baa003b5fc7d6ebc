#pragma once

#include "modules/extension_module.h"

// The built-in module "Local Fallbacks": the engine's local and simulated implementations,
// created by Init as the features ask (SIMULATED_LEADERBOARDS, else LOCAL_LEADERBOARDS;
// SIMULATED_CLOUD; SIMULATED_SOCIAL) and deleted by Shutdown. A heap object like every
// other module; the engine deletes it through slot 0.
class ExtensionModuleLocalFallbacks final : public ExtensionModule {
public:
    void* QV_MEMBER DeletingDestructor(unsigned flags) override { return QVI_DestroyObject(this, flags); }
    const char* QV_MEMBER GetName() override { return "Local Fallbacks"; }
    bool QV_MEMBER Init(QuavenAPI* api) override;
    void QV_MEMBER Shutdown() override;
    void QV_MEMBER Update(float dt) override {}
    const char* QV_MEMBER Command(const char* command, const char* argument) override;
    BaseImplementation* QV_MEMBER GetImplementation(ImplementationKind kind) override;

private:
    BaseImplementation* leaderboards = nullptr;
    BaseImplementation* cloud = nullptr;
    BaseImplementation* social = nullptr;
    bool simulatedLeaderboards = false;
};
