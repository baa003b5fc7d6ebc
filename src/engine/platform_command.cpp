// The string-command dispatcher: the engine's own commands and the forwarding to the
// Windows layer, the online services, the extension modules, the renderer and the input
// implementations, tried in one fixed order.

#include "engine/platform_command.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/console.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/engine_string.h"
#include "core/engine_time.h"
#include "core/events/event_queue.h"
#include "engine/config/configuration_reader.h"
#include "engine/program/program_library.h"
#include "engine/startup/device_info.h"
#include "filesystem/open_files.h"
#include "filesystem/paths.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/screen_state.h"
#include "input/input.h"
#include "modules/extension_modules.h"
#include "services/resolved_implementations.h"
#include "services/service_implementation.h"
#include "platform/windows/desktop/windows_platform_command.h"

namespace {

const char kYes[] = "YES";
const char kNo[] = "NO";
const char kOk[] = "OK";

// The longest token of "GameCustomDialogSend", without its terminator.
const int kDialogTokenBytes = 1023;
// An image larger than this cannot be sent with a game alert.
const int64_t kLargestAlertImage = 161792;

// One thread's answers (see the header).
struct ThreadAnswers {
    char maximumTextureSize[32];
    char date[32];
    char timeStamp[32];
    char desktopWidth[16];
    char desktopHeight[16];
    String features;
    String overlayZoom;
};

thread_local ThreadAnswers t_answers;

// Written at start-up on the main thread, read afterwards.
PlatformCommandServices g_services = {};
// Counted before each use: the first alert of a run is number 2.
std::atomic<long> g_alertCounter{1};
std::atomic<long> g_allowAllResolutions{0};

struct Language {
    const char* name;
    const char* code;
};

const Language kLanguages[] = {
    {"Arabic", "ar"},  {"Bengali", "bn"}, {"Chinese", "zh"},   {"Czech", "cs"},      {"English", "en"},
    {"French", "fr"},  {"German", "de"},  {"Hindi", "hi"},     {"Italian", "it"},    {"Japanese", "ja"},
    {"Korean", "ko"},  {"Mandarin", "mdr"}, {"Polish", "pl"},  {"Portuguese", "pt"}, {"Punjabi", "pa"},
    {"Russian", "ru"}, {"Spanish", "es"}, {"Urdu", "ur"},
};

bool Is(const char* text, const char* name)
{
    return text && strcmp(text, name) == 0;
}

// ---- Online services -------------------------------------------------------------------

bool InAppPurchaseAvailable()
{
    bool available = false;
    return g_services.inAppPurchase && g_services.inAppPurchase(&available) && available;
}

// Steps 3 to 7: the store, while an available InAppPurchase implementation is in use.
const char* StoreCommand(const char* command, const char* argument)
{
    if (strncmp(command, "IAP_", 4) != 0 || !InAppPurchaseAvailable())
        return nullptr;
    if (Is(command, "IAP_IsAvailable"))
        return kYes;
    if (Is(command, "IAP_PurchaseItem")) {
        if (g_services.purchaseItem)
            g_services.purchaseItem(argument);
        return kYes;
    }
    if (Is(command, "IAP_RequestItemData")) {
        if (g_services.requestItemData)
            g_services.requestItemData(argument);
        return kOk;
    }
    if (Is(command, "IAP_RestorePurchases")) {
        if (g_services.restorePurchases)
            g_services.restorePurchases();
        return kYes;
    }
    if (Is(command, "IAP_ShowPurchaseProgress"))
        return g_services.showPurchaseProgress && g_services.showPurchaseProgress() ? kYes : kNo;
    return nullptr;
}

bool HasFeatureToken(const char* name)
{
    return QVI_HasToken(g_config.applicationFeatures, name) || QVI_HasToken(g_config.variantFeatures, name);
}

const char* GameCenterCommand(const char* command, const char* argument)
{
    bool achievementsAvailable = false;
    bool leaderboardsAvailable = false;
    const bool achievements = g_services.achievements && g_services.achievements(&achievementsAvailable);
    const bool leaderboards = g_services.leaderboards && g_services.leaderboards(&leaderboardsAvailable);
    if (!(achievements || leaderboards) || !Is(command, "GameCenter") || !HasFeatureToken("GAME_CENTER"))
        return nullptr;
    char operation[256];
    char first[256];
    char second[256];
    const bool haveOperation = QVI_CopyToken(operation, sizeof operation, argument, ",", 0) != nullptr;
    const bool haveFirst = QVI_CopyToken(first, sizeof first, argument, ",", 1) != nullptr;
    const bool haveSecond = QVI_CopyToken(second, sizeof second, argument, ",", 2) != nullptr;
    if (!haveOperation)
        return nullptr;
    if (Is(operation, "IsAvailable"))
        return kYes;
    const char* id = haveFirst ? first : "";
    if (achievements && achievementsAvailable && qv->achievements) {
        if (Is(operation, "UnlockAchievement")) {
            qv->achievements->UnlockAchievement(0, id);
            return kOk;
        }
        if (Is(operation, "SetAchievementProgress")) {
            const int progress = haveSecond ? atoi(second) : -1;
            if (progress < 0)
                return nullptr;
            qv->achievements->SetAchievementProgress(0, id, progress);
            return kOk;
        }
        if (Is(operation, "ShowAchievements")) {
            if (qv->achievements->CanShowAchievements())
                qv->achievements->ShowAchievements(0);
            return kOk;
        }
    }
    if (leaderboards && leaderboardsAvailable && qv->leaderboards) {
        if (Is(operation, "SubmitScore")) {
            ScoreRecord score;
            memset(&score, 0, sizeof score);
            score.points = haveSecond ? atoi(second) : 0;
            qv->leaderboards->SubmitScore(0, score, id);
            return kOk;
        }
        if (Is(operation, "ShowLeaderboards")) {
            qv->leaderboards->ShowLeaderboards(0, id);
            return kOk;
        }
    }
    return nullptr;
}

const char* GameCustomDialogSend(const char* command, const char* argument)
{
    if (!Is(command, "GameCustomDialogSend"))
        return nullptr;
    char tokens[4][kDialogTokenBytes];
    for (int i = 0; i < 4; ++i) {
        if (!QVI_CopyToken(tokens[i], kDialogTokenBytes, argument, ";", i))
            tokens[i][0] = '\0';
    }
    const long alert = ++g_alertCounter;
    if (tokens[3][0] && qv->fileSystem) {
        if (FileHandle* file = qv->fileSystem->OpenFile(tokens[3], "r")) {
            if (static_cast<int64_t>(file->size) > kLargestAlertImage)
                QVI_ReportPopup(QV_LOG_INFO, "Game Alert #%ld\n\nFile '%s' is too large! It can be max 160KB.", alert,
                                tokens[3]);
            qv->fileSystem->CloseFile(file);
        }
    }
    QVI_ReportPopup(QV_LOG_INFO,
                    "Game Alert #%ld\n\nUser message: '%s'\nData name: '%s'\nData detail: '%s'\nImage file name: '%s'",
                    alert, tokens[2], tokens[0], tokens[1], tokens[3]);
    EngineEvent event;
    QV_InitEvent(&event, EVENT_NAMED);
    EventNamedPayload named;
    memset(&named, 0, sizeof named);
    named.name = "SEND_OK";
    memcpy(event.payload, &named, sizeof named);
    QVI_QueueEvent(&event);
    return nullptr;
}

// ---- The engine's own commands ---------------------------------------------------------

const char* LanguageFromCommandLine()
{
    const char* commandLine = QVI_GetCommandLineCopy();
    if (!commandLine)
        return nullptr;
    for (const Language& language : kLanguages) {
        if (strstr(commandLine, language.name))
            return language.code;
    }
    return nullptr;
}

bool DeveloperCommandsOn()
{
    const ProgramInterface* record = QVI_GetProgramRecord();
    return record && (QVI_HasFeature("TEST_EXTENSIONS") || record->video.developer_mode);
}

const char* RendererCommand(const char* argument)
{
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer || !argument)
        return nullptr;
    if (Is(argument, "SupportedResolutions"))
        return renderer->GetSupportedResolutions();
    if (Is(argument, "EyeMode"))
        return g_core.eye == 1 ? "Left" : g_core.eye == 2 ? "Right" : "Mono";
    if (Is(argument, "MaximumTextureSize")) {
        snprintf(t_answers.maximumTextureSize, sizeof t_answers.maximumTextureSize, "%d",
                 renderer->GetMaximumTextureSize());
        return t_answers.maximumTextureSize;
    }
    return nullptr;
}

