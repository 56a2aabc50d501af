#include "common/ui_text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kumoito {
namespace {

std::string FakeEnglish(const char* japanese) {
  if (std::strcmp(japanese, "終了") == 0) {
    return "Quit";
  }
  if (std::strcmp(japanese, "小節 %1 の音") == 0) {
    return "Notes of measure %1";
  }
  return japanese;
}

class InstalledTranslator {
 public:
  explicit InstalledTranslator(UiTranslator translator) : m_previous(SetUiTranslator(translator)) {}
  ~InstalledTranslator() { SetUiTranslator(m_previous); }

 private:
  UiTranslator m_previous;
};

TEST(UiText, StaysJapaneseUntilALookupIsInstalledAndAfterItGoes) {
  EXPECT_EQ(Ui::Tr("終了"), "終了");
  {
    InstalledTranslator english(FakeEnglish);
    EXPECT_EQ(Ui::Tr("終了"), "Quit");
    // A table entry is looked up where it is shown.
    constexpr const char* kEntry = Ui::Mark("終了");
    EXPECT_STREQ(kEntry, "終了");
    EXPECT_EQ(Ui::Translate(kEntry), "Quit");
    EXPECT_EQ(Ui::Translate(std::string_view("終了です").substr(0, 6)), "Quit");
    EXPECT_EQ(Ui::Translate("未訳"), "未訳");
    EXPECT_EQ(Ui::Translate(""), "");
  }
  EXPECT_EQ(Ui::Tr("終了"), "終了");
}

TEST(UiText, FormatPutsArgumentsWhereTheTranslationWantsThem) {
  InstalledTranslator english(FakeEnglish);
  EXPECT_EQ(Ui::Format(Ui::Tr("小節 %1 の音"), {"12"}), "Notes of measure 12");
  EXPECT_EQ(Ui::Format("%2 then %1", {"a", "b"}), "b then a");
  // A placeholder without an argument, a lone or final percent stay as written.
  EXPECT_EQ(Ui::Format("%1 %3 100% %", {"x"}), "x %3 100% %");
  EXPECT_EQ(Ui::Format("%1%1", {"%1"}), "%1%1");
}

}  // namespace
}  // namespace kumoito
