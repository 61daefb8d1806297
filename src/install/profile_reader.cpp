#include "install/profile_reader.h"

#include <algorithm>
#include <stdexcept>

#include "common/file_system.h"
#include "common/text1251.h"

namespace lmr {
namespace {

constexpr auto npos = std::string::npos;

// The system's blanks; ^Z counts too, the no-break space 0xA0 does not.
bool Blank(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u == ' ' || (u >= 0x09 && u <= 0x0D) || u == 0x1A;
}

unsigned char Fold(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDF)) return u + 0x20;
  if (u == 0xA8) return 0xB8;
  return u;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

// The system compares names from which surrounding blanks were removed.
std::string Trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && Blank(s[b])) ++b;
  while (e > b && Blank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

// The default as the system keeps it: up to its first zero byte, trailing spaces removed.
std::string StrippedDefault(std::string_view d) {
  d = d.substr(0, std::min(d.size(), d.find('\0')));
  while (!d.empty() && d.back() == ' ') d.remove_suffix(1);
  return std::string(d);
}

}  // namespace

ProfileLookup::ProfileLookup(std::string_view section, std::string_view key)
    : section_(Trimmed(section)), key_(Trimmed(key)) {
  if (section_.empty() || key_.empty()) throw std::invalid_argument("profile lookup needs a section and a key name");
}

bool ProfileLookup::Feed(std::string_view piece) {
  if (!bomChecked_) {
    // A UTF-8 signature is skipped; the ASCII names behind it read the same.
    const size_t take = std::min(piece.size(), 3 - bomProbe_.size());
    bomProbe_.append(piece.substr(0, take));
    piece.remove_prefix(take);
    if (bomProbe_.size() < 3) return true;
    bomChecked_ = true;
    if (bomProbe_.compare(0, 2, "\xFF\xFE") == 0) {
      // A UTF-16 signature: the system reads the file as UTF-16 text.
      utf16_ = true;
      Unit(bomProbe_[2]);
    } else if (bomProbe_ != "\xEF\xBB\xBF") {
      for (char c : bomProbe_) Byte(c);
    }
  }
  for (char c : piece) {
    if (done_) break;
    if (utf16_) {
      Unit(c);
    } else {
      Byte(c);
    }
  }
  return !done_;
}

void ProfileLookup::Unit(char c) {
  if (!unitStarted_) {
    unitLow_ = c;
    unitStarted_ = true;
    return;
  }
  unitStarted_ = false;
  const char16_t unit =
      static_cast<char16_t>(static_cast<unsigned char>(unitLow_) | (static_cast<unsigned char>(c) << 8));
  Byte(Utf16To1251(std::u16string_view(&unit, 1))[0]);
}

void ProfileLookup::Byte(char c) {
  if (done_) return;
  if (c == '\r' || c == '\n') {
    EndLine();
    return;
  }
  if (!started_) {
    if (Blank(c)) return;
    started_ = true;
    bracket_ = c == '[';
  }
  if (bracket_ && pos_ > 0) {
    // The name between the brackets loses its surrounding blanks.
    if (c == ']') {
      bracketEnd_ = pos_;
      sectionEnd_ = sectionLastNonBlank_;
    }
    if (sectionStart_ == npos && !Blank(c)) sectionStart_ = pos_;
    if (c == '\0' && sectionNul_ == npos) sectionNul_ = pos_;
    if (sectionStart_ != npos && sectionNul_ == npos && sectionHead_.size() <= section_.size()) sectionHead_ += c;
    if (!Blank(c)) sectionLastNonBlank_ = pos_ + 1;
  }
  if (!equals_) {
    if (c == '=') {
      equals_ = true;
      const size_t len = nameNul_ != npos ? nameNul_ : nameEnd_;
      keyMatches_ = inSection_ && len <= nameHead_.size() &&
                    SameName(std::string_view(nameHead_).substr(0, len), key_);
    } else {
      if (c == '\0' && nameNul_ == npos) nameNul_ = pos_;
      if (!Blank(c)) nameEnd_ = pos_ + 1;
      if (nameNul_ == npos && nameHead_.size() <= key_.size()) nameHead_ += c;
    }
  } else if (keyMatches_ && (valueStarted_ || !Blank(c))) {
    valueStarted_ = true;
    if (c == '\0' && valueNul_ == npos) {
      valueNul_ = valuePos_;
    } else if (valueNul_ == npos) {
      if (!Blank(c)) {
        valueEnd_ = valuePos_ + 1;
        valueLastNonBlank_ = c;
      }
      valueBeforeNul_ = c;
      if (value_.head.size() < kProfileBufferChars) value_.head += c;
    }
    ++valuePos_;
  }
  ++pos_;
}

