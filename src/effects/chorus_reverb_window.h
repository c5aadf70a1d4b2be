#pragma once
// The chorus and reverb editor, with the EFX output routing, the default tempo
// and the module-wide EFX, chorus and reverb switches. Every change is a direct
// data set; the switches live in the system area and are asked for each time
// the window becomes active.

#include <QWidget>

#include <span>
#include <string_view>

#include "editors/binding/binding_set.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QSpinBox;

namespace quillon {

class TextFader;
class ValueFader;

class ChorusReverbWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int TempoStep = 10;  // the spin button's step

  // One fader under its caption, in the next column of a panel's fader row.
  struct FaderSpec {
    const char* name;
    const char* caption;
    const Parameter& parameter;
  };

  explicit ChorusReverbWindow(EditingContext& context, QWidget* parent = nullptr);
  ~ChorusReverbWindow() override;

  // Every control from the Temporary Performance and the system image; nothing is sent.
  void fill();
  // Asks the module for its three switches (unless the ports are closed or the
  // module left this showing's request unanswered), then fills the window.
  void activated();
  // The default tempo moved by the spin button: ±TempoStep within the range, sent.
  void stepTempo(int direction);

 public slots:
  // Shows the window in front of the others.
  void showAndRaise();

 signals:
  // "Open EFX" was pressed.
  void efxRequested();

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QGroupBox* buildPanel(const QString& title, std::span<const FaderSpec> faders, int firstColumn, const char* listName,
                        const QString& listCaption, std::span<const std::string_view> items, const char* switchName);
  QWidget* buildChorusPanel();
  QWidget* buildReverbPanel();
  QWidget* buildEffectsPanel();
  QWidget* buildTopBar();
  void bindControls();
  void switchChorusLevel(int output);
  void storeChanged(const StoreChange& change);

  EditingContext& ctx_;
  BindingSet bindings_;
  QCheckBox* always_ = nullptr;
  QSpinBox* tempo_ = nullptr;
  ValueFader* chorusLevel_ = nullptr;
  ValueFader* chorusToReverb_ = nullptr;
  QLabel* chorusLevelCaption_ = nullptr;
  QLabel* chorusToReverbCaption_ = nullptr;
  TextFader* hfDamp_ = nullptr;
  bool activating_ = false;
  // A request of this showing that the module has not answered: a silent module
  // is asked once per showing, so its timeout box cannot come back with every activation.
  bool switchesUnanswered_ = false;
};

}  // namespace quillon
