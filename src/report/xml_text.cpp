#include "report/xml_text.h"

#include "common/text1251.h"

namespace lmr {
namespace {

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

// One pass gives the same text as the five replacements in turn: none of
// them inserts a blank, and a pair of blanks collapses to one blank, so a run
// of n blanks keeps (n + 1) / 2.
std::string XMLEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    switch (b) {
      case '&': out += "&#0038;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\\': out += "&#0092;"; break;
      case ' ':
        out += ' ';
        if (i + 1 < text.size() && text[i + 1] == ' ') ++i;
        break;
      default:
        if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r') || b == 0x98) {
          out += '?';
        } else {
          out += static_cast<char>(b);
        }
    }
  }
  return out;
}

std::string XMLElement(const std::string& value, const std::string& name, bool lineBreak) {
  if (name.empty()) return std::string();
  const std::string tagName = XmlName(name);
  std::string escaped = XMLEscape(value);
  std::string out;
  out.reserve(2 * tagName.size() + escaped.size() + 7);
  out.append("<").append(tagName).append(">").append(escaped).append("</").append(tagName).append(">");
  if (lineBreak) out += "\r\n";
  return out;
}

}  // namespace lmr