void ProfileLookup::EndLine() {
  if (started_) {
    if (bracket_ && bracketEnd_ != npos) {
      const size_t end = std::min(sectionEnd_, sectionNul_);
      const size_t len = end > sectionStart_ ? end - sectionStart_ : 0;
      const bool match = len <= sectionHead_.size() && SameName(std::string_view(sectionHead_).substr(0, len), section_);
      // Only the first section of the name counts.
      if (inSection_) {
        inSection_ = false;
        done_ = true;
      } else if (match) {
        inSection_ = true;
      }
    } else if (inSection_) {
      bool match = keyMatches_;
      if (!equals_) {
        const size_t len = nameNul_ != npos ? nameNul_ : nameEnd_;
        match = len <= nameHead_.size() && SameName(std::string_view(nameHead_).substr(0, len), key_);
      }
      if (match) {
        found_ = true;
        done_ = true;
        hasValue_ = equals_;
        if (equals_) {
          result_ = value_;
          result_.length = valueNul_ != npos ? valueNul_ : valueEnd_;
          result_.last = valueNul_ != npos ? valueBeforeNul_ : valueLastNonBlank_;
          result_.head.resize(std::min(result_.head.size(), result_.length));
        }
      }
    }
  }
  started_ = false;
  pos_ = 0;
  bracket_ = false;
  bracketEnd_ = npos;
  sectionNul_ = npos;
  sectionStart_ = npos;
  sectionEnd_ = 0;
  sectionLastNonBlank_ = 0;
  sectionHead_.clear();
  equals_ = false;
  nameNul_ = npos;
  nameEnd_ = 0;
  nameHead_.clear();
  keyMatches_ = false;
  valueStarted_ = false;
  valuePos_ = 0;
  valueNul_ = npos;
  valueEnd_ = 0;
  valueLastNonBlank_ = 0;
  valueBeforeNul_ = 0;
  value_ = Value();
}

std::string ProfileLookup::Copy(const Value& v) {
  // One pair of matching quotes goes; the closing one is taken off after the
  // cut whenever the text fits the buffer, as the system does.
  size_t start = 0, length = v.length;
  const bool quote = length >= 2 && (v.head[0] == '"' || v.head[0] == '\'') && v.last == v.head[0];
  if (quote) {
    start = 1;
    length -= 1;
  }
  std::string out = v.head.substr(start, std::min(length, kProfileBufferChars - 1));
  if (quote && kProfileBufferChars >= length && !out.empty()) out.pop_back();
  return out;
}

std::string ProfileLookup::Finish(std::string_view defaultValue) {
  if (!bomChecked_) {
    bomChecked_ = true;
    for (char c : bomProbe_) Byte(c);
  }
  EndLine();
  if (found_ && hasValue_) return Copy(result_);
  Value d;
  d.head = StrippedDefault(defaultValue);
  d.length = d.head.size();
  d.last = d.head.empty() ? 0 : d.head.back();
  return Copy(d);
}

std::string ReadProfileStringPortable(const std::string& file, const std::string& section,
                                      const std::string& key, const std::string& defaultValue) {
  ProfileLookup lookup(section, key);
  // A file that cannot be read counts as an empty one, as for the system.
  if (!ReadFileInPieces(file, [&](std::string_view piece) { return lookup.Feed(piece); }))
    lookup = ProfileLookup(section, key);
  return lookup.Finish(defaultValue);
}

}  // namespace lmr