const char* ProgramInfo(const char* argument)
{
    if (Is(argument, "ProgramId")) {
        const ProgramInterface* record = QVI_GetProgramRecord();
        return record ? record->id : "null";
    }
    if (Is(argument, "Features")) {
        const char* application = g_config.applicationFeatures ? g_config.applicationFeatures : "";
        const char* variant = g_config.variantFeatures ? g_config.variantFeatures : "";
        if (application[0] && variant[0])
            t_answers.features.Format("%s,%s", application, variant);
        else
            t_answers.features.Assign(application[0] ? application : variant);
        return t_answers.features.text;
    }
    if (Is(argument, "ControlInterfaces"))
        return g_config.controlInterfaces.text;
    return nullptr;
}

const char* ScreenSizeName(int sizeClass)
{
    return sizeClass == 1 ? "MEDIUM" : sizeClass == 2 ? "LARGE" : "SMALL";
}

const char* PlatformInfo(const char* argument)
{
    if (!argument)
        return nullptr;
    if (Is(argument, "DeviceModel"))
        return g_deviceInfo.device_model;
    if (Is(argument, "OS"))
        return g_deviceInfo.os;
    if (Is(argument, "OSMajor") || Is(argument, "OSMinor") || Is(argument, "QuavenImp")) {
        QVI_ReportPopup(QV_LOG_WARNING, "PlatformInfo.%s is removed.", argument);
        return nullptr;
    }
    if (Is(argument, "UniqueId"))
        return QVI_GetDeviceUniqueId();
    if (Is(argument, "GPUDesc"))
        return g_deviceInfo.gpu_desc;
    if (Is(argument, "CPUDesc"))
        return g_deviceInfo.cpu_desc;
    if (Is(argument, "DesktopWidth")) {
        snprintf(t_answers.desktopWidth, sizeof t_answers.desktopWidth, "%d", g_screenState.desktopWidth);
        return t_answers.desktopWidth;
    }
    if (Is(argument, "DesktopHeight")) {
        snprintf(t_answers.desktopHeight, sizeof t_answers.desktopHeight, "%d", g_screenState.desktopHeight);
        return t_answers.desktopHeight;
    }
    const char* forced = g_config.forcedVariant;
    if (Is(argument, "PlatformId")) {
        if (forced) {
            char platform[64];
            if (!QVI_CopyToken(platform, sizeof platform, forced, "/", 0))
                platform[0] = '\0';
            return QVI_GetPlatformName(QVI_GetPlatformId(platform));
        }
        return QVI_GetPlatformName(g_deviceInfo.platform);
    }
    if (Is(argument, "ScreenSizeId")) {
        if (forced) {
            const char* slash = strchr(forced, '/');
            return slash ? ScreenSizeName(QVI_GetScreenSizeId(slash + 1)) : "LARGE";
        }
        return ScreenSizeName(g_deviceInfo.screen_size);
    }
    return nullptr;
}

