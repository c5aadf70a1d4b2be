#pragma once
// The virtual module as a MIDI device: messages sent to it go to the model at
// once; its answers come back through the event loop, later, as a real
// module's would, never from inside the send call.

#include <QObject>

#include <memory>
#include <vector>

#include "midi/midi_backend.h"
#include "midi/model/virtual_module.h"

namespace quillon::midi {

inline constexpr const char* VirtualModuleName = "Quillon virtual module";

class VirtualModuleBackend : public MidiBackend {
 public:
  explicit VirtualModuleBackend(ModuleType type = ModuleType::JV1080, int unitId = roland::DefaultUnitId);
  ~VirtualModuleBackend() override;

  jv::VirtualModule& module() { return module_; }
  // A new type changes the block lengths; the memory starts afresh.
  void setModuleType(ModuleType type);
  // As if a bulk dump of `area` were started on the module's panel: its data
  // sets arrive unasked, later, through the event loop.
  void startBulkDump(jv::DumpArea area);

  std::vector<std::string> outputNames() override { return {VirtualModuleName}; }
  std::vector<std::string> inputNames() override { return {VirtualModuleName}; }
  std::unique_ptr<OutputConnection> openOutput(std::size_t device, const std::string& name) override;
  std::unique_ptr<InputConnection> openInput(std::size_t device, const std::string& name,
                                             InputHandler handler) override;

 private:
  class Output;
  class Input;
  void receive(std::span<const Byte> message);
  void deliver(const std::vector<Bytes>& answers);
  // One message now and the next at the following turn of the event loop, so
  // the port hands each on before the next comes, as at a module's pace.
  void deliverOneByOne(std::shared_ptr<const std::vector<Bytes>> messages, std::size_t next);

  jv::VirtualModule module_;
  std::vector<Input*> inputs_;  // the open input connections, in opening order
  QObject mailbox_;             // queued deliveries run on its thread's event loop
};

}  // namespace quillon::midi
