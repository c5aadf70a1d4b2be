#pragma once
// Find Module over real ports: opens every input and each output in turn (the
// module link's ports are the caller's to close first and to restore after),
// sends the search's requests paced by the SysEx delay, and hands everything
// the inputs hear to the search. Only requests leave. Cancel ends it at once.
// The settings dialog, the offer after a silent module and quillon-syx find run it.

#include <QObject>

#include <memory>
#include <optional>
#include <vector>

#include "engine/module_search.h"
#include "engine/transfer_session.h"
#include "midi/midi_backend.h"

namespace quillon {

class MidiInputPort;
class MidiOutputPort;

class ModuleFinder : public QObject {
  Q_OBJECT
 public:
  // After the last request: time for the last answers to come in.
  static constexpr int LateAnswerMs = 400;

  ModuleFinder(TransferSessions& sessions, midi::MidiBackend& backend, QObject* parent = nullptr);
  ~ModuleFinder() override;

  // Runs the whole search, waiting in the event loop. False (and nothing
  // sent) when another transfer runs. `onlyOutput`: the index of the one output to ask.
  bool run(int sysDly, std::optional<int> onlyOutput = std::nullopt, bool askIdentity = true);
  void cancel();
  bool running() const { return running_; }
  // The last search; null before the first.
  const ModuleSearch* search() const { return search_.get(); }

 signals:
  // `done` of `total` requests sent; `port` the output asked now.
  void progress(int done, int total, const QString& port);

 private:
  void openInputs();
  void drain(int input);
  std::unique_ptr<MidiOutputPort> openOutput(int output);
  bool send(MidiOutputPort& port, int output, std::span<const Byte> message, int unitId);
  void closeAll();

  TransferSessions& sessions_;
  midi::MidiBackend& backend_;
  std::unique_ptr<ModuleSearch> search_;
  std::vector<std::unique_ptr<MidiInputPort>> inputs_;  // by input index; null where one did not open
  bool running_ = false;
  bool cancelled_ = false;
};

}  // namespace quillon
