#pragma once
// Tricky profile files with the value the system's profile call gives for one
// lookup in each. Run through the portable reader everywhere and through the
// system call on Windows.
#include <cstdint>
#include <string>
#include <vector>

namespace lmr::test {

struct ProfileCase {
  const char* name;
  std::string file;
  std::string section;
  std::string key;
  std::string fallback;
  std::string expected;
};

// Deterministic bytes of every value but the text signatures at the start.
inline std::string Garbage(std::size_t size, std::uint32_t seed) {
  std::string s;
  s.reserve(size);
  for (std::size_t i = 0; i < size; ++i) {
    seed = seed * 1664525u + 1013904223u;
    s += static_cast<char>(seed >> 24);
  }
  s[0] = 'G';
  return s;
}

// ASCII text as UTF-16 little-endian code units, without a signature.
inline std::string Utf16Le(const std::string& ascii) {
  std::string s;
  for (char c : ascii) s += std::string{c, '\0'};
  return s;
}

inline std::vector<ProfileCase> ProfileCases() {
  using std::string;
  const string s = "[S]\r\n";
  return {
      {"plain value", "[Server]\r\nLocateFiles=C:\\Content\r\n", "Server", "LocateFiles", "", "C:\\Content"},
      {"names without regard to case", "[sErVeR]\nlocatefiles=x\n", "Server", "LOCATEFILES", "", "x"},
      {"query names trimmed", s + "K=x\r\n", " S\t", " K ", "", "x"},
      {"absent key gives default", "[Database1]\nSQLAlias=db\n", "Database1", "ServerName", "error", "error"},
      {"absent section gives default", "[Database1]\nServerName=srv\n", "Database4", "ServerName", "Error", "Error"},
      {"empty value is empty", "[Database1]\nSQLAlias=\nServerName=srv\n", "Database1", "SQLAlias", "error", ""},
      {"blank value is empty", s + "K=  \t \r\n", "S", "K", "d", ""},
      {"blanks around lines, names and values", "  [S]  \n\t K \t=\t  C:\\A B  \t\n", "S", "K", "", "C:\\A B"},
      {"ctrl-Z counts as blank", s + "K=\x1av\x1a\r\n", "S", "K", "", "v"},
      {"no-break space is no blank", s + "K=\xA0v\xA0\r\n", "S", "K", "", "\xA0v\xA0"},
      {"double quotes removed", s + "K=\"  quoted  \"\r\n", "S", "K", "", "  quoted  "},
      {"single quotes removed", s + "K='x'\r\n", "S", "K", "", "x"},
      {"quotes inside blanks removed", s + "K=  \"a\"  \r\n", "S", "K", "", "a"},
      {"only one pair of quotes removed", s + "K=\"\"x\"\"\r\n", "S", "K", "", "\"x\""},
      {"mismatched quotes kept", s + "K=\"x'\r\n", "S", "K", "", "\"x'"},
      {"lone quote kept", s + "K=\"\r\n", "S", "K", "", "\""},
      {"empty quotes give empty", s + "K=''\r\n", "S", "K", "d", ""},
      {"quote only at the end kept", s + "K=x\"\r\n", "S", "K", "", "x\""},
      {"equals sign inside value", s + "K=a=b\r\n", "S", "K", "", "a=b"},
      {"blank inside key name", s + "K K = x\r\n", "S", "K K", "", "x"},
      {"semicolon line is no comment to skip but a different key", s + ";K=commented\r\nK=real\r\n", "S", "K", "", "real"},
      {"semicolon key not found by its bare name", s + ";K=commented\r\n", "S", "K", "d", "d"},
      {"semicolon inside value kept", s + "K=val ; note\r\n", "S", "K", "", "val ; note"},
      {"first of duplicate keys wins", s + "K=first\r\nk=second\r\n", "S", "K", "", "first"},
      {"first of duplicate sections wins", "[S]\nK=1\n[T]\nK=t\n[s]\nK=2\n", "S", "K", "", "1"},
      {"later duplicate section not searched", "[S]\nA=1\n[T]\n[S]\nK=second\n", "S", "K", "d", "d"},
      {"line without equals hides a later key", s + "K\r\nK=x\r\n", "S", "K", "d", "d"},
      {"line without equals is skipped", s + "garbage line\r\nK=x\r\n", "S", "K", "", "x"},
      {"key in another section", "[T]\nK=x\n[S]\nJ=y\n", "S", "K", "d", "d"},
      {"key before any section", "K=x\n[S]\nJ=y\n", "S", "K", "d", "d"},
      {"section without closing bracket", "[S\nK=x\n", "S", "K", "d", "d"},
      {"text after closing bracket", "[S] junk\nK=x\n", "S", "K", "", "x"},
      {"last closing bracket ends the name", "[S]x]\nK=x\n", "S]x", "K", "", "x"},
      {"blanks inside brackets", "[ S\t]\nK=x\n", "S", "K", "d", "x"},
      {"blank-only section name", "[  ]\nK=x\n[S]\nK=y\n", "S", "K", "", "y"},
      {"section line with equals sign", "[a=b]\nK=x\n", "a=b", "K", "", "x"},
      {"zero byte ends value", s + string("K=ab\0cd\r\n", 9), "S", "K", "", "ab"},
      {"blank before zero byte kept", s + string("K=ab \0cd \r\n", 11), "S", "K", "", "ab "},
      {"zero byte ends key name", s + string("K\0junk=v\r\n", 10), "S", "K", "", "v"},
      {"zero byte ends section name", string("[S\0x]\nK=v\n", 10), "S", "K", "", "v"},
      {"zero byte right after quote", s + string("K=\"a\"\0b\r\n", 9), "S", "K", "", "a"},
      {"line over 64 KiB before the key", s + "Junk=" + string(70000, 'x') + "\r\nK=after\r\n", "S", "K", "", "after"},
      {"value over 64 KiB cut", s + "K=" + string(70000, 'v') + "\r\n", "S", "K", "", string(2047, 'v')},
      {"value of 2047 kept", s + "K=" + string(2047, 'v'), "S", "K", "", string(2047, 'v')},
      {"value of 2048 cut", s + "K=" + string(2048, 'v'), "S", "K", "", string(2047, 'v')},
      {"quoted value of 2046 unquoted", s + "K=\"" + string(2046, 'a') + "\"", "S", "K", "", string(2046, 'a')},
      {"quoted value over the cut keeps no quote", s + "K=\"" + string(3000, 'a') + "\"", "S", "K", "", string(2047, 'a')},
      {"quoted value whose closing quote lands on the cut", s + "K=\"" + string(2047, 'a') + "\"", "S", "K", "", string(2046, 'a')},
      {"lone CR ends lines", "[S]\rK=cr\rJ=x\r", "S", "K", "", "cr"},
      {"CR and LF mixed", "[T]\n\r[S]\r\r\nA=1\n\rK=mix\n\r", "S", "K", "", "mix"},
      {"CR inside value ends it", s + "K=ab\rcd=x\r\n", "S", "K", "", "ab"},
      {"no line end at file end", "[S]\nK=last", "S", "K", "", "last"},
      {"windows-1251 value unchanged", "[School]\r\nDBName=\xD8\xEA\xEE\xEB\xE0\r\n", "School", "DBName", "Error",
       "\xD8\xEA\xEE\xEB\xE0"},
      {"UTF-8 signature skipped", "\xEF\xBB\xBF[S]\nK=v\n", "S", "K", "", "v"},
      {"UTF-16 file read as UTF-16", "\xFF\xFE" + Utf16Le("[T]\r\nK=t\r\n[s]\r\n k = \"v\" \r\n"), "S", "K", "", "v"},
      {"UTF-16 file with zero units and an odd end",
       "\xFF\xFE" + Utf16Le(string("[S]\nJ=a\0b\nK=x\0y\n", 16)) + "\x01", "S", "K", "", "x"},
      {"UTF-16 garbage gives default", "\xFF\xFE" + Garbage(100000, 3), "S", "K", "d", "d"},
      {"binary garbage gives default", Garbage(200000, 1), "S", "K", "d", "d"},
      {"binary garbage before a section", Garbage(200000, 2) + "\n[S]\nK=after garbage\n", "S", "K", "", "after garbage"},
      {"default trailing spaces removed", s + "J=x\r\n", "S", "K", "dflt  ", "dflt"},
      {"default quotes removed when the file exists", s + "J=x\r\n", "S", "K", "\"q\"", "q"},
      {"empty file gives default", "", "S", "K", "d", "d"},
  };
}

}  // namespace lmr::test
