#include "shell/step_protocol.h"

#include "common/text1251.h"
#include "common/wait_pumping.h"

namespace lmr {
namespace {

char32_t Lower(unsigned char b) {
  char32_t cp = Cp1251CodePoint(b);
  if (cp >= 'A' && cp <= 'Z') return cp + 32;
  if (cp >= 0x0410 && cp <= 0x042F) return cp + 32;  // А..Я
  if (cp >= 0x0400 && cp <= 0x040F) return cp + 80;  // Ё, Ђ ... Џ
  if (cp == 0x0490) return 0x0491;                   // Ґ
  return cp;
}

}  // namespace

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(static_cast<unsigned char>(a[i])) != Lower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

void ProgressSteps::BeginStep(const std::string& caption) {
  current_ = -1;
  for (int i = 0; i < list_.Count(); ++i) {
    if (SameTextIgnoringCase(list_.Line(i), caption)) {
      current_ = i;
      break;
    }
  }
  ProcessPendingMessages();
}

void ProgressSteps::EndStep() {
  if (current_ >= 0 && current_ < list_.Count()) list_.SetLine(current_, list_.Line(current_) + mark_);
  ProcessPendingMessages();
}

void FillProgressList(ProgressListView& list, const std::vector<std::string>& captions) {
  for (const auto& c : captions) list.Append(c);
}

}  // namespace lmr
