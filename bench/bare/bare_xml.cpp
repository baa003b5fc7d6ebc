// The bare baselines of the database benchmarks: tinyxml2 or pugixml, used the plain way,
// parse the database file, and the same walk as the engine's runs goes over the document.
//
//   bare_xml.exe tinyxml2 PATH
//   bare_xml.exe pugixml PATH
//
// Reports "bench work_ms" and "bench digest" (see bench_work.h). The document's tear-down
// is not timed, as it is not on the engine's side.
#include <pugixml.hpp>
#include <tinyxml2.h>

#include <string>

#include "bench_work.h"

namespace {

void WalkAttributes(const tinyxml2::XMLElement* element, WalkDigest* digest)
{
    for (const tinyxml2::XMLAttribute* attribute = element->FirstAttribute(); attribute; attribute = attribute->Next())
        digest->Value(attribute->Name(), attribute->Value());
}

bool LoadAndWalk(tinyxml2::XMLDocument* document, const char* path, WalkDigest* digest)
{
    if (document->LoadFile(path) != tinyxml2::XML_SUCCESS)
        return false;
    const tinyxml2::XMLElement* root = document->FirstChildElement("root");
    if (!root)
        return false;
    for (const tinyxml2::XMLElement* array = root->FirstChildElement("array"); array;
         array = array->NextSiblingElement("array")) {
        ++digest->arrays;
        WalkAttributes(array, digest);
        for (const tinyxml2::XMLElement* node = array->FirstChildElement("node"); node;
             node = node->NextSiblingElement("node")) {
            ++digest->nodes;
            WalkAttributes(node, digest);
            if (const char* text = node->GetText())
                digest->Value("DATA", text);
        }
    }
    return true;
}

void WalkAttributes(const pugi::xml_node& element, WalkDigest* digest)
{
    for (const pugi::xml_attribute& attribute : element.attributes())
        digest->Value(attribute.name(), attribute.value());
}

bool LoadAndWalk(pugi::xml_document* document, const char* path, WalkDigest* digest)
{
    if (!document->load_file(path))
        return false;
    const pugi::xml_node root = document->child("root");
    if (!root)
        return false;
    for (const pugi::xml_node& array : root.children("array")) {
        ++digest->arrays;
        WalkAttributes(array, digest);
        for (const pugi::xml_node& node : array.children("node")) {
            ++digest->nodes;
            WalkAttributes(node, digest);
            const char* text = node.child_value();
            if (*text)
                digest->Value("DATA", text);
        }
    }
    return true;
}

// Times the load and walk into a document that outlives the timing.
template <typename Document>
int Run(const char* path)
{
    Document document;
    WalkDigest digest;
    const double startMs = Bench_NowMs();
    const bool ok = LoadAndWalk(&document, path, &digest);
    const double workMs = Bench_NowMs() - startMs;
    if (!ok) {
        Bench_Report("error", "could not read %s", path);
        return 1;
    }
    Bench_Report("work_ms", "%.3f", workMs);
    digest.Report();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string library = argc == 3 ? argv[1] : "";
    if (library == "tinyxml2")
        return Run<tinyxml2::XMLDocument>(argv[2]);
    if (library == "pugixml")
        return Run<pugi::xml_document>(argv[2]);
    Bench_Report("error", "usage: bare_xml.exe tinyxml2|pugixml PATH");
    return 2;
}
