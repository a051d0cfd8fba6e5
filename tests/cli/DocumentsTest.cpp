// What the README and the JSON Schema say of velmora, against the tables they come from: a command,
// an attribute, a window field or an event kind added to a table and not to them fails here.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <regex>
#include <set>

#include "cli/Velmora.h"
#include "cli/WindowEvents.h"
#include "cli/WindowFields.h"
#include "dwm/Attributes.h"

namespace {

std::string ReadSource(const char* path) {
    std::ifstream file((std::string("Z:") + VELMORA_SOURCE_DIR + "/" + path).c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::set<std::string> Keys(const nlohmann::json& object) {
    std::set<std::string> keys;
    for (const auto& [key, value] : object.items()) keys.insert(key);
    return keys;
}

TEST(DocumentsTest, TheReadmesCommandTableNamesEveryCommandOnce) {
    const std::string readme = ReadSource("README.md");
    ASSERT_FALSE(readme.empty());
    std::multiset<std::string> rows;
    const std::regex row(R"(\n\| `velmora ([a-z-]+))");
    for (auto it = std::sregex_iterator(readme.begin(), readme.end(), row); it != std::sregex_iterator(); ++it) {
        rows.insert((*it)[1]);
    }
    std::multiset<std::string> commands;
    for (const cli::CommandRow& command : cli::Commands()) commands.insert(command.name);
    EXPECT_EQ(rows, commands);
}

TEST(DocumentsTest, TheSchemaNamesWhatTheTablesName) {
    const nlohmann::json schema = nlohmann::json::parse(ReadSource("docs/velmora.schema.json"), nullptr, false);
    ASSERT_FALSE(schema.is_discarded());
    const nlohmann::json& defs = schema["$defs"];
    // A document per command, named after it; watch writes lines of its own.
    for (const cli::CommandRow& command : cli::Commands()) {
        const std::string name = std::string(command.name) == "watch" ? "watch-event" : command.name;
        EXPECT_TRUE(defs.contains(name)) << name;
    }
    std::set<std::string> attributes, schemaAttributes;
    for (const dwm::Attribute& a : dwm::Attributes()) attributes.insert(a.name);
    for (const std::string& key : Keys(defs)) {
        if (key.rfind("attribute-", 0) == 0) schemaAttributes.insert(key.substr(10));
    }
    EXPECT_EQ(schemaAttributes, attributes);
    EXPECT_EQ(Keys(defs["get"]["properties"]["attributes"]["properties"]), attributes);
    std::set<std::string> fields;
    for (const cli::WindowField& field : cli::WindowFields()) fields.insert(field.name);
    EXPECT_EQ(Keys(defs["window"]["properties"]), fields);
    std::set<std::string> events;
    for (const nlohmann::json& event : defs["watch-event"]["properties"]["event"]["enum"]) events.insert(event.get<std::string>());
    for (const cli::WindowEventRow& row : cli::kWindowEventRows) EXPECT_EQ(events.count(row.name), 1u) << row.name;
}

}  // namespace
