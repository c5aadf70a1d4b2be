// RQ1 -> complete DT1 answer through quillon-jvsim over JACK, measured at the
// port classes: from SendLongMessage to the OnMidiInput handler taking the
// answer. Target: within two JACK periods. Prints median and p99.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "jvsim_process.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  using namespace quillon;
  constexpr int Rounds = 500;
  if (!testing::jackServerRunning()) {
    std::fprintf(stderr, "no JACK server running: start one with jackd -d dummy\n");
    return 1;
  }
  jack_client_t* probe = jack_client_open("quillon-bench-probe", JackNoStartServer, nullptr);
  const double periodMs = 1000.0 * jack_get_buffer_size(probe) / jack_get_sample_rate(probe);
  jack_client_close(probe);

  testing::JvsimProcess jvsim;
  std::string error;
  if (!jvsim.start(QUILLON_JVSIM_PATH, {}, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  testing::JvsimLink link;
  if (!link.connect(jvsim, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const Bytes request = buildRQ1(0x10, address::temporaryCommon(), 0x40);
  QEventLoop loop;
  bool answered = false;
  QObject::connect(&link.in, &MidiInputPort::OnMidiInput, [&] {
    while (auto e = link.in.TakeEvent())
      if (e->SysexSize > 0 && e->SysexData.back() == midi_byte::SysexEnd) answered = true;
    if (answered) loop.quit();
  });
  QTimer timeout;  // one timer, so an old round's timeout cannot end a later round
  timeout.setSingleShot(true);
  QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
  const auto roundTrip = [&]() -> double {
    answered = false;
    const auto start = std::chrono::steady_clock::now();
    link.out.SendLongMessage(request);
    timeout.start(1000);
    if (!answered) loop.exec();
    timeout.stop();
    const auto end = std::chrono::steady_clock::now();
    return answered ? std::chrono::duration<double, std::milli>(end - start).count() : -1.0;
  };
  for (int warm = 0; warm < 20; ++warm) roundTrip();  // JACK connects at the next cycle

  std::vector<double> times;
  int lost = 0;
  for (int i = 0; i < Rounds; ++i) {
    const double ms = roundTrip();
    if (ms < 0)
      ++lost;
    else
      times.push_back(ms);
  }
  if (times.empty()) {
    std::fprintf(stderr, "no answers\n");
    return 1;
  }
  std::sort(times.begin(), times.end());
  const auto at = [&](double q) { return times[static_cast<std::size_t>(q * (times.size() - 1))]; };
  std::printf("JACK period %.2f ms; %zu round trips, %d unanswered\n", periodMs, times.size(), lost);
  std::printf("RQ1 -> DT1 round trip: median %.2f ms (%.2f periods), p99 %.2f ms (%.2f periods), max %.2f ms\n",
              at(0.5), at(0.5) / periodMs, at(0.99), at(0.99) / periodMs, times.back());
  jvsim.stop();
  return 0;
}
