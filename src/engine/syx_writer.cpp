#include "engine/syx_writer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace quillon {

Byte fileAreaFor(const PerformanceStore& store) {
  if (store.FromTemp) return address::AreaTemporary;
  if (store.FromUser) return address::AreaUserPerformance;
  if (store.FromCard) return address::AreaCardPerformance;
  return address::AreaTemporary;
}

Bytes performanceMessages(Byte area, int number, const PerformanceRecord& record, BlockSizes sizes) {
  Bytes out;
  const auto append = [&out](const Bytes& msg) { out.insert(out.end(), msg.begin(), msg.end()); };
  append(buildDT1(roland::FileDeviceByte, address::memoryCommon(area, number),
                  std::span<const Byte>(record.common).first(static_cast<std::size_t>(sizes.commonLength()))));
  for (int p = 0; p < address::PartCount; ++p)
    append(buildDT1(roland::FileDeviceByte, address::memoryPart(area, number, p),
                    std::span<const Byte>(record.parts[p]).first(static_cast<std::size_t>(sizes.partLength()))));
  return out;
}

Bytes tempSyxBytes(const PerformanceStore& store, BlockSizes sizes) {
  return performanceMessages(fileAreaFor(store), 0, store.TempPerformance, sizes);
}

Bytes listSyxBytes(const PerformanceStore& store, BlockSizes sizes) {
  Bytes out;
  const Byte area = fileAreaFor(store);
  const int count = std::clamp(store.PerformanceCount, 0, PerformanceListSize);
  for (int i = 0; i < count; ++i) {
    const Bytes one = performanceMessages(area, i, store.PerformanceList[i], sizes);
    out.insert(out.end(), one.begin(), one.end());
  }
  return out;
}

std::string withSyxExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".syx" ? path : path + ".syx";
}

std::string writeFileAtomically(const std::string& path, std::span<const Byte> bytes) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::random_device rd;
  const fs::path temp = folder / ("." + target.filename().string() + ".tmp" + std::to_string(rd() % 1000000));

  std::FILE* f = std::fopen(temp.string().c_str(), "wb");
  if (!f) return "Cannot write \"" + path + "\": " + std::strerror(errno) + ".";
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const int writeErrno = errno;
  const bool flushed = std::fflush(f) == 0;
  const bool closed = std::fclose(f) == 0;
  if (!written || !flushed || !closed) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return "Cannot write \"" + path + "\": " + std::strerror(written ? errno : writeErrno) + ".";
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return "Cannot write \"" + path + "\": " + ec.message() + ".";
  }
  return {};
}

}  // namespace quillon
