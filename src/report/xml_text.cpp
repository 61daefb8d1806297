#include "report/xml_text.h"

#include <string_view>

#include "common/text1251.h"

namespace lmr {
namespace {

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  for (size_t hit; (hit = text.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
    out.append(text, pos, hit - pos);
    out.append(to);
  }
  out.append(text, pos, std::string::npos);
  text.swap(out);
}

bool IsLetter(unsigned char b) {
  if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_' || b == ':') return true;
  if (b < 0x80) return false;
  char32_t cp = Cp1251CodePoint(b);
  // Cyrillic letters of 1251 (U+0400..U+04FF); punctuation and signs are not name characters.
  return cp >= 0x0400 && cp <= 0x04FF;
}

bool IsNameChar(unsigned char b) {
  return IsLetter(b) || (b >= '0' && b <= '9') || b == '-' || b == '.' || b == 0xB7;
}

}  // namespace

std::string XmlName(const std::string& name) {
  std::string out;
  out.reserve(name.size() + 1);
  if (!name.empty() && !IsLetter(static_cast<unsigned char>(name[0])) &&
      IsNameChar(static_cast<unsigned char>(name[0]))) {
    out += '_';
  }
  for (char c : name) out += IsNameChar(static_cast<unsigned char>(c)) ? c : '_';
  return out;
}

std::string XMLTag(bool closing, const std::string& name) {
  if (name.empty()) return std::string();
  return (closing ? "</" : "<") + XmlName(name) + ">";
}

std::string XMLEscape(const std::string& text) {
  std::string s = text;
  for (char& c : s) {
    unsigned char b = static_cast<unsigned char>(c);
    if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r') || b == 0x98) c = '?';
  }
  ReplaceAll(s, "&", "&#0038;");
  ReplaceAll(s, "<", "&lt;");
  ReplaceAll(s, ">", "&gt;");
  ReplaceAll(s, "\\", "&#0092;");
  ReplaceAll(s, "  ", " ");
  return s;
}

std::string XMLElement(const std::string& value, const std::string& name, bool lineBreak) {
  if (name.empty()) return std::string();
  std::string out = XMLTag(false, name) + XMLEscape(value) + XMLTag(true, name);
  if (lineBreak) out += "\r\n";
  return out;
}

}  // namespace lmr
