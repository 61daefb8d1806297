#pragma once
// The skin's settings: colours per skin element, read from the "SkinIni"
// text of the skin library ("[element]" sections, "key=RRGGBB" lines, ';'
// comments). Without a skin the window keeps its own frame colours.
#include <cstdint>
#include <string>
#include <vector>

namespace lmr {

// Colours as 0xRRGGBB.
struct TSkinColors {
  std::uint32_t caption = 0x2A639E, captionText = 0xE2EDF1;
  std::uint32_t panel = 0xE2ECF1, frame = 0x2A639E;
  std::uint32_t tab = 0xC4D8E6, tabText = 0x1F3F66;
  std::uint32_t listbox = 0xFFFFFF, listboxText = 0x000000;
  std::uint32_t edit = 0xFFFFFF, editText = 0x000000;
  std::uint32_t buttonText = 0x000000, buttonDisabledText = 0x808080;
  std::uint32_t gauge = 0x2A639E;
};

// Applies the settings text over the given colours; unknown keys and
// malformed lines are ignored, so a damaged skin never stops the wizard.
TSkinColors ParseSkinIni(const std::string& text, TSkinColors colors = TSkinColors());

// The running program's folder with a trailing backslash: the path cut after
// its last backslash, or after the colon of a drive letter if that is later.
std::string ProgramFolderOf(const std::string& programPath);

}  // namespace lmr
