// Common ground of the DataManager tests: the engine as a game meets it (API table, file
// system, res:// in a fresh folder, log captured), and a database as one comparable text.
#pragma once

#include <string>
#include <vector>

#include "data/datamanager/data_manager.h"
#include "data/datamanager/database.h"
#include "support/engine_table.h"

namespace datamanager_test {

using quaven_test::LogCapture;
using LogLine = quaven_test::LoggedLine;

// The XML declaration DataManager writes.
inline const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";
inline std::string Doc(const std::string& body) { return kDeclaration + body; }

class DataManagerTest : public quaven_test::EngineFilesTest {
protected:
    std::string NativePath(const std::string& relative) const { return ResRoot() + "/" + relative; }
    static std::string GetFile(const std::string& relative) { return ReadThrough(("res://" + relative).c_str()); }
    static bool FileThere(const std::string& relative) { return GetFile(relative) != "<missing>"; }
    // Popup texts only: the way DataManager reports broken files.
    static std::vector<std::string> Popups() { return LogCapture::PopupTexts(); }
};

// Every array, node and parameter of a database; null texts show as <null>, so "" and
// null differ.
inline std::string Dump(const Database& database) {
    auto text = [](const char* t) { return t ? "[" + std::string(t) + "]" : std::string("<null>"); };
    auto line = [&](const char* kind, const char* id, const Array<DataParameter>& parameters) {
        std::string out = kind + text(id);
        for (int i = 0; i < parameters.count; ++i)
            out += " " + text(parameters.data[i].name) + "=" + text(parameters.data[i].value);
        return out + "\n";
    };
    std::string out;
    for (int a = 0; a < database.arrays.count; ++a) {
        const DataArray* array = database.arrays.data[a];
        out += line("array ", array->id, array->parameters);
        for (int n = 0; n < array->nodes.count; ++n)
            out += line("  node ", array->nodes.data[n]->id, array->nodes.data[n]->parameters);
    }
    return out;
}

} // namespace datamanager_test