const char* FormatDate(bool withTime)
{
    DateTime now;
    QVI_GetCurrentDateTime(&now);
    if (!withTime) {
        snprintf(t_answers.date, sizeof t_answers.date, "%d-%.2d-%.2d", now.year, now.month, now.day);
        return t_answers.date;
    }
    snprintf(t_answers.timeStamp, sizeof t_answers.timeStamp, "%d-%.2d-%.2d:%.2d-%.2d", now.year, now.month, now.day,
             now.hour, now.minute);
    return t_answers.timeStamp;
}

const char* SetOverlayZoom(const char* argument)
{
    const float zoom = QVI_ParseFloat(argument, 1.0f);
    g_autoscale.overlayZoom = zoom;
    g_autoscale.savedOverlayZoom = zoom;
    QVI_UpdateOverlayZoomOffsets();
    return nullptr;
}

// Steps 33 and 34: the renderer's own commands, then the input implementations'.
const char* DeviceCommands(const char* command, const char* argument)
{
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer || !QVI_IsRendererReady())
        return nullptr;
    if (const char* answer = renderer->PlatformCommand(command, argument))
        return answer;
    return g_services.inputCommand ? g_services.inputCommand(command) : nullptr;
}

String StaticToNativePath(const char* path)
{
    return QV_ConvertStaticPathToNativeOSPath(path);
}

String NativeToStaticPath(const char* path)
{
    return QVI_ConvertNativePathToPath(path);
}

void SetUgcRoot(const char* folder)
{
    g_currentUrlRoots[SCHEME_UGC].Assign(folder);
}

}  // namespace

