// Find Module's judgement of what the inputs hear: a module's answer names
// the output, input and unit ID; echoes and other traffic never do.

#include <gtest/gtest.h>

#include "engine/module_search.h"
#include "engine/temp_transfer.h"
#include "midi/model/virtual_module.h"

using namespace quillon;

namespace {

// Three port pairs; on pair 1 a module at unit 23, pair 2 loops back what it is sent.
ModuleSearch searchWithModuleAndLoop() {
  ModuleSearch search({"out A", "out B", "out C"}, {"in A", "in B", "in C"});
  jv::VirtualModule module(ModuleType::JV1080, 23);
  for (const SearchProbe& p : search.probes()) {
    const Bytes request = ModuleSearch::requestFor(p.unitId);
    search.sent(p.output, request, p.unitId);
    if (p.output == 1)
      for (const Bytes& answer : module.receive(request).answers)
        EXPECT_EQ(search.hear(1, answer), ModuleSearch::Heard::Answer);
    if (p.output == 2) EXPECT_EQ(search.hear(2, request), ModuleSearch::Heard::Echo);
  }
  return search;
}

}  // namespace

TEST(ModuleSearch, AnAnswerNamesItsPortsAndUnitIdAndAnEchoIsNoModule) {
  const ModuleSearch search = searchWithModuleAndLoop();
  EXPECT_EQ(search.probes().size(), 3u * module_search::UnitIdCount);
  // Another Quillon's ports are never asked.
  EXPECT_EQ(ModuleSearch({"Quillon-02:in", "Quillon:out", "Quillon virtual module", "Quillons:in"}, {}).probes().size(),
            2u * module_search::UnitIdCount);
  ASSERT_EQ(search.found(), (std::vector<ModuleFound>{{1, 1, 23}}));
  EXPECT_EQ(search.question(search.found()[0]),
            "Module found: out \"out B\", in \"in B\", unit ID 23 \u2014 use these?");
  const std::string report = search.report();
  EXPECT_NE(report.find("In \"in C\": 16 request(s) came back unchanged from out \"out C\""), std::string::npos)
      << report;
}

TEST(ModuleSearch, OnlyRequestsItMadeAreAnsweredAndNoiseIsCounted) {
  ModuleSearch search({"out"}, {"in"}, 0);
  jv::VirtualModule module(ModuleType::JV1080, 30);
  // An answer from a unit not asked yet, another address, a changed byte: no find.
  const Bytes answer = module.receive(ModuleSearch::requestFor(30)).answers.at(0);
  EXPECT_EQ(search.hear(0, answer), ModuleSearch::Heard::OtherSysex);
  search.sent(0, ModuleSearch::requestFor(30), 30);
  Bytes corrupt = answer;
  corrupt[corrupt.size() - 2] ^= 1;
  EXPECT_EQ(search.hear(0, corrupt), ModuleSearch::Heard::OtherSysex);
  for (const Bytes& other : {buildDT1(deviceByte(30), address::temporaryCommon(), Bytes{1}),
                             buildDT1(deviceByte(30), module_search::ProbeAddress, Bytes{1, 2})})
    EXPECT_EQ(search.hear(0, other), ModuleSearch::Heard::OtherSysex);
  // A sequencer's clock and notes, and a request from somewhere else: no find either.
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(search.hear(0, Bytes{0xF8}), ModuleSearch::Heard::ChannelMessage);
  EXPECT_EQ(search.hear(0, ModuleSearch::requestFor(17)), ModuleSearch::Heard::Echo);
  search.sent(0, module_search::IdentityRequest);
  EXPECT_EQ(search.hear(0, Bytes(module_search::IdentityRequest.begin(), module_search::IdentityRequest.end())),
            ModuleSearch::Heard::Echo);
  EXPECT_TRUE(search.found().empty());
  EXPECT_EQ(search.hear(0, Bytes{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x41, 0x6A, 0xF7}), ModuleSearch::Heard::IdentityReply);
  EXPECT_EQ(search.hear(0, answer), ModuleSearch::Heard::Answer);
  const std::string report = search.report();
  for (const char* seen : {"1000 note, controller or clock", "4 other SysEx", "identity reply F0 7E 10 06 02"})
    EXPECT_NE(report.find(seen), std::string::npos) << seen << "\n" << report;
}

TEST(ModuleSearch, TheNoResponseMessageNamesWhatToCheckLikeliestFirst) {
  const std::string text = notRespondingText({19, ModuleType::JV2080, "Synth out", "Synth in"});
  std::size_t at = 0;
  for (const char* part : {transfer_text::NotResponding, "Quillon uses 19", "\"Synth out\"", "\"Synth in\"", "GM mode",
                           "set to JV 2080", "Find Module"}) {
    const std::size_t next = text.find(part, at);
    ASSERT_NE(next, std::string::npos) << part << " missing or out of order in\n" << text;
    at = next;
  }
}
