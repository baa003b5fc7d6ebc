#include "engine/config/package_condition.h"

#include <cstring>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "quaven/types.h"

namespace {

// Conditions are read into a buffer of this size in the package lists' own format.
const size_t kMaxConditionLength = 63;

enum class Comparison { Equal, AtLeast, AtMost };

bool StartsWith(const char* text, const char* prefix)
{
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

bool PartHolds(const char* part, int32_t actual, Comparison comparison)
{
    if (part[0] == '*')
        return true;
    int32_t wanted = QVI_ParseClampedInt(part);
    switch (comparison) {
    case Comparison::AtLeast: return actual >= wanted;
    case Comparison::AtMost: return actual <= wanted;
    default: return actual == wanted;
    }
}

// "res" followed by an operator and "W x H".
bool ResolutionComparisonHolds(const char* condition)
{
    const char* rest = condition + 3;
    Comparison comparison = Comparison::Equal;
    if (StartsWith(rest, "==")) {
        rest += 2;
    } else if (StartsWith(rest, ">=")) {
        comparison = Comparison::AtLeast;
        rest += 2;
    } else if (StartsWith(rest, "<=")) {
        comparison = Comparison::AtMost;
        rest += 2;
    } else if (rest[0] == '=') {
        rest += 1;
    } else if (rest[0] == '>' || rest[0] == '<') {
        QVI_ReportPopup(QV_LOG_WARNING, "prog.xml: res comparison needs to be ==, >=, or <=. '%s' is not supported.",
                        condition);
        comparison = rest[0] == '>' ? Comparison::AtLeast : Comparison::AtMost;
        rest += 1;
    }

    const ProgramInterface* record = QVI_GetRecordInForce();
    const char* separator = strchr(rest, 'x');
    const char* heightPart = separator ? separator + 1 : "";
    return PartHolds(rest, record->video.width, comparison) && PartHolds(heightPart, record->video.height, comparison);
}

// "resolution" followed by an optional '=' and "W x H": either orientation matches.
bool ResolutionMatchHolds(const char* condition)
{
    const char* rest = condition + strlen("resolution");
    if (rest[0] == '=')
        ++rest;
    int32_t width = 0;
    int32_t height = 0;
    QVI_ParseSize(rest, &width, &height);
    const ProgramInterface* record = QVI_GetRecordInForce();
    return (width == record->video.width && height == record->video.height) ||
           (width == record->video.height && height == record->video.width);
}

} // namespace

bool QVI_SplitPackageEntry(char* entry, PackageEntry* parts)
{
    if (entry[0] != '@') {
        *parts = {false, nullptr, entry};
        return true;
    }
    char* colon = strchr(entry, ':');
    if (!colon)
        return false;
    *colon = '\0';
    *parts = {true, entry + 1, colon + 1};
    return true;
}

bool QVI_IsPackageConditionTrue(const char* condition)
{
    if (!condition || strlen(condition) > kMaxConditionLength)
        return false;
    // "resolution" first: it begins with "res" too, and is no comparison.
    if (StartsWith(condition, "resolution"))
        return ResolutionMatchHolds(condition);
    if (StartsWith(condition, "res"))
        return ResolutionComparisonHolds(condition);
    if (StartsWith(condition, "feature="))
        return QVI_HasFeature(condition + strlen("feature="));
    return StartsWith(condition, "open");
}
