#pragma once
// quillon-jvsim as a child process on JACK, with the port classes on the
// other end. Used by the integration tests and the round-trip benchmark.

#include <QProcess>
#include <QStringList>

#include <jack/jack.h>

#include <algorithm>
#include <csignal>
#include <atomic>
#include <string>
#include <vector>

#include "midi/midi_ports.h"
#include "midi/rtmidi_backend.h"
#include "test_support.h"

namespace quillon::testing {

// True when a JACK server answers; never starts one.
inline bool jackServerRunning() {
  jack_set_error_function([](const char*) {});
  jack_status_t status{};
  jack_client_t* client = jack_client_open("quillon-probe", JackNoStartServer, &status);
  if (!client) return false;
  jack_client_close(client);
  return true;
}

// Counts the server's xruns while it lives. A non-realtime server on a busy
// machine misses cycles, and JACK drops the MIDI of a missed cycle; a loss
// with no xrun is ours.
class XrunWatch {
 public:
  XrunWatch() {
    client_ = jack_client_open("quillon-xrun-watch", JackNoStartServer, nullptr);
    if (!client_) return;
    jack_set_xrun_callback(
        client_,
        [](void* self) {
          ++static_cast<XrunWatch*>(self)->xruns_;
          return 0;
        },
        this);
    jack_activate(client_);
  }
  ~XrunWatch() {
    if (client_) jack_client_close(client_);
  }
  int count() const { return xruns_.load(); }

 private:
  jack_client_t* client_ = nullptr;
  std::atomic<int> xruns_{0};
};

// The server's view of its ports, through one client of its own.
class JackGraph {
 public:
  JackGraph() : client_(jack_client_open("quillon-graph", JackNoStartServer, nullptr)) {}
  ~JackGraph() {
    if (client_) jack_client_close(client_);
  }
  JackGraph(const JackGraph&) = delete;
  JackGraph& operator=(const JackGraph&) = delete;
  // True once `port` is linked to another port.
  bool connected(const std::string& port) const {
    jack_port_t* p = client_ ? jack_port_by_name(client_, port.c_str()) : nullptr;
    return p && jack_port_connected(p) > 0;
  }

 private:
  jack_client_t* client_;
};

class JvsimProcess {
 public:
  // Starts quillon-jvsim on JACK under a name of its own; false with `error` set
  // when it does not come up.
  bool start(const std::string& program, const QStringList& extraArgs, std::string& error) {
    static int serial = 0;
    name_ = "qtest-" + std::to_string(QCoreApplication::applicationPid()) + "-" + std::to_string(++serial);
    QStringList args{"--api", "jack", "--name", QString::fromStdString(name_)};
    args += extraArgs;
    process_.setProcessChannelMode(QProcess::MergedChannels);
    // Read as it comes, or a full pipe would stall it in the middle of a test.
    QObject::connect(&process_, &QProcess::readyRead, [this] { output_ += process_.readAll().toStdString(); });
    process_.start(QString::fromStdString(program), args);
    if (!process_.waitForStarted(3000)) {
      error = "quillon-jvsim did not start";
      return false;
    }
    while (output_.find("ready") == std::string::npos) {
      if (!process_.waitForReadyRead(5000)) {
        error = "quillon-jvsim did not get ready: " + output_;
        return false;
      }
    }
    return true;
  }
  // Everything it printed so far, for failure messages.
  const std::string& output() {
    output_ += process_.readAll().toStdString();
    return output_;
  }
  void stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();  // SIGTERM: it must end by itself
    if (!process_.waitForFinished(5000)) process_.kill();
    process_.waitForFinished(1000);
  }
  // A bulk dump given with --dump starts now, as if started on the panel.
  void startDump() { ::kill(static_cast<pid_t>(process_.processId()), SIGUSR1); }
  bool endedCleanly() const { return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0; }
  ~JvsimProcess() { stop(); }

  // The names its ports have in the device lists of the other end.
  std::string inputPort() const { return name_ + "-in:in"; }
  std::string outputPort() const { return name_ + "-out:out"; }

 private:
  std::string name_;
  std::string output_;
  QProcess process_;
};

inline bool listed(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Port classes connected to a running jvsim: `out` to its input, `in` from its output.
struct JvsimLink {
  midi::RtMidiBackend backend{{"jack"}, "quillon-test"};
  MidiOutputPort out{backend};
  MidiInputPort in{backend};

  bool connect(const JvsimProcess& jvsim, std::string& error) {
    if (!processEventsUntil(
            [&] {
              return listed(backend.inputNames(), jvsim.outputPort()) &&
                     listed(backend.outputNames(), jvsim.inputPort());
            },
            5000)) {
      error = "jvsim's ports did not appear on JACK";
      return false;
    }
    in.SetSysexBufferSize(1024);  // as the monitor window configures it
    in.SetSysexBufferCount(128);
    in.SetProductName(jvsim.outputPort());
    out.SetProductName(jvsim.inputPort());
    in.Open();
    in.Start();
    out.Open();
    return true;
  }
};

}  // namespace quillon::testing
