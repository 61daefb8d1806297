#include "report/xml_text.h"

#include <gtest/gtest.h>

#include "common/text1251.h"

namespace lmr {
namespace {

struct EscapeCase {
  const char* in;
  const char* out;
};

TEST(XMLEscape, ReplacesInOrderWithoutReexamining) {
  const EscapeCase cases[] = {
      {"a<b>c", "a&lt;b&gt;c"},
      {"&lt;", "&#0038;lt;"},
      {"C:\\", "C:&#0092;"},
      {"a  <b> & c", "a &lt;b&gt; &#0038; c"},
      {"a   b", "a  b"},   // three blanks keep two: one pass
      {"a    b", "a  b"},  // four blanks give two
      {"\"q\" 'a'\tline\r\n", "\"q\" 'a'\tline\r\n"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(XMLEscape(c.in), c.out) << c.in;
}

TEST(XMLEscape, ControlBytesThatXmlForbidsBecomeQuestionMarks) {
  EXPECT_EQ(XMLEscape(std::string("a\x01" "b\x1f" "c\x98", 6)), "a?b?c?");
  EXPECT_EQ(XMLEscape(std::string("x\0y", 3)), "x?y");
}

TEST(XMLTagAndElement, BuildTheExactBytes) {
  EXPECT_EQ(XMLTag(false, "Name"), "<Name>");
  EXPECT_EQ(XMLTag(true, "Name"), "</Name>");
  EXPECT_EQ(XMLTag(false, ""), "");
  EXPECT_EQ(XMLElement("C:\\", "Name", true), "<Name>C:&#0092;</Name>\r\n");
  EXPECT_EQ(XMLElement("", "Name", false), "<Name></Name>");
  EXPECT_EQ(XMLElement("value", "", true), "");
}

TEST(XmlName, ValidNamesPassAndOthersAreMendedMinimally) {
  const EscapeCase cases[] = {
      {"LMRTSWizard.xml", "LMRTSWizard.xml"},
      {"Exist_Lumaro-2", "Exist_Lumaro-2"},
      {"My Wizard.xml", "My_Wizard.xml"},
      {"a<b", "a_b"},
      {"a&b\"c'd", "a_b_c_d"},
      {"1st", "_1st"},
      {"-x", "_-x"},
      {"<x", "_x"},
  };
  for (const auto& c : cases) EXPECT_EQ(XmlName(c.in), c.out) << c.in;
  const std::string cyr = Utf8To1251("Люмаро_База");
  EXPECT_EQ(XmlName(cyr), cyr);
  EXPECT_EQ(XmlName(Utf8To1251("а«б")), Utf8To1251("а_б"));
}

}  // namespace
}  // namespace lmr
