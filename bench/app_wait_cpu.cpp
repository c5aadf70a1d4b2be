// CPU used by WaitMs(1000) with nothing arriving: target under 1% of the wall
// time, so a long transfer costs nothing while it waits.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <ctime>

#include "midi/event_wait.h"

namespace {
double processCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  constexpr int Rounds = 5;
  constexpr int WaitMs = 1000;
  for (int r = 0; r < Rounds; ++r) {
    QElapsedTimer wall;
    const double cpuBefore = processCpuSeconds();
    wall.start();
    quillon::waitInEventLoop(WaitMs);
    const double cpu = processCpuSeconds() - cpuBefore;
    const double wallSeconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    std::printf("WaitMs(%d): wall %.1f ms, CPU %.3f ms = %.3f%% of wall\n", WaitMs, wallSeconds * 1e3, cpu * 1e3,
                100.0 * cpu / wallSeconds);
  }
  return 0;
}
