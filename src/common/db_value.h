#pragma once
// A value as the database layer hands it over: unassigned, null, integer or text.
#include <cstdint>
#include <string>
#include <variant>

namespace lmr {

struct DbUnassigned {};
struct DbNull {};
using DbValue = std::variant<DbUnassigned, DbNull, std::int64_t, std::string>;

// Null gives the default, unassigned 0; an integer outside 32 bits and text
// that is no whole number fail with std::runtime_error, as variant
// conversion does.
std::int32_t VariantToIntOrDefault(const DbValue& value, std::int32_t defaultValue);

}  // namespace lmr
