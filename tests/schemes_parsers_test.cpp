// The parsers the scheme importers build on, as this tree compiles and links
// them: each reads a scheme in its format and rejects a broken one through
// its error result, since nothing may throw.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <yaml.h>
#include <pugixml.hpp>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The text of the scalar that follows `key` in a block mapping, or "".
std::string YamlValueOf(const char *text, const char *key, bool *parsed) {
    yaml_parser_t parser;
    std::string value;
    *parsed = false;
    if (!yaml_parser_initialize(&parser)) return value;
    yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char *>(text), std::strlen(text));
    bool key_seen = false;
    for (;;) {
        yaml_event_t event;
        if (!yaml_parser_parse(&parser, &event)) break;
        const yaml_event_type_t type = event.type;
        if (type == YAML_SCALAR_EVENT) {
            const std::string scalar(reinterpret_cast<const char *>(event.data.scalar.value), event.data.scalar.length);
            if (key_seen && value.empty()) value = scalar;
            key_seen = scalar == key;
        }
        yaml_event_delete(&event);
        if (type == YAML_STREAM_END_EVENT) {
            *parsed = true;
            break;
        }
    }
    yaml_parser_delete(&parser);
    return value;
}

TEST(ParsersTest, ReadASchemeInEachFormatAndRejectABrokenOne) {
    rapidjson::Document json;
    json.Parse("{\"name\": \"Harbour\", \"background\": \"#1d1f21\", \"palette\": [0, 128]}");
    ASSERT_FALSE(json.HasParseError());
    ASSERT_TRUE(json.IsObject() && json.HasMember("name") && json["name"].IsString());
    EXPECT_STREQ(json["name"].GetString(), "Harbour");
    EXPECT_EQ(json["palette"][1].GetInt(), 128);
    json.Parse("{\"name\": \"Harbour\",");
    EXPECT_TRUE(json.HasParseError());

    constexpr char PLIST[] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
        "<key>Ansi 1 Color</key><dict><key>Red Component</key><real>0.75</real></dict></dict></plist>";
    pugi::xml_document xml;
    ASSERT_TRUE(xml.load_buffer(PLIST, sizeof(PLIST) - 1));
    const pugi::xml_node color = xml.child("plist").child("dict").child("dict");
    EXPECT_STREQ(color.previous_sibling("key").child_value(), "Ansi 1 Color");
    EXPECT_EQ(color.child("real").text().as_double(), 0.75);
    const pugi::xml_parse_result broken = xml.load_string("<plist><dict></plist>");
    EXPECT_FALSE(broken);
    EXPECT_EQ(broken.status, pugi::status_end_element_mismatch);

    bool parsed = false;
    EXPECT_EQ(YamlValueOf("name: Harbour\ncolors:\n  background: '#1d1f21'\n", "background", &parsed), "#1d1f21");
    EXPECT_TRUE(parsed);
    YamlValueOf("colors: [1, 2\n", "colors", &parsed);
    EXPECT_FALSE(parsed);
    // The version comes from the header written from the sources' configure defines.
    int major = -1, minor = -1, patch = -1;
    yaml_get_version(&major, &minor, &patch);
    char version[32];
    std::snprintf(version, sizeof(version), "%d.%d.%d", major, minor, patch);
    EXPECT_STREQ(yaml_get_version_string(), version);
    EXPECT_GE(major + minor, 1);
}

}  // namespace