const char* QV_PlatformCommand(const char* command, const char* argument)
{
    if (!command)
        return nullptr;
    if (Is(command, "Cache") && Is(argument, "ReloadResources"))
        QVI_ReloadChangedResources();
    if (const char* answer = StoreCommand(command, argument))
        return answer;
    if (const char* answer = GameCenterCommand(command, argument))
        return answer;
    if (const char* answer = QVI_WindowsPlatformCommand(command, argument))
        return answer;
    if (Is(command, "GetLanguage")) {
        if (const char* code = LanguageFromCommandLine())
            return code;
    }
    if (DeveloperCommandsOn()) {
        GameCustomDialogSend(command, argument);
        if (Is(command, "Facebook_IsAvailable") || Is(command, "Twitter_IsAvailable") ||
            Is(command, "_SinaWeibo_IsAvailable"))
            return kYes;
    }
    if (Is(command, "Console_AddCommand")) {
        if (argument)
            QV_AddConsoleCommand(argument, nullptr);
        return nullptr;
    }
    if (Is(command, "Renderer")) {
        if (!QVI_GetRenderer())
            return nullptr;
        if (const char* answer = RendererCommand(argument))
            return answer;
    }
    if (Is(command, "ProgramInfo")) {
        if (const char* answer = ProgramInfo(argument))
            return answer;
    }
    if (Is(command, "GetProductValue"))
        return QVI_GetProductValue(argument);
    if (Is(command, "PlatformInfo")) {
        if (const char* answer = PlatformInfo(argument))
            return answer;
    }
    if (Is(command, "GetDate"))
        return FormatDate(false);
    if (Is(command, "GetTimeStamp"))
        return FormatDate(true);
    if (Is(command, "Hacks") && Is(argument, "AllowAllResolutions"))
        QVI_SetAllowAllResolutions(true);
    if (g_services.extensionCommand) {
        if (const char* answer = g_services.extensionCommand(command, argument))
            return answer;
    }
    if (Is(command, "UI") && (Is(argument, "BeginKeyboardInput") || Is(argument, "EndKeyboardInput")))
        QVI_ReportPopup(QV_LOG_WARNING, "Unimplemented.");
    if (Is(command, "RefreshMemUsageEstimates")) {
        QVI_RefreshMemoryUsageEstimates();
        return nullptr;
    }
    if (Is(command, "ListResourceUsage")) {
        QVI_ListResourceUsage();
        return nullptr;
    }
    if (Is(command, "SwitchProgramBasePath") || Is(command, "SwitchUserDataPath"))
        return nullptr;
    if (Is(command, "GetOverlayZoom")) {
        t_answers.overlayZoom.Format("%g", static_cast<double>(g_autoscale.overlayZoom));
        return t_answers.overlayZoom.text;
    }
    if (Is(command, "SetOverlayZoom"))
        return SetOverlayZoom(argument);
    return DeviceCommands(command, argument);
}

namespace {

// The resolved online-service implementation of a kind, and its IsAvailable answer.
bool ServiceInUse(int kind, bool* available)
{
    BaseImplementation* implementation = QVI_GetResolvedImplementation(kind);
    *available = implementation && implementation->IsAvailable();
    return implementation != nullptr;
}

InAppPurchaseImplementation* Store()
{
    return static_cast<InAppPurchaseImplementation*>(QVI_GetResolvedImplementation(IMPLEMENTATION_IN_APP_PURCHASE));
}

PlatformCommandServices EngineServices()
{
    PlatformCommandServices services = {};
    services.inAppPurchase = [](bool* available) { return ServiceInUse(IMPLEMENTATION_IN_APP_PURCHASE, available); };
    services.achievements = [](bool* available) { return ServiceInUse(IMPLEMENTATION_ACHIEVEMENTS, available); };
    services.leaderboards = [](bool* available) { return ServiceInUse(IMPLEMENTATION_LEADERBOARDS, available); };
    services.requestItemData = [](const char* argument) {
        if (InAppPurchaseImplementation* store = Store())
            store->RequestItemData(argument);
    };
    services.purchaseItem = [](const char* argument) {
        if (InAppPurchaseImplementation* store = Store())
            store->PurchaseItem(argument);
    };
    services.restorePurchases = [] {
        if (InAppPurchaseImplementation* store = Store())
            store->RestorePurchases();
    };
    services.showPurchaseProgress = [] {
        InAppPurchaseImplementation* store = Store();
        return store && store->ShowPurchaseProgress();
    };
    services.extensionCommand = QVI_ExtensionPlatformCommand;
    services.inputCommand = QVI_AskInputImplementations;
    return services;
}

}  // namespace

void QVI_InstallPlatformCommandServices()
{
    g_services = EngineServices();
    WindowsPathServices paths;
    paths.convertStaticToNative = StaticToNativePath;
    paths.convertNativeToStatic = NativeToStaticPath;
    paths.setUgcRoot = SetUgcRoot;
    QVI_SetWindowsPathServices(paths);
}

void QVI_SetPlatformCommandServices(const PlatformCommandServices& services)
{
    g_services = services;
}

bool QVI_IsAllowAllResolutionsSet()
{
    return g_allowAllResolutions != 0;
}

void QVI_SetAllowAllResolutions(bool allow)
{
    g_allowAllResolutions.store(allow ? 1 : 0);
}
