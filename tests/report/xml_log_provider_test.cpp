#include "report/xml_log_provider.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <fstream>
#include <vector>

#include "common/text1251.h"
#include "test_support.h"

namespace lmr {
namespace {

// Records each write call separately, to show one write per piece.
class RecordingFile : public ReportFile {
 public:
  explicit RecordingFile(std::vector<std::string>* writes) : writes_(writes) {}
  void Write(const std::string& bytes) override { writes_->push_back(bytes); }

 private:
  std::vector<std::string>* writes_;
};

const char kDecl[] = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>";

TEST(TTavXMLLogProvider, WorkedExampleIsByteExact) {
  const std::string file = "LMRTSWizard.xml";
  {
    TTavXMLLogProvider w(file);
    EXPECT_EQ(w.OpenNode("SystemInfo"), 0);
    w.WriteValue("Time", Utf8To1251("9.12 2026г 14:5:7:31"));
    EXPECT_EQ(w.OpenNode("HardDrives"), 1);
    EXPECT_EQ(w.OpenNode("Drive0"), 2);
    w.WriteValue("Name", "C:\\");
    w.WriteValue("InfoEx", "a  <b> & c");
    w.CloseNode(1);
    w.CloseNode(0);
  }
  const std::string expected = std::string(kDecl) + "\n\r<LMRTSWizard.xml>\n\r" +
                               "<SystemInfo><Time>9.12 2026\xE3 14:5:7:31</Time>\r\n" +
                               "<HardDrives><Drive0><Name>C:&#0092;</Name>\r\n" +
                               "<InfoEx>a &lt;b&gt; &#0038; c</InfoEx>\r\n" +
                               "</Drive0></HardDrives></SystemInfo></LMRTSWizard.xml>";
  EXPECT_EQ(test::ReadAll(file), expected);
}

TEST(TTavXMLLogProvider, OlderReportIsReplacedAndOpenElementsStayOpen) {
  const std::string file = "Header.xml";
  test::WriteAll(file, std::string(5000, 'x'));
  {
    TTavXMLLogProvider w(file);
    w.OpenNode("Open");  // left open: destruction does not close it
  }
  EXPECT_EQ(test::ReadAll(file), std::string(kDecl) + "\n\r<Header.xml>\n\r<Open></Header.xml>");
}

TEST(TTavXMLLogProvider, OnePieceOneWriteAndStackRules) {
  std::vector<std::string> writes;
  {
    TTavXMLLogProvider w(std::make_unique<RecordingFile>(&writes), "dir\\R.xml");
    EXPECT_EQ(w.OpenNode(""), 0);  // writes nothing
    w.WriteValue("", "lost");
    EXPECT_EQ(w.OpenNode("A"), 0);
    EXPECT_EQ(w.OpenNode("B"), 1);
    EXPECT_EQ(w.OpenNode("C"), 2);
    w.CloseNode(3);   // outside the stack
    w.CloseNode(-1);  // outside the stack
    w.WriteValue("Empty", "");
    w.CloseNode(1);  // closes C then B
    EXPECT_EQ(w.OpenNode("D"), 1);
    w.CloseNode(0);
  }
  const std::vector<std::string> expected = {
      std::string(kDecl) + "\n\r<R.xml>\n\r", "<A>", "<B>", "<C>", "<Empty></Empty>\r\n",
      "</C>", "</B>", "<D>", "</D>", "</A>", "</R.xml>"};
  EXPECT_EQ(writes, expected);
}

TEST(TTavXMLLogProvider, NamesThatAreNotXmlNamesAreMended) {
  std::vector<std::string> writes;
  {
    TTavXMLLogProvider w(std::make_unique<RecordingFile>(&writes), "My Wizard.xml");
    int i = w.OpenNode("Exist_a<b");
    w.WriteValue("a<b_Connected", "Yes");
    w.CloseNode(i);
  }
  EXPECT_EQ(writes[0], std::string(kDecl) + "\n\r<My_Wizard.xml>\n\r");
  EXPECT_EQ(writes[1], "<Exist_a_b>");
  EXPECT_EQ(writes[2], "<a_b_Connected>Yes</a_b_Connected>\r\n");
  EXPECT_EQ(writes[3], "</Exist_a_b>");
  EXPECT_EQ(writes[4], "</My_Wizard.xml>");
}

TEST(TTavXMLLogProvider, CreationFailureNamesTheFile) {
  const std::string file = "no_such_folder/R.xml";
  try {
    TTavXMLLogProvider w(file);
    FAIL() << "created";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + file);
  }
}

TEST(TTavXMLLogProvider, FileIsHeldWhileTheWriterLives) {
  const std::string file = "Held.xml";
  {
    TTavXMLLogProvider first(file);
    first.WriteValue("Kept", "1");
    EXPECT_THROW(TTavXMLLogProvider second(file), std::runtime_error);
#ifdef _WIN32
    // Share mode 0: not even a reader gets in.
    EXPECT_FALSE(std::ifstream(file, std::ios::binary).is_open());
#endif
  }
  EXPECT_EQ(test::ReadAll(file),
            std::string(kDecl) + "\n\r<Held.xml>\n\r<Kept>1</Kept>\r\n</Held.xml>");
}

// The report must stay well-formed whatever the values hold.
TEST(TTavXMLLogProvider, ReportWithHostileValuesIsWellFormed) {
  const std::string file = "Hostile.xml";
  {
    TTavXMLLogProvider w(file);
    int s = w.OpenNode("Section");
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    w.WriteValue("AllBytes", all);
    w.WriteValue("Markup", "</Section><x a=\"1\">&amp;]]><!--");
    w.WriteValue("Exist_a<b&c", "name from outside");
    w.WriteValue("Cyr", Utf8To1251("Ошибка: нет доступа\r\n"));
    w.CloseNode(s);
  }
#ifndef _WIN32
  // xmllint is a host tool; the Windows build writes the same bytes.
  EXPECT_EQ(std::system(("xmllint --noout " + file).c_str()), 0);
#endif
}

}  // namespace
}  // namespace lmr
