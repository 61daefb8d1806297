#include "common/db_value.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace lmr {
namespace {

std::int32_t Narrow32(std::int64_t v) {
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) {
    throw std::runtime_error("Arithmetic overflow converting " + std::to_string(v) + " to Integer");
  }
  return static_cast<std::int32_t>(v);
}

std::int32_t TextToInt(const std::string& text) {
  size_t b = text.find_first_not_of(" \t");
  size_t e = text.find_last_not_of(" \t");
  std::string core = b == std::string::npos ? std::string() : text.substr(b, e - b + 1);
  errno = 0;
  char* end = nullptr;
  long long v = core.empty() ? 0 : std::strtoll(core.c_str(), &end, 10);
  if (core.empty() || *end != '\0' || errno == ERANGE) {
    throw std::runtime_error("Could not convert variant of type (String) into type (Integer): '" +
                             text + "'");
  }
  return Narrow32(v);
}

}  // namespace

std::int32_t VariantToIntOrDefault(const DbValue& value, std::int32_t defaultValue) {
  if (std::holds_alternative<DbNull>(value)) return defaultValue;
  if (std::holds_alternative<DbUnassigned>(value)) return 0;
  if (const auto* i = std::get_if<std::int64_t>(&value)) return Narrow32(*i);
  return TextToInt(std::get<std::string>(value));
}

}  // namespace lmr
