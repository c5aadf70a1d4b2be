#include "midi/model/virtual_module.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/demo_performances.h"

namespace quillon::jv {
namespace {

constexpr Byte Unit17 = 0x10;

Bytes rq1(const SysexAddress& a, std::uint32_t size, Byte device = Unit17) { return buildRQ1(device, a, size); }

Bytes dt1(const SysexAddress& a, const Bytes& data, Byte device = Unit17) { return buildDT1(device, a, data); }

Bytes onlyAnswer(VirtualModule& m, const Bytes& request) {
  Reply r = m.receive(request);
  EXPECT_EQ(r.outcome, Outcome::Answered);
  EXPECT_EQ(r.answers.size(), 1u);
  return r.answers.empty() ? Bytes{} : r.answers.front();
}

Bytes firstBytes(std::span<const Byte> record, int n) { return Bytes(record.begin(), record.begin() + n); }

TEST(VirtualModuleAnswers, TemporaryCommonIsOneDT1OfTheTypesLength) {
  VirtualModule jv1080(ModuleType::JV1080);
  const Bytes answer = onlyAnswer(jv1080, rq1(address::temporaryCommon(), 0x40));
  EXPECT_EQ(answer, dt1(address::temporaryCommon(), firstBytes(demoPerformance(0).common, 64)));
  EXPECT_EQ(answer.size(), 75u);

  VirtualModule jv2080(ModuleType::JV2080);
  EXPECT_EQ(onlyAnswer(jv2080, rq1(address::temporaryCommon(), 0x44)).size(), 79u);
  EXPECT_EQ(onlyAnswer(jv2080, rq1(address::temporaryPart(15), 0x1A)).size(), 11u + 26u);
}

TEST(VirtualModuleAnswers, SizeIsClippedToTheBlock) {
  VirtualModule m(ModuleType::JV1080);
  // Whole part asked with a size beyond its 19 bytes: 19 come back.
  EXPECT_EQ(onlyAnswer(m, rq1(address::temporaryPart(0), 0x7F)).size(), 11u + 19u);
  // From offset 10h of a 19-byte block only 3 bytes remain.
  const Bytes tail = onlyAnswer(m, rq1(address::temporaryPart(2, 0x10), 10));
  EXPECT_EQ(tail, dt1(address::temporaryPart(2, 0x10), firstBytes(std::span(m.temporary().parts[2]).subspan(0x10), 3)));
  // The EFX re-read of offsets 0Ch..22h comes back from offset 0Ch.
  const Bytes efx = onlyAnswer(m, rq1(address::temporaryCommon(0x0C), 0x17));
  EXPECT_EQ(efx.size(), 11u + 0x17u);
  EXPECT_EQ(efx[roland::PosAddress + 3], 0x0C);
}

TEST(VirtualModuleAnswers, MemoryAndPatchNamesAndSystemSwitches) {
  VirtualModule m;
  const Bytes name = onlyAnswer(m, rq1(address::memoryCommon(address::AreaUserPerformance, 5), 12));
  EXPECT_EQ(std::string(name.begin() + roland::PosData, name.begin() + roland::PosData + 12),
            std::string(demoPerformanceName(5)));

  const Bytes patch = onlyAnswer(m, rq1(address::memoryPatch(address::AreaCardPatch, 127), 12));
  EXPECT_EQ(std::string(patch.begin() + roland::PosData, patch.begin() + roland::PosData + 12),
            demoPatchName(address::AreaCardPatch, 127));

  const Bytes switches = onlyAnswer(m, rq1(address::systemSwitches(), address::SystemSwitchCount));
  EXPECT_EQ(switches, dt1(address::systemSwitches(), Bytes{1, 1, 1}));
}

TEST(VirtualModuleAnswers, BroadcastIsAnsweredWithTheModulesOwnDevice) {
  VirtualModule m(ModuleType::JV1080, 20);
  const Bytes answer = onlyAnswer(m, rq1(address::temporaryCommon(), 12, roland::BroadcastDevice));
  EXPECT_EQ(answer[roland::PosDevice], 0x13);
}

TEST(VirtualModuleStores, Dt1IsReadBack) {
  VirtualModule m;
  // The level of part 1, byte for byte as an editor sends it.
  const Bytes edit{0xF0, 0x41, 0x10, 0x6A, 0x12, 0x01, 0x00, 0x10, 0x06, 0x64, 0x05, 0xF7};
  EXPECT_EQ(m.receive(edit).outcome, Outcome::Stored);
  EXPECT_EQ(m.temporary().parts[0][part::Level], 0x64);
  const Bytes answer = onlyAnswer(m, rq1(address::temporaryPart(0, part::Level), 1));
  EXPECT_EQ(answer, edit);
}

TEST(VirtualModuleStores, BytesPastTheBlockEndAreDropped) {
  VirtualModule m(ModuleType::JV1080);
  PerformanceRecord before = m.performance(address::AreaCardPerformance, 3);
  const Bytes data(30, 0x55);
  EXPECT_EQ(m.receive(dt1(address::memoryPart(address::AreaCardPerformance, 3, 4), data)).outcome, Outcome::Stored);
  const auto& part = m.performance(address::AreaCardPerformance, 3).parts[4];
  EXPECT_EQ(firstBytes(part, 19), Bytes(19, 0x55));
  EXPECT_TRUE(std::equal(part.begin() + 19, part.end(), before.parts[4].begin() + 19));
  EXPECT_EQ(m.performance(address::AreaCardPerformance, 3).parts[5], before.parts[5]);
}

TEST(VirtualModuleIgnores, WrongChecksumModelManufacturerOrDevice) {
  VirtualModule m;
  const PerformanceRecord before = m.temporary();
  Bytes good = dt1(address::temporaryCommon(1), Bytes{0x33});

  Bytes badSum = good;
  badSum[badSum.size() - 2] ^= 1;
  EXPECT_EQ(m.receive(badSum).outcome, Outcome::BadChecksum);
  Bytes otherModel = good;
  otherModel[roland::PosModel] = 0x6B;
  EXPECT_EQ(m.receive(otherModel).outcome, Outcome::NotForUs);
  Bytes otherMaker = good;
  otherMaker[roland::PosManufacturer] = 0x42;
  EXPECT_EQ(m.receive(otherMaker).outcome, Outcome::NotForUs);
  EXPECT_EQ(m.receive(dt1(address::temporaryCommon(1), Bytes{0x33}, 0x11)).outcome, Outcome::NotForUs);
  EXPECT_EQ(m.temporary(), before);

  Bytes rq = rq1(address::temporaryCommon(), 64);
  rq[13] ^= 1;
  EXPECT_EQ(m.receive(rq).outcome, Outcome::BadChecksum);
  EXPECT_EQ(m.receive(rq1(address::temporaryCommon(), 64, 0x1F)).outcome, Outcome::NotForUs);
}

TEST(VirtualModuleIgnores, AddressesOutsideItsMemory) {
  VirtualModule m;
  const std::vector<SysexAddress> unmapped{
      {address::AreaRhythmData, 0, 0, 0},
      address::memoryCommon(address::AreaUserPerformance, address::MemoryPerformanceCount),
      {address::AreaTemporary, 0, 0x20, 0},
      {address::AreaSystem, 0, 1, 0},
      {address::AreaTemporary, 1, 0, 0},
      address::temporaryCommon(64),  // past a 64-byte common block
  };
  for (const auto& a : unmapped) {
    EXPECT_EQ(m.receive(rq1(a, 1)).outcome, Outcome::Unmapped) << int(a.area()) << " " << int(a.block());
    EXPECT_EQ(m.receive(dt1(a, Bytes{1})).outcome, Outcome::Unmapped);
  }
  EXPECT_EQ(m.receive(rq1(address::temporaryCommon(), 0)).outcome, Outcome::Unmapped);
}

TEST(VirtualModuleMemory, StartsWithDistinctDemoData) {
  VirtualModule m;
  std::set<std::string> names;
  for (int i = 0; i < address::MemoryPerformanceCount; ++i)
    names.insert(performanceName(m.performance(address::AreaUserPerformance, i).common));
  EXPECT_EQ(names.size(), static_cast<std::size_t>(address::MemoryPerformanceCount));
  EXPECT_EQ(performanceName(m.performance(address::AreaUserPerformance, 2).common), demoPerformanceName(2));

  std::set<std::string> patches;
  for (int i = 0; i < address::MemoryPatchCount; ++i) {
    patches.insert(demoPatchName(address::AreaUserPatch, i));
    patches.insert(demoPatchName(address::AreaCardPatch, i));
  }
  EXPECT_EQ(patches.size(), 2u * address::MemoryPatchCount);
}

TEST(VirtualModuleMemory, UserBankSurvivesSaveAndLoad) {
  for (ModuleType type : {ModuleType::JV1080, ModuleType::JV2080}) {
    VirtualModule source(type);
    const int common = source.sizes().commonLength();
    source.performance(address::AreaUserPerformance, 31).common[common - 1] = 0x2A;
    source.performance(address::AreaUserPerformance, 17).parts[15][0] = 1;
    const Bytes bank = source.userBankSyx();
    EXPECT_EQ(bank.size(), 32u * (11u + common + 16u * (11u + source.sizes().partLength())));

    VirtualModule target(type);
    target.performance(address::AreaUserPerformance, 31).common.fill(0);
    EXPECT_EQ(target.loadUserBank(bank), 32);
    for (int i = 0; i < address::MemoryPerformanceCount; ++i) {
      const auto& a = source.performance(address::AreaUserPerformance, i);
      const auto& b = target.performance(address::AreaUserPerformance, i);
      EXPECT_EQ(firstBytes(a.common, common), firstBytes(b.common, common)) << i;
      for (int p = 0; p < address::PartCount; ++p)
        EXPECT_EQ(firstBytes(a.parts[p], source.sizes().partLength()),
                  firstBytes(b.parts[p], source.sizes().partLength()));
    }
  }
}

// A panel dump sends what requests would fetch, block after block, under the module's own device byte.
TEST(VirtualModuleDump, EachAreaGoesOutAsTheAnswersToItsBlocks) {
  VirtualModule module(ModuleType::JV2080, 20);
  const auto temp = module.bulkDump(DumpArea::Temporary);
  ASSERT_EQ(temp.size(), 17u);
  for (std::size_t b = 0; b < temp.size(); ++b) {
    const SysexAddress a = b == 0 ? address::temporaryCommon() : address::temporaryPart(static_cast<int>(b - 1));
    EXPECT_EQ(temp[b], module.receive(buildRQ1(deviceByte(20), a, 0x7F)).answers.at(0)) << "block " << b;
  }
  EXPECT_EQ(temp[0].size(), 68u + roland::FrameOverhead);
  Bytes user;
  for (Bytes m : module.bulkDump(DumpArea::User)) {
    m[roland::PosDevice] = roland::FileDeviceByte;  // a bank file is written as from unit 17
    user.insert(user.end(), m.begin(), m.end());
  }
  EXPECT_EQ(user, module.userBankSyx());
  EXPECT_EQ(module.bulkDump(DumpArea::System).size(), 1u);
  EXPECT_EQ(module.bulkDump(DumpArea::Card).size(), 32u * 17u);
}

}  // namespace
}  // namespace quillon::jv
