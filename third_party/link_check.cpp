// Links the three parsers into a Windows program built as the DLL is, so
// that the cross build proves they compile and link before anything ships
// them. Exits 0 when each parses its sample.
#include <rapidjson/document.h>
#include <yaml.h>
#include <pugixml.hpp>

namespace {

constexpr char JSON_TEXT[] = "{\"name\":\"x\"}";
constexpr char XML_TEXT[] = "<plist><dict/></plist>";
constexpr char YAML_TEXT[] = "name: x\n";

bool YamlParses(void) {
    yaml_parser_t parser;
    if (!yaml_parser_initialize(&parser)) {
        return false;
    }
    yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char *>(YAML_TEXT), sizeof(YAML_TEXT) - 1);
    yaml_document_t document;
    const bool parsed = yaml_parser_load(&parser, &document) != 0;
    if (parsed) {
        yaml_document_delete(&document);
    }
    yaml_parser_delete(&parser);
    return parsed;
}

}  // namespace

int main(void) {
    rapidjson::Document json;
    json.Parse(JSON_TEXT);
    pugi::xml_document xml;
    const bool xml_parsed = xml.load_buffer(XML_TEXT, sizeof(XML_TEXT) - 1);
    return !json.HasParseError() && xml_parsed && YamlParses() ? 0 : 1;
}
