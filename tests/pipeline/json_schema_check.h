#pragma once
// A small JSON Schema checker for the keywords docs/cli-jsonl-schema.json
// uses: type, enum, const, required, properties, additionalProperties
// (false), items, minimum, pattern, oneOf and local $ref.
#include <nlohmann/json.hpp>
#include <string>

namespace korrivan::test {

// "" when `value` satisfies `schema`, else where and why it does not.
std::string schemaViolation(const nlohmann::json& value, const nlohmann::json& schema);

}  // namespace korrivan::test
