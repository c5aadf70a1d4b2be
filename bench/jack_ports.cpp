// Registers N MIDI ports (half inputs, half outputs) on the running JACK
// server and keeps them until it is killed: the graph of a crowded studio,
// for the transfer benchmarks. Prints "ready" once they are all there.
#include <jack/jack.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 500;
  jack_client_t* client = jack_client_open("qbench-ports", JackNoStartServer, nullptr);
  if (!client) {
    std::fprintf(stderr, "jack_ports: no JACK server runs\n");
    return 1;
  }
  for (int i = 0; i < count; ++i) {
    const std::string name = "port" + std::to_string(i);
    const unsigned long flags = i % 2 == 0 ? JackPortIsInput : JackPortIsOutput;
    if (!jack_port_register(client, name.c_str(), JACK_DEFAULT_MIDI_TYPE, flags, 0)) {
      std::fprintf(stderr, "jack_ports: the server took only %d ports\n", i);
      break;
    }
  }
  if (jack_activate(client) != 0) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  pause();  // until a signal ends the process; the server drops the ports
  return 0;
}
