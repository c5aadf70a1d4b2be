// The editing road's costs: a full refresh of a window with 200 bound
// controls (target under 5 ms), and one incoming one-byte DT1 reaching its
// one bound control (target under 50 us of CPU).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include "app/app_context.h"
#include "controls/roll_spin_box.h"
#include "controls/value_fader.h"
#include "editors/binding/binding_set.h"
#include "editors/midi_mixer.h"
#include "editors/part_switches_window.h"

using namespace quillon;

namespace {

constexpr int BoundControls = 200;

struct Rig {
  QTemporaryDir dir;
  AppContext context{SettingsLocation::iniFile(dir.filePath(QStringLiteral("Quillon.conf"))), dir.path() + "/"};
  QWidget window;
  BindingSet bindings{context.editing, SendGuard::FormFilling};

  Rig() {
    auto* layout = new QVBoxLayout(&window);
    const Parameter* rows[] = {&param::PartLevel, &param::PartPan, &param::PartOutput, &param::PartChannel};
    for (int i = 0; i < BoundControls; ++i) {
      QWidget* control = nullptr;
      switch (i % 4) {
        case 0: control = new ValueFader; break;
        case 1: control = new RollSpinBox; break;
        case 2: control = new QComboBox; break;
        default: control = new QSpinBox; break;
      }
      layout->addWidget(control);
      bindings.bind(control, *rows[i % 4], PartRef::fixed((i / 4) % address::PartCount));
    }
  }
};

class OneMessage : public MidiEventSource {
 public:
  explicit OneMessage(const Bytes& bytes) {
    m_.status = midi_byte::SysexStart;
    m_.sysex = bytes;
  }
  std::optional<MidiMessage> takeEvent() override {
    if (taken_) return std::nullopt;
    taken_ = true;
    return m_;
  }
  void rewind() { taken_ = false; }

 private:
  MidiMessage m_;
  bool taken_ = false;
};

void BM_RefreshTwoHundredControls(benchmark::State& state) {
  Rig rig;
  int level = 0;
  for (auto _ : state) {
    rig.context.store.TempPerformance.parts[0][part::Level] = static_cast<Byte>(++level & midi_byte::DataMask);
    rig.bindings.refresh();
  }
}
BENCHMARK(BM_RefreshTwoHundredControls)->Unit(benchmark::kMillisecond);

void BM_IncomingByteReachesItsControl(benchmark::State& state) {
  Rig rig;
  rig.context.store.LogEnabled = false;  // the log window is the program's, not the road's
  OneMessage message(buildDT1(deviceByte(roland::DefaultUnitId), address::temporaryPart(3, part::Level), Bytes{42}));
  for (auto _ : state) {
    message.rewind();
    rig.context.incoming.HandleModuleInput(message);
  }
}
BENCHMARK(BM_IncomingByteReachesItsControl)->Unit(benchmark::kMicrosecond);

// Showing the switch window at the slowest SysDly: a fill waits for nothing it did not send.
void BM_SwitchWindowFillAtSlowestDelay(benchmark::State& state) {
  Rig rig;
  rig.context.engineSettings.sysDly = MaxSysDly;
  PartSwitchesWindow window(rig.context.editing);
  for (auto _ : state) window.fill();
}
BENCHMARK(BM_SwitchWindowFillAtSlowestDelay)->Unit(benchmark::kMillisecond);

// A mixer memory recalled: 64 control changes through the strips' bindings.
void BM_MixerRecall(benchmark::State& state) {
  Rig rig;
  MidiMixer mixer(rig.context.editing);
  int memory = 0;
  for (auto _ : state) mixer.recall(++memory % MixerMemoryCount);
}
BENCHMARK(BM_MixerRecall)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
