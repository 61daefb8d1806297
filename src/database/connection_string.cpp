#include "database/connection_string.h"

#include "database/db_connection.h"

namespace lmr {
namespace {

constexpr char kPassword[] = "Password=";
constexpr char kAfterPassword[] = ";Persist Security Info=True;User ID=";
constexpr char kCatalog[] = ";Initial Catalog=";
constexpr char kSource[] = ";Data Source=";

struct Span {
  std::size_t begin;
  std::size_t end;
};

std::size_t Length(const char* text) { return std::char_traits<char>::length(text); }

// Where the password sits; begin is npos when the string has none.
Span PasswordSpan(const std::string& text) {
  std::size_t at = text.find(kPassword);
  if (at == std::string::npos) return {std::string::npos, std::string::npos};
  const std::size_t begin = at + Length(kPassword);
  std::size_t end = text.rfind(kAfterPassword);
  if (end == std::string::npos || end < begin) {
    end = text.find(';', begin);
    if (end == std::string::npos) end = text.size();
  }
  return {begin, end};
}

// The text from `from` up to `marker` (the whole rest when it is missing);
// `from` moves past the marker.
std::string TakeUntil(const std::string& text, std::size_t& from, const char* marker) {
  std::size_t at = text.find(marker, from);
  if (at == std::string::npos) at = text.size();
  std::string value = text.substr(from, at - from);
  from = at == text.size() ? at : at + Length(marker);
  return value;
}

std::string Value(const std::string& value) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  const bool bare = value.find(';') == std::string::npos &&
                    (value.empty() || (value.front() != '{' && !blank(value.front()) && !blank(value.back())));
  if (bare) return value;
  std::string out = "{";
  for (char c : value) {
    out += c;
    if (c == '}') out += '}';
  }
  return out + "}";
}

}  // namespace

std::string BuildConnectionString(const ConnectionSettings& s) {
  return "Provider=SQLOLEDB.1;Password=" + s.password + ";Persist Security Info=True" + ";User ID=" + s.login +
         ";Initial Catalog=" + s.database + ";Data Source=" + s.server;
}

ConnectionSettings ParseConnectionString(const std::string& text) {
  const Span span = PasswordSpan(text);
  if (span.begin == std::string::npos) throw DbError("The connection string names no password: " + text);
  ConnectionSettings s;
  s.password = text.substr(span.begin, span.end - span.begin);
  std::size_t from = text.find("User ID=", span.end);
  if (from == std::string::npos) return s;
  from += Length("User ID=");
  s.login = TakeUntil(text, from, kCatalog);
  s.database = TakeUntil(text, from, kSource);
  s.server = text.substr(from);
  return s;
}

std::string WithPassword(const std::string& text, const std::string& password) {
  const Span span = PasswordSpan(text);
  if (span.begin == std::string::npos) return text;
  return text.substr(0, span.begin) + password + text.substr(span.end);
}

std::string OdbcConnectionString(const ConnectionSettings& s) {
  return "DRIVER={SQL Server};SERVER=" + Value(s.server) + ";UID=" + Value(s.login) + ";PWD=" + Value(s.password) +
         ";DATABASE=" + Value(s.database);
}

}  // namespace lmr
