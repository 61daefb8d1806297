#pragma once
// Reading one value of a Windows profile (INI) file the way
// GetPrivateProfileString does with a 2048-character buffer. Texts are
// windows-1251 bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace lmr {

constexpr std::size_t kProfileBufferChars = 2048;

// The value of `key` in `section`, or `defaultValue` when the file, the
// section, the key or its '=' is missing. On Windows the system call answers;
// elsewhere ReadProfileStringPortable.
std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue);

// The same rules without the system: the file is streamed, so memory stays
// bounded however long the file or its lines are.
std::string ReadProfileStringPortable(const std::string& file, const std::string& section,
                                      const std::string& key, const std::string& defaultValue);

// The streaming core of the portable reader, fed the file's bytes in pieces.
class ProfileLookup {
 public:
  ProfileLookup(std::string_view section, std::string_view key);
  // False once the answer is known; later pieces are not needed.
  bool Feed(std::string_view piece);
  // The answer for the bytes fed so far, the default standing in when the key has no value.
  std::string Finish(std::string_view defaultValue);

 private:
  // A value as the system keeps it: its first bytes, its length up to the
  // first zero byte, and its last character.
  struct Value {
    std::string head;
    std::size_t length = 0;
    char last = 0;
  };

  void Byte(char c);
  // One byte of a UTF-16 file; each little-endian code unit goes on as its windows-1251 byte.
  void Unit(char c);
  void EndLine();
  static std::string Copy(const Value& v);

  std::string section_;
  std::string key_;
  bool done_ = false;
  bool found_ = false;
  bool hasValue_ = false;
  Value result_;
  bool inSection_ = false;
  bool sectionPassed_ = false;
  bool bomChecked_ = false;
  std::string bomProbe_;
  bool utf16_ = false;
  bool unitStarted_ = false;
  char unitLow_ = 0;

  // State of the current line; positions count from its first non-blank byte.
  bool started_ = false;
  std::size_t pos_ = 0;
  bool bracket_ = false;
  std::size_t bracketEnd_ = std::string::npos;
  std::size_t sectionNul_ = std::string::npos;
  std::size_t sectionStart_ = std::string::npos;
  std::size_t sectionEnd_ = 0;
  std::size_t sectionLastNonBlank_ = 0;
  std::string sectionHead_;
  bool equals_ = false;
  std::size_t nameNul_ = std::string::npos;
  std::size_t nameEnd_ = 0;
  std::string nameHead_;
  bool keyMatches_ = false;
  bool valueStarted_ = false;
  std::size_t valuePos_ = 0;
  std::size_t valueNul_ = std::string::npos;
  std::size_t valueEnd_ = 0;
  char valueLastNonBlank_ = 0;
  char valueBeforeNul_ = 0;
  Value value_;
};

}  // namespace lmr
