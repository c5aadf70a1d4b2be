#include "midi/virtual_backend.h"

#include <QMetaObject>

#include <algorithm>

namespace quillon::midi {

namespace {
void requireDeviceZero(std::size_t device) {
  if (device != 0) throw MidiBackendError("The virtual module has only device 0");
}
}  // namespace

class VirtualModuleBackend::Output : public OutputConnection {
 public:
  explicit Output(VirtualModuleBackend& owner) : owner_(owner) {}
  void send(std::span<const Byte> message) override { owner_.receive(message); }

 private:
  VirtualModuleBackend& owner_;
};

class VirtualModuleBackend::Input : public InputConnection {
 public:
  Input(VirtualModuleBackend& owner, InputHandler handler) : owner_(owner), handler(std::move(handler)) {
    owner_.inputs_.push_back(this);
  }
  ~Input() override { std::erase(owner_.inputs_, this); }
  VirtualModuleBackend& owner_;
  InputHandler handler;
};

VirtualModuleBackend::VirtualModuleBackend(ModuleType type, int unitId) : module_(type, unitId) {}

VirtualModuleBackend::~VirtualModuleBackend() = default;

void VirtualModuleBackend::setModuleType(ModuleType type) {
  if (type != module_.type()) module_ = jv::VirtualModule(type, module_.unitId());
}

std::unique_ptr<OutputConnection> VirtualModuleBackend::openOutput(std::size_t device, const std::string&) {
  requireDeviceZero(device);
  return std::make_unique<Output>(*this);
}

std::unique_ptr<InputConnection> VirtualModuleBackend::openInput(std::size_t device, const std::string&,
                                                                 InputHandler handler) {
  requireDeviceZero(device);
  return std::make_unique<Input>(*this, std::move(handler));
}

void VirtualModuleBackend::receive(std::span<const Byte> message) {
  // Notes and controllers would sound on a real module; the model has no voice.
  jv::Reply reply = module_.receive(message);
  if (reply.answers.empty()) return;
  QMetaObject::invokeMethod(
      &mailbox_, [this, answers = std::move(reply.answers)] { deliver(answers); }, Qt::QueuedConnection);
}

void VirtualModuleBackend::startBulkDump(jv::DumpArea area) {
  deliverOneByOne(std::make_shared<const std::vector<Bytes>>(module_.bulkDump(area)), 0);
}

void VirtualModuleBackend::deliverOneByOne(std::shared_ptr<const std::vector<Bytes>> messages, std::size_t next) {
  if (next >= messages->size()) return;
  QMetaObject::invokeMethod(
      &mailbox_,
      [this, messages, next] {
        deliver({(*messages)[next]});
        deliverOneByOne(messages, next + 1);
      },
      Qt::QueuedConnection);
}

void VirtualModuleBackend::deliver(const std::vector<Bytes>& answers) {
  // A handler may close its port while it runs, so walk a copy.
  const std::vector<Input*> inputs = inputs_;
  for (const Bytes& answer : answers)
    for (Input* input : inputs)
      if (std::find(inputs_.begin(), inputs_.end(), input) != inputs_.end()) input->handler(answer);
}

}  // namespace quillon::midi
