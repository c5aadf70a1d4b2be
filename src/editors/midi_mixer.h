#pragma once
// "MidiMixer": a 16-channel mixing desk of control changes (volume, pan,
// chorus, reverb) with five memories, which also shows the control changes a
// keyboard sends. It never touches the performance.

#include <QWidget>
#include <array>

#include "editors/binding/binding_set.h"
#include "engine/editing/mixer_desk.h"

class QGridLayout;
class QLabel;
class QPushButton;
class QTimer;

namespace quillon {

class PanIndicator;

class MidiMixer : public QWidget {
  Q_OBJECT
 public:
  static constexpr int LampMs = 150;
  static constexpr const char* MemoriesKey = "MixerMemories";

  explicit MidiMixer(EditingContext& context, QWidget* parent = nullptr);
  ~MidiMixer() override;

  MixerDesk& desk() { return desk_; }
  // An incoming control change (on the monitor channel); shown while "Update" is down.
  void controlChangeArrived(Byte status, Byte controller, Byte value);
  void recall(int memory);
  void clearAll();
  void saveMemories();

 public slots:
  void showAndRaise();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildStrip(int strip, QGridLayout* grid);
  // Sets a strip control as the user's hand would: it sends.
  void play(int row, int strip, int shown);

  EditingContext& ctx_;
  MixerDesk desk_;
  BindingSet bindings_;
  std::array<std::array<Binding*, MixerStrips>, MixerRows> strips_{};
  std::array<PanIndicator*, MixerStrips> panIndicators_{};
  std::array<QPushButton*, MixerMemoryCount> memoryButtons_{};
  QPushButton* update_;
  QLabel* lamp_;
  QTimer* lampTimer_;
};

}  // namespace quillon
