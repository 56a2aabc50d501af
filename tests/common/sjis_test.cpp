#include "common/sjis.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kumoito {
namespace {

// "本調子" and the ideographic blank in CP932.
const std::string kHonchoshi = "\x96\x7B\x92\xB2\x8E\x71";
const std::string kWideBlank = "\x81\x40";

TEST(Sjis, TrimmedLengthDropsBothBlanksButNotTrailBytes) {
  EXPECT_EQ(SjisTrimmedLength("abc  "), 3u);
  EXPECT_EQ(SjisTrimmedLength(kHonchoshi + kWideBlank + " " + kWideBlank), 6u);
  EXPECT_EQ(SjisTrimmedLength("   "), 0u);
  EXPECT_EQ(SjisTrimmedLength(""), 0u);
  // 0x82 0x40 is not a blank even though its trail byte is '@' (0x40), and
  // 0x81 0x20 is a lead byte with a blank-looking trail byte.
  EXPECT_EQ(SjisTrimmedLength("a\x82\x40"), 3u);
  EXPECT_EQ(SjisTrimmedLength("a\x81\x20"), 3u);
}

TEST(Sjis, SetFieldTextNeverSplitsACharacterAndAlwaysTerminates) {
  char field[8];
  std::memset(field, 'x', sizeof field);
  SetFieldText(field, "abcdefghij");
  EXPECT_STREQ(field, "abcdefg");
  // Six ASCII bytes then a two-byte character would need 8 bytes plus NUL.
  SetFieldText(field, "abcdef" + kWideBlank);
  EXPECT_STREQ(field, "abcdef");
  SetFieldText(field, kHonchoshi);
  EXPECT_EQ(std::string(field), kHonchoshi);
}

TEST(Sjis, FieldTextStopsAtTheEndOfAnUnterminatedField) {
  char field[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(FieldText(field), "abcd");
}

TEST(Sjis, ConvertsBothWays) {
  EXPECT_EQ(Cp932ToUtf8(kHonchoshi), std::optional<std::string>("本調子"));
  EXPECT_EQ(Utf8ToCp932("本調子"), std::optional<std::string>(kHonchoshi));
  EXPECT_EQ(Cp932ToUtf8("\x81"), std::nullopt);  // a lead byte without its trail byte
}

TEST(Sjis, LenientConversionsReplaceOnlyTheCharactersWithoutCounterpart) {
  EXPECT_EQ(Cp932ToUtf8Lenient(kHonchoshi), "本調子");
  // 0x85 0x40 is an unassigned two-byte code: one replacement, the rest kept.
  EXPECT_EQ(Cp932ToUtf8Lenient("a\x85\x40" + kHonchoshi), "a\xEF\xBF\xBD本調子");
  EXPECT_EQ(Utf8ToCp932Lenient("本調子"), kHonchoshi);
  // An emoji has no CP932 form; a stray continuation byte is not UTF-8.
  EXPECT_EQ(Utf8ToCp932Lenient("a\xF0\x9F\x8E\xB5"
                               "b\x80"
                               "本調子"),
            "a?b?" + kHonchoshi);
}

}  // namespace
}  // namespace kumoito
