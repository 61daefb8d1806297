#include "engine/registry.h"

#include <cctype>
#include <sstream>
#include <stdexcept>

namespace lmr {

namespace {

std::string FoldAscii(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

const char kRootName[] = "HKEY_LOCAL_MACHINE";

class TMemoryKey : public TRegistryKey {
 public:
  explicit TMemoryKey(std::map<std::string, TRegistryValue> values) : values_(std::move(values)) {}
  std::optional<TRegistryValue> Value(const std::string& name) const override {
    auto it = values_.find(FoldAscii(name));
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }

 private:
  std::map<std::string, TRegistryValue> values_;
};

// The text of a quoted .reg string starting after its opening quote; `end`
// is left after the closing quote.
std::string Unquote(const std::string& line, size_t start, size_t& end) {
  std::string text;
  for (size_t i = start; i < line.size(); ++i) {
    if (line[i] == '"') {
      end = i + 1;
      return text;
    }
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    text += line[i];
  }
  throw std::runtime_error("Unterminated string in registry text: " + line);
}

}  // namespace

TRegistryReader::TRegistryReader(TRegistry& registry, std::string path)
    : path_(std::move(path)), key_(registry.OpenKey(path_, kKeyRead)) {}

bool TRegistryReader::HasValue(const std::string& name) const {
  return key_ && key_->Value(name).has_value();
}

TRegistryValue TRegistryReader::Read(const std::string& name, TRegistryType type, const char* kind) const {
  std::optional<TRegistryValue> value = key_ ? key_->Value(name) : std::nullopt;
  if (!value || value->type != type) {
    throw std::runtime_error(std::string("Registry value \"") + name + "\" of key \"" + kRootName + "\\" +
                             path_ + "\" is not " + kind);
  }
  return *value;
}

std::string TRegistryReader::ReadString(const std::string& name) const {
  return Read(name, TRegistryType::String, "a string").text;
}

std::int32_t TRegistryReader::ReadInteger(const std::string& name) const {
  return static_cast<std::int32_t>(Read(name, TRegistryType::Integer, "a 4-byte integer").number);
}

TMemoryRegistry::Key& TMemoryRegistry::Ensure(const std::string& path) { return keys_[FoldAscii(path)]; }

void TMemoryRegistry::AddKey(const std::string& path, std::uint32_t grantedAccess) {
  Ensure(path).granted = grantedAccess;
}

void TMemoryRegistry::SetString(const std::string& path, const std::string& name, const std::string& text) {
  TRegistryValue value;
  value.type = TRegistryType::String;
  value.text = text;
  Ensure(path).values[FoldAscii(name)] = value;
}

void TMemoryRegistry::SetInteger(const std::string& path, const std::string& name, std::uint32_t number) {
  TRegistryValue value;
  value.type = TRegistryType::Integer;
  value.number = number;
  Ensure(path).values[FoldAscii(name)] = value;
}

void TMemoryRegistry::SetOther(const std::string& path, const std::string& name) {
  Ensure(path).values[FoldAscii(name)] = TRegistryValue{};
}

void TMemoryRegistry::Import(const std::string& regText) {
  const std::string prefix = std::string("[") + kRootName + "\\";
  std::istringstream in(regText);
  std::string line;
  std::string key;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';' || line == "REGEDIT4" ||
        line == "Windows Registry Editor Version 5.00") {
      continue;
    }
    if (line[0] == '[') {
      if (line.compare(0, prefix.size(), prefix) != 0 || line.back() != ']') {
        throw std::runtime_error("Registry text names no key under " + std::string(kRootName) + ": " + line);
      }
      key = line.substr(prefix.size(), line.size() - prefix.size() - 1);
      AddKey(key);
      continue;
    }
    if (key.empty() || line[0] != '"') throw std::runtime_error("Unreadable registry text line: " + line);
    size_t end = 0;
    const std::string name = Unquote(line, 1, end);
    if (end >= line.size() || line[end] != '=') throw std::runtime_error("Unreadable registry text line: " + line);
    const std::string data = line.substr(end + 1);
    if (!data.empty() && data[0] == '"') {
      SetString(key, name, Unquote(data, 1, end));
    } else if (data.compare(0, 6, "dword:") == 0 && data.size() == 14) {
      SetInteger(key, name, static_cast<std::uint32_t>(std::stoul(data.substr(6), nullptr, 16)));
    } else if (data.compare(0, 3, "hex") == 0) {
      SetOther(key, name);
      std::string rest = data;
      while (!rest.empty() && rest.back() == '\\' && std::getline(in, rest)) {
        if (!rest.empty() && rest.back() == '\r') rest.pop_back();
      }
    } else {
      throw std::runtime_error("Unreadable registry text line: " + line);
    }
  }
}

std::unique_ptr<TRegistryKey> TMemoryRegistry::OpenKey(const std::string& path, std::uint32_t access) {
  auto it = keys_.find(FoldAscii(path));
  if (it == keys_.end() || (access & ~it->second.granted) != 0) return nullptr;
  return std::make_unique<TMemoryKey>(it->second.values);
}

}  // namespace lmr
