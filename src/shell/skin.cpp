#include "shell/skin.h"

#include <cstdlib>
#include <map>

#include "common/load_lines.h"

namespace lmr {
namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  size_t e = s.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return s;
}

bool ParseColour(const std::string& text, std::uint32_t& out) {
  if (text.size() != 6) return false;
  char* end = nullptr;
  unsigned long v = std::strtoul(text.c_str(), &end, 16);
  if (*end != '\0') return false;
  out = static_cast<std::uint32_t>(v);
  return true;
}

}  // namespace

TSkinColors ParseSkinIni(const std::string& text, TSkinColors c) {
  const std::map<std::string, std::uint32_t*> keys = {
      {"caption.color", &c.caption}, {"caption.text", &c.captionText},
      {"panel.color", &c.panel},     {"panel.frame", &c.frame},
      {"tab.color", &c.tab},         {"tab.text", &c.tabText},
      {"listbox.color", &c.listbox}, {"listbox.text", &c.listboxText},
      {"edit.color", &c.edit},       {"edit.text", &c.editText},
      {"button.text", &c.buttonText}, {"button.disabledtext", &c.buttonDisabledText},
      {"gauge.color", &c.gauge}};
  LineSplitter splitter;
  splitter.Feed(text);
  std::string section;
  for (const std::string& raw : splitter.Finish()) {
    std::string line = Trim(raw);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = Lower(Trim(line.substr(1, line.size() - 2)));
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    auto it = keys.find(section + "." + Lower(Trim(line.substr(0, eq))));
    std::uint32_t colour;
    if (it != keys.end() && ParseColour(Trim(line.substr(eq + 1)), colour)) *it->second = colour;
  }
  return c;
}

std::string ProgramFolderOf(const std::string& programPath) {
  size_t cut = programPath.find_last_of("\\:");
  std::string folder = cut == std::string::npos ? std::string() : programPath.substr(0, cut + 1);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace lmr
