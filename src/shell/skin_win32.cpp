#include "shell/skin_win32.h"

#include <stdexcept>

#include "common/wide_win32.h"

namespace lmr {
namespace {

std::string ReadResource(HMODULE module, const wchar_t* name, const std::string& path) {
  HRSRC res = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL data = res ? LoadResource(module, res) : nullptr;
  if (!data) throw std::runtime_error("Resource " + Narrow(name) + " not found in " + path);
  return std::string(static_cast<const char*>(LockResource(data)), SizeofResource(module, res));
}

}  // namespace

std::string ProgramFolder() {
  wchar_t path[MAX_PATH] = {0};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return ProgramFolderOf(Narrow(path));
}

TdtmdlLMRSkinData::TdtmdlLMRSkinData(const std::string& programFolder) {
  const std::string path = programFolder + "lmrSysLSR.dll";
  // Data only: nothing of the library runs, and it is needed just for this moment.
  HMODULE module = LoadLibraryExW(Wide(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return;
  std::string picture, settings;
  try {
    picture = ReadResource(module, L"SkinData", path);
    settings = ReadResource(module, L"SkinIni", path);
  } catch (...) {
    FreeLibrary(module);
    throw;
  }
  FreeLibrary(module);
  colors_ = ParseSkinIni(settings);
  loaded_ = true;
  // A bitmap file: the info header follows the 14-byte file header.
  if (picture.size() > 54 && picture.compare(0, 2, "BM") == 0) {
    const auto* info = reinterpret_cast<const BITMAPINFO*>(picture.data() + 14);
    const DWORD offset = *reinterpret_cast<const DWORD*>(picture.data() + 10);
    if (offset < picture.size() && info->bmiHeader.biWidth >= 3) {
      HDC screen = GetDC(nullptr);
      faces_ = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, picture.data() + offset, info, DIB_RGB_COLORS);
      ReleaseDC(nullptr, screen);
      faceWidth_ = info->bmiHeader.biWidth / 3;
      faceHeight_ = info->bmiHeader.biHeight < 0 ? -info->bmiHeader.biHeight : info->bmiHeader.biHeight;
    }
  }
}

TdtmdlLMRSkinData::~TdtmdlLMRSkinData() {
  if (faces_) DeleteObject(faces_);
}

bool TdtmdlLMRSkinData::DrawButtonFace(HDC dc, const RECT& r, int state) const {
  if (!faces_) return false;
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, faces_);
  // The face's one-pixel rim stays one pixel: only the inside is stretched.
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, mem, state * faceWidth_, 0, faceWidth_,
             faceHeight_, SRCCOPY);
  StretchBlt(dc, r.left + 1, r.top + 1, r.right - r.left - 2, r.bottom - r.top - 2, mem, state * faceWidth_ + 1, 1,
             faceWidth_ - 2, faceHeight_ - 2, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  return true;
}

}  // namespace lmr
