// Prints how many cycles the JACK server has missed, a new line at each
// change, until it is stopped. A non-realtime server on a busy machine misses
// cycles and drops their MIDI; the transfer test asks this whether a lost
// answer may be the server's.
#include <jack/jack.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
std::atomic<int> xruns{0};
volatile std::sig_atomic_t stopped = 0;
constexpr useconds_t PollUs = 5000;
}  // namespace

int main() {
  jack_client_t* client = jack_client_open("quillon-xrun-count", JackNoStartServer, nullptr);
  if (!client) {
    std::fputs("jack_xrun_count: no JACK server answers\n", stderr);
    return 1;
  }
  jack_set_xrun_callback(
      client, [](void*) { return ++xruns, 0; }, nullptr);
  if (jack_activate(client) != 0) return 1;
  std::signal(SIGTERM, [](int) { stopped = 1; });
  std::signal(SIGINT, [](int) { stopped = 1; });
  int shown = -1;
  while (!stopped) {
    if (const int now = xruns.load(); now != shown) {
      std::printf("%d\n", now);
      std::fflush(stdout);
      shown = now;
    }
    usleep(PollUs);
  }
  jack_client_close(client);
  return 0;
}
