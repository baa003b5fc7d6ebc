#pragma once

#include "quaven/api.h"
#include "services/service_implementation.h"

// The interface of an extension module, the object a module library answers from its export
// QV_GetExtensionModuleInterface. Like the service implementations it is a binary interface
// to separately built libraries (see services/service_implementation.h): exactly these
// slots, slot 0 one deleting destructor, thiscall operations, and no C++ virtual destructor.

// The one version of this interface; a module answering another is not registered.
enum { EXTENSION_MODULE_INTERFACE_VERSION = 1 };

// The export every module library has.
#define QV_EXTENSION_MODULE_EXPORT_NAME "QV_GetExtensionModuleInterface"

class ExtensionModule {
public:
    virtual void* QV_MEMBER DeletingDestructor(unsigned flags) = 0;                    // 0
    virtual int QV_MEMBER GetInterfaceVersion() { return EXTENSION_MODULE_INTERFACE_VERSION; }  // 1
    virtual const char* QV_MEMBER GetName() = 0;                                        // 2
    virtual bool QV_MEMBER Init(QuavenAPI* api) = 0;                                     // 3
    virtual void QV_MEMBER Shutdown() = 0;                                               // 4
    virtual bool QV_MEMBER ShouldPauseGame() { return false; }                           // 5
    // dt: the frame's delta in seconds, 0 while a module pauses the game.
    virtual void QV_MEMBER Update(float dt) = 0;                                         // 6
    // An answer text, or null when the module does not handle the command.
    virtual const char* QV_MEMBER Command(const char* command, const char* argument) { return nullptr; }  // 7
    virtual BaseImplementation* QV_MEMBER GetImplementation(ImplementationKind kind) = 0;  // 8

protected:
    ExtensionModule() = default;
    ~ExtensionModule() = default;
};

static_assert(sizeof(void*) != 4 || sizeof(ExtensionModule) == 4, "ExtensionModule is its table pointer");

typedef ExtensionModule* (*QV_GetExtensionModuleInterfaceFunction)();
