#pragma once
// Read access to HKEY_LOCAL_MACHINE for the engine probes. Key paths, value
// names and string values are windows-1251 byte strings.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace lmr {

// The rights every probe asks for. Full access to HKEY_LOCAL_MACHINE is
// refused to any process without elevation on Vista and later, so asking for
// more would report an installed engine as absent.
constexpr std::uint32_t kKeyRead = 0x20019;  // KEY_READ

enum class TRegistryType { String, Integer, Other };

struct TRegistryValue {
  TRegistryType type = TRegistryType::Other;
  std::string text;           // for String
  std::uint32_t number = 0;   // for Integer (a 4-byte registry integer)
};

// One open key; destroying it closes the key.
class TRegistryKey {
 public:
  virtual ~TRegistryKey() = default;
  // The stored value, empty when the key has no value of that name.
  virtual std::optional<TRegistryValue> Value(const std::string& name) const = 0;
};

// The HKEY_LOCAL_MACHINE root.
class TRegistry {
 public:
  virtual ~TRegistry() = default;
  // Opens an existing key, never creating it; null when it is absent or the
  // rights asked for are not granted.
  virtual std::unique_ptr<TRegistryKey> OpenKey(const std::string& path, std::uint32_t access) = 0;
};

// A key opened for reading by a probe, with typed reads that raise
// std::runtime_error, naming the key and the value, when the value is stored
// with another registry type.
class TRegistryReader {
 public:
  TRegistryReader(TRegistry& registry, std::string path);
  bool IsOpen() const { return key_ != nullptr; }
  bool HasValue(const std::string& name) const;
  std::string ReadString(const std::string& name) const;
  std::int32_t ReadInteger(const std::string& name) const;

 private:
  TRegistryValue Read(const std::string& name, TRegistryType type, const char* kind) const;
  std::string path_;
  std::unique_ptr<TRegistryKey> key_;
};

// An in-memory registry: the native build's machine (which has no engine)
// and the tests' fixtures.
class TMemoryRegistry : public TRegistry {
 public:
  // Adds the key (and keeps its values) with the rights it grants to an opener.
  void AddKey(const std::string& path, std::uint32_t grantedAccess = 0xFFFFFFFFu);
  void SetString(const std::string& path, const std::string& name, const std::string& text);
  void SetInteger(const std::string& path, const std::string& name, std::uint32_t number);
  void SetOther(const std::string& path, const std::string& name);

  // Adds the keys and values of a .reg file's text (REGEDIT4 form, keys
  // under HKEY_LOCAL_MACHINE): "name"="text", "name"=dword:hex, and any
  // hex form as a value of another type. Raises std::runtime_error on a
  // line it cannot read.
  void Import(const std::string& regText);

  std::unique_ptr<TRegistryKey> OpenKey(const std::string& path, std::uint32_t access) override;

 private:
  struct Key {
    std::uint32_t granted = 0xFFFFFFFFu;
    std::map<std::string, TRegistryValue> values;
  };
  Key& Ensure(const std::string& path);
  std::map<std::string, Key> keys_;  // by case-folded path, as Windows matches them
};

// The registry of the machine the program runs on. On Windows a 32-bit
// build reads the 32-bit view; elsewhere it is an empty registry.
TRegistry& MachineRegistry();

}  // namespace lmr
