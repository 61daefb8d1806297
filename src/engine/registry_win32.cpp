#include <windows.h>

#include <vector>

#include "common/wide_win32.h"
#include "engine/registry.h"

namespace lmr {

namespace {

class TWin32Key : public TRegistryKey {
 public:
  explicit TWin32Key(HKEY key) : key_(key) {}
  ~TWin32Key() override { RegCloseKey(key_); }
  TWin32Key(const TWin32Key&) = delete;
  TWin32Key& operator=(const TWin32Key&) = delete;

  std::optional<TRegistryValue> Value(const std::string& name) const override {
    const std::wstring wideName = Wide(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    // Room for a terminator the stored string may lack.
    std::vector<BYTE> data(size + sizeof(wchar_t), 0);
    if (RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    TRegistryValue value;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      value.type = TRegistryType::String;
      std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
      while (!text.empty() && text.back() == L'\0') text.pop_back();
      value.text = Narrow(text);
    } else if (type == REG_DWORD && size == sizeof(DWORD)) {
      value.type = TRegistryType::Integer;
      value.number = *reinterpret_cast<const DWORD*>(data.data());
    }
    return value;
  }

 private:
  HKEY key_;
};

class TWin32Registry : public TRegistry {
 public:
  // Without KEY_WOW64_64KEY a 32-bit process on 64-bit Windows sees the
  // 32-bit view (Wow6432Node). That is where the 32-bit SQL Server 2000
  // engine registers, so the view is kept deliberately.
  std::unique_ptr<TRegistryKey> OpenKey(const std::string& path, std::uint32_t access) override {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), 0, access, &key) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<TWin32Key>(key);
  }
};

}  // namespace

TRegistry& MachineRegistry() {
  static TWin32Registry registry;
  return registry;
}

}  // namespace lmr
