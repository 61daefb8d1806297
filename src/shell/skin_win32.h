#pragma once
// The skin data module: one skin for the whole program, loaded at start-up
// from "lmrSysLSR.dll" beside the exe. Without the library the window draws
// with its own colours and the system's button faces.
#include <windows.h>

#include <string>

#include "shell/skin.h"

namespace lmr {

class TdtmdlLMRSkinData {
 public:
  // Throws when the library loads but lacks "SkinData" or "SkinIni".
  explicit TdtmdlLMRSkinData(const std::string& programFolder);
  ~TdtmdlLMRSkinData();
  TdtmdlLMRSkinData(const TdtmdlLMRSkinData&) = delete;
  TdtmdlLMRSkinData& operator=(const TdtmdlLMRSkinData&) = delete;

  bool Loaded() const { return loaded_; }
  const TSkinColors& Colors() const { return colors_; }
  // Draws a button face: state 0 normal, 1 pressed, 2 disabled. False
  // when there is no skin picture, so the caller draws the system's face.
  bool DrawButtonFace(HDC dc, const RECT& r, int state) const;

 private:
  bool loaded_ = false;
  TSkinColors colors_;
  HBITMAP faces_ = nullptr;
  int faceWidth_ = 0, faceHeight_ = 0;
};

std::string ProgramFolder();

}  // namespace lmr
