#include "shell/skin.h"

#include <gtest/gtest.h>

namespace lmr {
namespace {

TEST(ParseSkinIni, ReadsColoursPerElementAndIgnoresTheRest) {
  const std::string ini =
      "; comment\r\n[Caption]\r\ncolor = 102030\r\nTEXT=abcdef\r\n[listbox]\nbogus=123456\ncolor=zz0000\n"
      "text=0A0B0C\n[button]\ntext=1234567\nno equals sign\n";
  TSkinColors base;
  TSkinColors c = ParseSkinIni(ini, base);
  EXPECT_EQ(c.caption, 0x102030u);
  EXPECT_EQ(c.captionText, 0xABCDEFu);
  EXPECT_EQ(c.listbox, base.listbox);  // not a colour
  EXPECT_EQ(c.listboxText, 0x0A0B0Cu);
  EXPECT_EQ(c.buttonText, base.buttonText);  // seven digits
  EXPECT_EQ(c.panel, base.panel);
  // Garbage is no skin setting at all.
  std::string garbage(300, '\0');
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 37);
  EXPECT_EQ(ParseSkinIni(garbage, base).caption, base.caption);
}

TEST(ProgramFolderOf, CutsAfterTheLastBackslashOrDriveColon) {
  EXPECT_EQ(ProgramFolderOf("D:\\Tools\\wizard.exe"), "D:\\Tools\\");
  EXPECT_EQ(ProgramFolderOf("D:wizard.exe"), "D:\\");
  EXPECT_EQ(ProgramFolderOf("\\\\server\\share\\w.exe"), "\\\\server\\share\\");
  EXPECT_EQ(ProgramFolderOf("wizard.exe"), "\\");
}

}  // namespace
}  // namespace lmr
