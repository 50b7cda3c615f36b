#include "json_schema_check.h"

#include <regex>

namespace korrivan::test {

namespace {

using nlohmann::json;

bool hasType(const json& v, const std::string& type) {
  if (type == "object") return v.is_object();
  if (type == "array") return v.is_array();
  if (type == "string") return v.is_string();
  if (type == "integer") return v.is_number_integer();
  if (type == "number") return v.is_number();
  if (type == "boolean") return v.is_boolean();
  if (type == "null") return v.is_null();
  return false;
}

std::string check(const json& v, const json& s, const json& root, const std::string& at) {
  if (s.contains("$ref")) {
    const std::string ref = s["$ref"];
    return check(v, root.at(json::json_pointer(ref.substr(1))), root, at);
  }
  if (s.contains("type")) {
    bool ok = false;
    for (const json& t : s["type"].is_array() ? s["type"] : json::array({s["type"]})) ok = ok || hasType(v, t);
    if (!ok) return at + ": not of type " + s["type"].dump();
  }
  if (s.contains("const") && v != s["const"]) return at + ": not " + s["const"].dump();
  if (s.contains("enum") && std::find(s["enum"].begin(), s["enum"].end(), v) == s["enum"].end())
    return at + ": " + v.dump() + " not in " + s["enum"].dump();
  if (s.contains("minimum") && v.is_number() && v.get<double>() < s["minimum"].get<double>()) return at + ": too small";
  if (s.contains("pattern") && v.is_string() &&
      !std::regex_search(v.get<std::string>(), std::regex(s["pattern"].get<std::string>())))
    return at + ": does not match " + s["pattern"].get<std::string>();
  if (s.contains("oneOf")) {
    int matches = 0;
    for (const json& option : s["oneOf"]) matches += check(v, option, root, at).empty() ? 1 : 0;
    if (matches != 1) return at + ": matches " + std::to_string(matches) + " of oneOf";
  }
  if (v.is_object()) {
    for (const json& name : s.value("required", json::array()))
      if (!v.contains(name.get<std::string>())) return at + ": missing " + name.get<std::string>();
    const json properties = s.value("properties", json::object());
    for (const auto& [name, member] : v.items()) {
      if (properties.contains(name)) {
        if (std::string e = check(member, properties[name], root, at + "." + name); !e.empty()) return e;
      } else if (s.value("additionalProperties", true) == false) {
        return at + ": unexpected member " + name;
      }
    }
  }
  if (v.is_array() && s.contains("items"))
    for (std::size_t i = 0; i < v.size(); ++i)
      if (std::string e = check(v[i], s["items"], root, at + "[" + std::to_string(i) + "]"); !e.empty()) return e;
  return "";
}

}  // namespace

std::string schemaViolation(const nlohmann::json& value, const nlohmann::json& schema) {
  return check(value, schema, schema, "$");
}

}  // namespace korrivan::test
