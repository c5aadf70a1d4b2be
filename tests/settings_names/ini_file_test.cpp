#include "settings/names/ini_file.h"

#include <gtest/gtest.h>

#include "settings/names/text.h"

namespace quillon {
namespace {

using Lines = std::vector<IniLine>;

TEST(IniParse, ToleratesWhatHandEditedFilesHold) {
  const auto doc = parseIni(
      "0=before any section\n"
      "\xEF\xBB\xBF[B]\r\n"  // a byte-order mark inside the file is no header
      "[Preset A]\r\n"
      "; comment\r\n\r\n"
      "  9 =  Piano 1  \r\n"
      "1=A=B mix\n"
      "words without a separator\n"
      "=no key\n"
      "[broken header\n"
      "\t2\t=\tTabbed\n"
      "[ Spaced ]\n5=five\n");
  ASSERT_EQ(doc.sections().size(), 2u);
  EXPECT_EQ(doc.sections()[0].name(), "Preset A");
  EXPECT_EQ(doc.sections()[0].lines(), (Lines{{"9", "Piano 1"}, {"1", "A=B mix"}, {"2", "Tabbed"}}));
  EXPECT_EQ(doc.section("Spaced")->value("5"), "five");
  EXPECT_NE(parseIni("\xEF\xBB\xBF[First]\n0=a\n").section("First"), nullptr) << "leading byte-order mark";
}

TEST(IniParse, LooksUpByFirstOccurrenceWithoutRegardToCase) {
  const auto doc = parseIni("[S]\nKey=first\nkey=second\n[T]\n[s]\nkey=repeated section\n");
  const IniSection* s = doc.section("s");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->size(), 2u) << "a repeated key is still listed";
  EXPECT_EQ(s->value("KEY"), "first");
  EXPECT_EQ(doc.sections().size(), 2u) << "a repeated section is ignored";
  EXPECT_TRUE(doc.sectionOrEmpty("Missing").empty());
}

TEST(IniParse, ReadsLatin1AndUtf8NamesAlike) {
  const auto doc = parseIni("[N]\n0=Caf\xE9\n1=Caf\xC3\xA9\n2=\xC3\n");
  EXPECT_EQ(doc.section("N")->value("0"), "Caf\xC3\xA9");
  EXPECT_EQ(doc.section("N")->value("1"), "Caf\xC3\xA9");
  EXPECT_EQ(doc.section("N")->value("2"), "\xC3\x83") << "a cut-short sequence is Latin-1";
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_EQ(firstCharacters("\xC3\xA9t\xC3\xA9", 2), "\xC3\xA9t") << "cut by characters, not bytes";
}

TEST(IniParse, LoadsAFileOfSeveralMegabytes) {
  constexpr int Sections = 4000;
  std::string text;
  for (int s = 0; s < Sections; ++s) {
    text += "[Board " + std::to_string(s) + "]\r\n";
    for (int k = 0; k < 128; ++k) text += std::to_string(k) + "=Patch name " + std::to_string(k) + "\r\n";
  }
  ASSERT_GT(text.size(), 8'000'000u);
  const auto doc = parseIni(text);
  ASSERT_EQ(doc.sections().size(), static_cast<std::size_t>(Sections));
  EXPECT_EQ(doc.section("Board 3999")->value("127"), "Patch name 127");
}

TEST(IniInteger, AcceptsOnlyWholeDecimalNumbers) {
  const IniSection s = parseIni("[I]\na=12\nb= -5 \nc=abc\nd=12abc\ne=99999999999\nf=\n").sectionOrEmpty("I");
  EXPECT_EQ(s.integer("a"), 12);
  EXPECT_EQ(s.integer("b"), -5);
  for (const char* bad : {"c", "d", "e", "f", "absent"}) EXPECT_EQ(s.integer(bad), std::nullopt) << bad;
}

IniSection sectionOf(std::string name, const Lines& lines) {
  IniSection s(std::move(name));
  for (const auto& l : lines) s.add(l.key, l.value);
  return s;
}

TEST(IniReplace, ReplacesOneBodyAndKeepsEveryOtherByte) {
  EXPECT_EQ(withSectionReplaced("; names\n[User Bank]\n0=old\n1=older\n\n[Card Bank]\n0=c ; kept\nno separator\n",
                                sectionOf("User Bank", {{"0", "U:1 New"}})),
            "; names\n[User Bank]\n0=U:1 New\n\n[Card Bank]\n0=c ; kept\nno separator\n");
  EXPECT_EQ(withSectionReplaced("\xEF\xBB\xBF[Card Bank]\r\n0=x\r\n[S]\r\n0=y\r\n[s]\r\n",
                                sectionOf("card bank", {{"0", "A"}, {"1", "B"}})),
            "\xEF\xBB\xBF[Card Bank]\r\n0=A\r\n1=B\r\n\r\n[S]\r\n0=y\r\n[s]\r\n");
}

TEST(IniReplace, AppendsAMissingSection) {
  EXPECT_EQ(withSectionReplaced("[A]\n1=a", sectionOf("B", {{"0", "b"}})), "[A]\n1=a\n\n[B]\n0=b\n");
  EXPECT_EQ(withSectionReplaced("", sectionOf("B", {{"0", "b"}})), "[B]\n0=b\n");
  EXPECT_EQ(withSectionReplaced("[B]", sectionOf("B", {{"0", "b"}})), "[B]\n0=b\n");
}

}  // namespace
}  // namespace quillon
