#include "modules/extension_modules.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "filesystem/paths.h"
#include "modules/extension_module.h"
#include "modules/local_fallbacks.h"
#include "platform/system.h"
#include "services/resolved_implementations.h"

Array<ExtensionModule*> g_extensionModules;

namespace {

// Resolution and update order of the kinds, with the feature a kind needs (null: none).
struct KindStep {
    ImplementationKind kind;
    const char* feature;
    const char* message;
};

const KindStep kKindOrder[] = {
    {IMPLEMENTATION_CLOUD, nullptr, "Using Cloud implementation from module '%s'"},
    {IMPLEMENTATION_LEADERBOARDS, "LEADERBOARDS", "Using Leaderboards implementation from module '%s'"},
    {IMPLEMENTATION_ACHIEVEMENTS, "ACHIEVEMENTS", "Using Achievements implementation from module '%s'"},
    {IMPLEMENTATION_STATISTIC, nullptr, "Using Statistic implementation from module '%s'"},
    {IMPLEMENTATION_IN_APP_PURCHASE, "IN_APP_PURCHASES", "Using InAppPurchase implementation from module '%s'"},
    {IMPLEMENTATION_SOCIAL, nullptr, "Using Social implementation from module '%s'"},
    {IMPLEMENTATION_UGC, nullptr, "Using UGC implementation from module '%s'"},
    {IMPLEMENTATION_NOTIFICATION, nullptr, "Using Notification implementation from module '%s'"},
};

const char* ModuleName(ExtensionModule* module)
{
    const char* name = module->GetName();
    return name ? name : "";
}

void ReportInterfaceFailure(const char* fileName)
{
    QVI_ReportPopup(QV_LOG_WARNING, "Unable to load module '%s' interface.", fileName);
}

// The argument of "SetLocalNotification" split at ';' into four fields: a field after the
// last separator is missing (null), one between separators or after a final ';' is "" or its
// text. A field longer than its buffer is cut.
void SplitNotificationFields(const char* argument, char (&fields)[4][512], const char* (&field)[4])
{
    const char* start = argument;
    for (int i = 0; i < 4; ++i) {
        field[i] = nullptr;
        if (!start)
            continue;
        const char* end = strchr(start, ';');
        const size_t length = end ? static_cast<size_t>(end - start) : strlen(start);
        const size_t kept = length < sizeof fields[i] ? length : sizeof fields[i] - 1;
        memcpy(fields[i], start, kept);
        fields[i][kept] = '\0';
        field[i] = fields[i];
        start = end ? end + 1 : nullptr;
    }
}

}  // namespace

void QVI_RegisterExtensionModule(ExtensionModule* module)
{
    if (!module)
        return;
    QVI_Report(QV_LOG_INFO, "Registering extension module '%s'.", ModuleName(module));
    g_extensionModules.Add(module);
    for (int32_t i = g_extensionModules.count - 1; i > 0; --i)
        g_extensionModules.data[i] = g_extensionModules.data[i - 1];
    g_extensionModules.data[0] = module;
}

void QVI_LoadExtensionModule(const char* fileName)
{
    if (!fileName)
        return;
    QVI_Report(QV_LOG_INFO, "Registering module from file '%s'", fileName);
    char path[512];
    snprintf(path, sizeof path, "res://%s", fileName);
    const String nativePath = QV_ConvertStaticPathToNativeOSPath(path);
    OsLibrary* library = nativePath.text && nativePath.text[0] ? QVI_OsLoadLibrary(nativePath.text, nullptr) : nullptr;
    if (!library) {
        QVI_ReportPopup(QV_LOG_WARNING, "Unable to load module '%s'.", fileName);
        ReportInterfaceFailure(fileName);
        return;
    }
    auto getInterface = reinterpret_cast<QV_GetExtensionModuleInterfaceFunction>(
        QVI_OsFindLibrarySymbol(library, QV_EXTENSION_MODULE_EXPORT_NAME));
    if (!getInterface) {
        QVI_ReportPopup(QV_LOG_WARNING, "Unable to get module '%s' interface '%s'.", fileName,
                        QV_EXTENSION_MODULE_EXPORT_NAME);
        QVI_OsFreeLibrary(library);
        ReportInterfaceFailure(fileName);
        return;
    }
    ExtensionModule* module = getInterface();
    if (!module) {
        QVI_ReportPopup(QV_LOG_WARNING, "Call to module '%s' interface '%s' returned null.", fileName,
                        QV_EXTENSION_MODULE_EXPORT_NAME);
        QVI_OsFreeLibrary(library);
        ReportInterfaceFailure(fileName);
        return;
    }
    const int version = module->GetInterfaceVersion();
    if (version != EXTENSION_MODULE_INTERFACE_VERSION) {
        // The library stays loaded: the object it answered may still be referenced by it.
        QVI_ReportPopup(QV_LOG_WARNING, "Module '%s' interface version mismatch. (%d != %d)", fileName, version,
                        EXTENSION_MODULE_INTERFACE_VERSION);
        return;
    }
    QVI_RegisterExtensionModule(module);
}

