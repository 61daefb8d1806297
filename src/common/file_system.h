#pragma once
// File-system calls the utilities and stages need. Paths are windows-1251
// byte strings; on Windows they reach the system through the W APIs.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace lmr {

constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kAttrHidden = 0x02;
constexpr std::uint32_t kAttrSystem = 0x04;
constexpr std::uint32_t kAttrDirectory = 0x10;
constexpr std::uint32_t kAttrArchive = 0x20;
constexpr std::uint32_t kAttrNormal = 0x80;

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Reads the whole file in pieces of bounded size; the callback returns false
// to stop early. False when the file cannot be opened or a read fails.
bool ReadFileInPieces(const std::string& path,
                      const std::function<bool(std::string_view)>& onPiece);

// Enumerates "<folder>*.*" (folder ends with a separator) with every kind of
// entry, "." and ".." included as the system gives them. False when the
// folder cannot be enumerated.
bool EnumerateFolder(const std::string& folder,
                     const std::function<void(const std::string& name, std::uint32_t attributes)>& onEntry);

}  // namespace lmr
