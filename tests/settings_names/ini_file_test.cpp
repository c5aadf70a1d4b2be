#include "settings/names/ini_file.h"

#include <gtest/gtest.h>

#include <chrono>

#include "settings/names/text.h"
#include "temp_folder.h"

namespace quillon {
namespace {

using test::readText;
using test::TempFolder;
using test::writeText;

std::vector<IniLine> linesOf(const IniDocument& doc, std::string_view section) {
  const IniSection* s = doc.section(section);
  return s ? s->lines() : std::vector<IniLine>{};
}

TEST(IniParse, KeepsSectionsAndLinesInFileOrder) {
  const auto doc = parseIni("[B]\n9=nine\n1=one\n[A]\n5=five\n");
  ASSERT_EQ(doc.sections().size(), 2u);
  EXPECT_EQ(doc.sections()[0].name(), "B");
  EXPECT_EQ(doc.sections()[1].name(), "A");
  EXPECT_EQ(linesOf(doc, "B"), (std::vector<IniLine>{{"9", "nine"}, {"1", "one"}}));
  EXPECT_EQ(doc.section("A")->value("5"), "five");
}

TEST(IniParse, ToleratesTheUsualIrregularities) {
  const std::string text =
      "\xEF\xBB\xBF[Preset A]\r\n"
      "; a comment line\r\n"
      "\r\n"
      "  0 =  Piano 1  \r\n"
      "1=A=B mix\n"
      "just words without a separator\n"
      "=no key\n"
      "\t2\t=\tTabbed\n";
  const auto doc = parseIni(text);
  ASSERT_NE(doc.section("Preset A"), nullptr) << "the byte-order mark must not hide the first header";
  EXPECT_EQ(linesOf(doc, "Preset A"),
            (std::vector<IniLine>{{"0", "Piano 1"}, {"1", "A=B mix"}, {"2", "Tabbed"}}));
}

TEST(IniParse, IgnoresLinesOutsideSectionsAndBrokenHeaders) {
  const auto doc = parseIni("0=orphan\n[Open\n1=still orphan\n[ Spaced ]\n2=kept\n");
  ASSERT_EQ(doc.sections().size(), 1u);
  EXPECT_EQ(doc.sections()[0].name(), "Spaced");
  EXPECT_EQ(linesOf(doc, "Spaced"), (std::vector<IniLine>{{"2", "kept"}}));
}

TEST(IniParse, FirstOccurrenceWinsForRepeatedSectionsAndKeys) {
  const auto doc = parseIni("[S]\n1=first\n1=second\n[T]\n[s]\n1=other section\n");
  const IniSection* s = doc.section("S");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->size(), 2u) << "a repeated key is still listed";
  EXPECT_EQ(s->value("1"), "first");
  EXPECT_EQ(doc.sections().size(), 2u) << "the repeated section [s] is not added";
}

TEST(IniParse, LooksUpSectionsAndKeysWithoutRegardToCase) {
  const auto doc = parseIni("[Expansionboards]\nMaxPatch=7\n");
  ASSERT_NE(doc.section("EXPANSIONBOARDS"), nullptr);
  EXPECT_EQ(doc.section("expansionboards")->value("maxpatch"), "7");
  EXPECT_EQ(doc.section("Missing"), nullptr);
  EXPECT_TRUE(doc.sectionOrEmpty("Missing").empty());
}

TEST(IniParse, ReadsLatin1AndUtf8NamesAlike) {
  const auto doc = parseIni("[N]\n0=Caf\xE9 Noir\n1=Caf\xC3\xA9 Noir\n2=\xFF\x80\n");
  const IniSection* s = doc.section("N");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->value("0"), "Caf\xC3\xA9 Noir");
  EXPECT_EQ(s->value("1"), "Caf\xC3\xA9 Noir");
  EXPECT_EQ(s->value("2"), "\xC3\xBF\xC2\x80") << "bytes that are no UTF-8 are read as Latin-1";
}

TEST(IniParse, LoadsAFileOfSeveralMegabytes) {
  std::string text;
  constexpr int Sections = 4000;
  constexpr int LinesPerSection = 128;
  for (int s = 0; s < Sections; ++s) {
    text += "[Board " + std::to_string(s) + "]\r\n";
    for (int k = 0; k < LinesPerSection; ++k) text += std::to_string(k) + "=Patch name " + std::to_string(k) + "\r\n";
  }
  ASSERT_GT(text.size(), 8'000'000u);
  const auto started = std::chrono::steady_clock::now();
  const auto doc = parseIni(text);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ASSERT_EQ(doc.sections().size(), static_cast<std::size_t>(Sections));
  EXPECT_EQ(doc.section("Board 3999")->value("127"), "Patch name 127");
  EXPECT_LT(seconds, 20.0) << "parsing must stay linear in the file size";
}

TEST(IniInteger, AcceptsOnlyWholeDecimalNumbers) {
  const auto doc = parseIni("[I]\na=12\nb= -5 \nc=abc\nd=12abc\ne=99999999999\nf=\n");
  const IniSection& s = *doc.section("I");
  EXPECT_EQ(s.integer("a"), 12);
  EXPECT_EQ(s.integer("b"), -5);
  EXPECT_EQ(s.integer("c"), std::nullopt);
  EXPECT_EQ(s.integer("d"), std::nullopt);
  EXPECT_EQ(s.integer("e"), std::nullopt);
  EXPECT_EQ(s.integer("f"), std::nullopt);
  EXPECT_EQ(s.integer("absent"), std::nullopt);
}