void QVI_ResolveImplementations()
{
    QVI_Report(QV_LOG_SYSTEM, "Resolving implementations inside extensions modules.");
    for (const KindStep& step : kKindOrder) {
        BaseImplementation* found = nullptr;
        if (!step.feature || qv->HasFeature(step.feature)) {
            for (int32_t i = 0; i < g_extensionModules.count && !found; ++i) {
                ExtensionModule* module = g_extensionModules.data[i];
                found = module->GetImplementation(step.kind);
                if (found)
                    QVI_Report(QV_LOG_INFO, step.message, ModuleName(module));
            }
        }
        QVI_SetResolvedImplementation(step.kind, found);
    }
}

void QVI_InitExtensionModules()
{
    QVI_RegisterExtensionModule(new ExtensionModuleLocalFallbacks());
    if (qv->HasFeature("KARTRIDGE"))
        QVI_LoadExtensionModule("module-kartridge.dll");
    if (qv->HasFeature("STEAM"))
        QVI_LoadExtensionModule("module-steam.dll");
    QVI_RegisterExtensionModule(new ExtensionModuleLocalFallbacks());

    for (int32_t i = 0; i < g_extensionModules.count; ++i) {
        ExtensionModule* module = g_extensionModules.data[i];
        if (!module->Init(qv))
            QVI_ReportPopup(QV_LOG_WARNING, "Failed to initialize extension '%s'", ModuleName(module));
    }
    QVI_ResolveImplementations();

    QVI_Report(QV_LOG_SYSTEM, "Initializing resolved implementations inside extensions modules.");
    for (const KindStep& step : kKindOrder) {
        if (BaseImplementation* implementation = QVI_GetResolvedImplementation(step.kind))
            implementation->Init();
    }
    NotificationImplementation* notification = QVI_NotificationImplementation();
    if (notification && qv->HasFeature("REGISTER_FOR_LOCAL_NOTIFICATIONS_ON_LAUNCH"))
        notification->RegisterForLocalNotifications();
}

bool QVI_DoExtensionModulesPauseGame()
{
    for (int32_t i = 0; i < g_extensionModules.count; ++i) {
        if (g_extensionModules.data[i]->ShouldPauseGame())
            return true;
    }
    return false;
}

void QVI_UpdateExtensionModules(float seconds)
{
    for (int32_t i = 0; i < g_extensionModules.count; ++i)
        g_extensionModules.data[i]->Update(seconds);
}

void QVI_UpdateServiceImplementations()
{
    for (const KindStep& step : kKindOrder) {
        if (BaseImplementation* implementation = QVI_GetResolvedImplementation(step.kind))
            implementation->Update();
    }
}

void QVI_ShutdownExtensionModules()
{
    for (int32_t i = 0; i < g_extensionModules.count; ++i)
        g_extensionModules.data[i]->Shutdown();
    // The implementations went with their modules' Shutdown.
    QVI_ClearResolvedImplementations();
    for (int32_t i = 0; i < g_extensionModules.count; ++i)
        g_extensionModules.data[i]->DeletingDestructor(1u);
    g_extensionModules.Release();
}

const char* QVI_ExtensionPlatformCommand(const char* command, const char* argument)
{
    NotificationImplementation* notification = QVI_NotificationImplementation();
    if (notification && command) {
        if (strcmp(command, "SetLocalNotification") == 0) {
            char fields[4][512];
            const char* field[4];
            SplitNotificationFields(argument, fields, field);
            const int number = field[3] ? atoi(field[3]) : 5;
            notification->SetLocalNotification(field[0], field[1], field[2], number);
        } else if (strcmp(command, "RemoveAllLocalNotifications") == 0) {
            notification->RemoveAllLocalNotifications();
        }
    }
    for (int32_t i = 0; i < g_extensionModules.count; ++i) {
        if (const char* answer = g_extensionModules.data[i]->Command(command, argument))
            return answer;
    }
    return nullptr;
}
