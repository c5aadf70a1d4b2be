#include "engine/slider_texts.h"

#include <gtest/gtest.h>

#include <set>

using namespace quillon::texts;

TEST(NoteNames, FollowPitchAndOctaveFromCMinusOne) {
  EXPECT_EQ(NoteNames()[0], "C-1");
  EXPECT_EQ(NoteNames()[1], "C#-1");
  EXPECT_EQ(NoteNames()[11], "B-1");
  EXPECT_EQ(NoteNames()[12], "C0");
  EXPECT_EQ(NoteNames()[61], "C#4");
  EXPECT_EQ(NoteNames()[69], "A4");
  EXPECT_EQ(NoteNames()[119], "B8");
  EXPECT_EQ(NoteNames()[127], "G9");
}

TEST(NoteNames, OnlyMiddleCIsMarkedWithHyphens) {
  EXPECT_EQ(NoteNames()[60], "-C4-");
  EXPECT_EQ(NoteNames()[48], "C3");
  EXPECT_EQ(NoteNames()[72], "C5");
  for (int n = 0; n < MidiNoteCount; ++n) {
    if (n == MiddleC) continue;
    EXPECT_NE(NoteNames()[static_cast<std::size_t>(n)].front(), '-') << "note " << n;
  }
}

TEST(NoteNames, AreAllDistinct) {
  const std::set<std::string> distinct(NoteNames().begin(), NoteNames().end());
  EXPECT_EQ(distinct.size(), static_cast<std::size_t>(MidiNoteCount));
}

TEST(NoteNames, LookupOutsideTheTableGivesAQuestionMark) {
  EXPECT_EQ(noteName(-1), "?");
  EXPECT_EQ(noteName(128), "?");
  EXPECT_EQ(noteName(65), "F4");
}

TEST(HFDampTexts, MatchTheModuleValues) {
  ASSERT_EQ(HFDampTexts.size(), 18u);
  EXPECT_EQ(HFDampTexts[0], "  200 Hz");
  EXPECT_EQ(HFDampTexts[6], "  800 Hz");
  EXPECT_EQ(HFDampTexts[7], " 1000 Hz");
  EXPECT_EQ(HFDampTexts[12], " 3150 Hz");
  EXPECT_EQ(HFDampTexts[16], " 8000 Hz");
  EXPECT_EQ(HFDampTexts[17], " BYPASS ");
}

TEST(HFDampTexts, AreEightCharactersWide) {
  for (std::string_view text : HFDampTexts) EXPECT_EQ(text.size(), 8u) << '"' << text << '"';
}
