#include "host_test_support.h"

#include "support/files.h"

#ifndef QUAVEN_EXE_PATH
#error "QUAVEN_EXE_PATH must name the built quaven.exe"
#endif

namespace host_test {

namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    char className[64] = {};
    GetWindowThreadProcessId(window, &owner);
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && std::string(className) == "QuavenWindowClass")
        search->found = window;
    return search->found == nullptr;
}

}  // namespace

std::string ProgramXml(const std::string& application, const std::string& developer, const std::string& variants)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n<array id=\"PARAMETERS\">\n";
    xml += "<node id=\"APPLICATION\" " + application + "/>\n";
    if (!developer.empty())
        xml += "<node id=\"DEVELOPER\" " + developer + "/>\n";
    xml += "</array>\n";
    if (!variants.empty())
        xml += "<array id=\"VARIANTS\">\n" + variants + "</array>\n";
    return xml + "</root>\n";
}

HostFolder::HostFolder()
{
    dir_ = quaven_test::MakeTempDir("host");
    developer_ = "Quaven Host Tests " + quaven_test::UniqueName("d");
    ready_ = CopyFileA(QUAVEN_EXE_PATH, (dir_ + "\\quaven.exe").c_str(), FALSE) &&
             CopyFileA((quaven_test::FixturesDir() + "\\prog.dll").c_str(), (dir_ + "\\prog.dll").c_str(), FALSE);
}

HostFolder::~HostFolder()
{
    quaven_test::RemoveTree(dir_);
    quaven_test::RemoveTree(quaven_test::AppDataFolder() + "/" + developer_);
}

void HostFolder::WriteProgramXml(const std::string& contents)
{
    quaven_test::WriteFile(dir_ + "\\prog.xml", contents);
}

bool HostFolder::Start(quaven_test::ChildProcess& host, const std::string& script, const std::string& suffix)
{
    const std::string scriptPath = dir_ + "\\script" + suffix + ".txt";
    quaven_test::WriteFile(scriptPath, script);
    return host.Start("\"" + dir_ + "\\quaven.exe\"",
                      {{"QUAVEN_TEST_SCRIPT", scriptPath}, {"QUAVEN_TEST_RESULTS", dir_ + "\\results" + suffix + ".txt"}},
                      dir_);
}

Lines HostFolder::Results(const std::string& suffix) const
{
    return quaven_test::ReadLines(dir_ + "\\results" + suffix + ".txt");
}

std::string HostFolder::UserFolder(const std::string& titleFolder) const
{
    return quaven_test::AppDataFolder() + "/" + developer_ + "/" + titleFolder;
}

HWND WaitForMainWindow(DWORD processId)
{
    WindowSearch search = {processId, nullptr};
    for (int attempt = 0; attempt < 1200 && !search.found; ++attempt) {
        EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            Sleep(50);
    }
    return search.found;
}

std::string WindowTitle(HWND window)
{
    char title[512] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

Lines FilesIn(const std::string& folder, const std::string& wildcard)
{
    Lines names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + wildcard).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

}  // namespace host_test