TEST(IniSectionWithout, DropsEveryLineOfTheKeyAndKeepsTheRest) {
  const auto doc = parseIni("[B]\nMaxPatch=3\n0=a\nmaxpatch=4\n1=b\n");
  const IniSection rest = doc.section("B")->without("MaxPatch");
  EXPECT_EQ(rest.lines(), (std::vector<IniLine>{{"0", "a"}, {"1", "b"}}));
  EXPECT_EQ(rest.value("1"), "b");
}

IniSection sectionOf(std::string name, std::vector<IniLine> lines) {
  IniSection s(std::move(name));
  for (auto& l : lines) s.add(l.key, l.value);
  return s;
}

TEST(IniReplace, ReplacesOneBodyAndKeepsEveryOtherByte) {
  const std::string before = "; names\n[User Bank]\n0=old\n1=older\n\n[Card Bank]\n0=card ; kept\nno separator\n";
  const std::string after = withSectionReplaced(before, sectionOf("User Bank", {{"0", "U:1 New"}}));
  EXPECT_EQ(after, "; names\n[User Bank]\n0=U:1 New\n\n[Card Bank]\n0=card ; kept\nno separator\n");
}

TEST(IniReplace, KeepsTheFilesLineBreaksAndByteOrderMark) {
  const std::string before = "\xEF\xBB\xBF[Card Bank]\r\n0=x\r\n[User Bank]\r\n0=y\r\n";
  const std::string after = withSectionReplaced(before, sectionOf("card bank", {{"0", "R:1 A"}, {"1", "R:2 B"}}));
  EXPECT_EQ(after, "\xEF\xBB\xBF[Card Bank]\r\n0=R:1 A\r\n1=R:2 B\r\n\r\n[User Bank]\r\n0=y\r\n");
}

TEST(IniReplace, AppendsAMissingSectionAfterTheOthers) {
  EXPECT_EQ(withSectionReplaced("[A]\n1=a", sectionOf("B", {{"0", "b"}})), "[A]\n1=a\n\n[B]\n0=b\n");
  EXPECT_EQ(withSectionReplaced("", sectionOf("B", {{"0", "b"}})), "[B]\n0=b\n");
  EXPECT_EQ(withSectionReplaced("[B]", sectionOf("B", {{"0", "b"}})), "[B]\n0=b\n");
}

TEST(IniReplace, ReplacesOnlyTheFirstOfRepeatedSections) {
  const std::string after = withSectionReplaced("[S]\n0=a\n[S]\n0=b\n", sectionOf("S", {{"0", "new"}}));
  EXPECT_EQ(after, "[S]\n0=new\n\n[S]\n0=b\n");
  EXPECT_EQ(parseIni(after).section("S")->value("0"), "new");
}

TEST(IniWriteSection, CreatesAMissingFile) {
  TempFolder folder;
  ASSERT_EQ(writeIniSection(folder / "windpos.ini", sectionOf("windowpos", {{"a", "1"}})), "");
  EXPECT_EQ(readText(folder / "windpos.ini"), "[windowpos]\na=1\n");
}

TEST(IniWriteSection, RewritesTheFileAndLeavesNoTemporaryFileBehind) {
  TempFolder folder;
  writeText(folder / "User.ini", "[User Bank]\n0=x\n[Card Bank]\n0=y\n");
  ASSERT_EQ(writeIniSection(folder / "User.ini", sectionOf("Card Bank", {{"0", "z"}})), "");
  EXPECT_EQ(readText(folder / "User.ini"), "[User Bank]\n0=x\n[Card Bank]\n0=z\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(IniWriteSection, ReportsAFailureAndLeavesWhatWasThere) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "User.ini");
  writeText(folder / "User.ini" / "inside", "keep");
  const std::string error = writeIniSection(folder / "User.ini", sectionOf("User Bank", {}));
  EXPECT_NE(error.find("User.ini"), std::string::npos) << error;
  EXPECT_EQ(readText(folder / "User.ini" / "inside"), "keep");

  const std::string noFolder = writeIniSection(folder / "absent" / "User.ini", sectionOf("User Bank", {}));
  EXPECT_NE(noFolder.find("Cannot write"), std::string::npos) << noFolder;
}

TEST(IniReadFile, MissingOrUnreadableFilesReadEmpty) {
  TempFolder folder;
  EXPECT_TRUE(readIniFile(folder / "absent.ini").sections().empty());
  EXPECT_TRUE(readIniFile(folder.path()).sections().empty());
}

TEST(Text, CutsNamesByCharactersNotBytes) {
  EXPECT_EQ(firstCharacters("16 Orchestral 2 extra", 15), "16 Orchestral 2");
  EXPECT_EQ(firstCharacters("\xC3\xA9t\xC3\xA9", 2), "\xC3\xA9t");
  EXPECT_EQ(firstCharacters("ab", 15), "ab");
}

TEST(Text, RejectsMalformedUtf8) {
  EXPECT_TRUE(isValidUtf8("plain \xE2\x82\xAC"));
  EXPECT_FALSE(isValidUtf8("\xC3"));              // cut short
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
}

}  // namespace
}  // namespace quillon
