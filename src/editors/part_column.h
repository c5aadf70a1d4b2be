#pragma once
// One of the performance editor's four part columns: the part's receive
// switch and number, its patch, pan, channel, output and EFX choice, the test
// button, the level and the three sends. The column edits the part the
// editor's page puts in it; the editor fills it and decides what a click does.

#include <QFrame>

#include <functional>

#include "editors/binding/binding_set.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace quillon {

class PanIndicator;
class RollSpinBox;
class ValueFader;

class PartColumn : public QFrame {
  Q_OBJECT
 public:
  // What the editor refreshes after a send: the sounding parts, the overview, or the whole window.
  struct Refreshes {
    std::function<void()> sounding;
    std::function<void()> overview;
    std::function<void()> whole;
  };

  // Column `column` (0..3): its controls carry the column's number in their names.
  explicit PartColumn(int column, QWidget* parent = nullptr);

  void bind(BindingSet& bindings, const PartRef& part, const Refreshes& after);
  // "Part n" (with "  Drum" on the rhythm part's column), its number and its receive colours.
  void showHead(int part, bool receiving, bool drum);
  void showPatch(int part, const QString& name);
  void showPanPosition(int stored);
  void showSounding(bool sounds);

  // The shown values the Quick Edit buttons give every part.
  int pan() const;
  int level() const;
  int mixSend() const;
  int chorusSend() const;
  int reverbSend() const;
  // Sets the pan as the user does: it is sent for the column's part.
  void setPan(int shown);

 signals:
  void receiveClicked();
  void soundClicked();
  void patchClicked();

 private:
  void buildControls(int column);
  void layOut();
  // The EFX choice is open only to a part sent to the EFX (also while the window fills).
  void enableEfxChoice();

  QPushButton* partButton_ = nullptr;   // "Part n", toggles the receive switch
  QLabel* partNumber_ = nullptr;        // the part number, large
  QPushButton* patchButton_ = nullptr;  // the patch name, opens patch select
  RollSpinBox* panBox_ = nullptr;
  PanIndicator* panIndicator_ = nullptr;
  QSpinBox* channelBox_ = nullptr;
  QComboBox* outputChoice_ = nullptr;
  QComboBox* efxOutputChoice_ = nullptr;
  QToolButton* soundButton_ = nullptr;  // down while the part sounds on the test channel
  ValueFader* levelFader_ = nullptr;
  RollSpinBox* levelBox_ = nullptr;
  RollSpinBox* chorusBox_ = nullptr;
  RollSpinBox* reverbBox_ = nullptr;
};

}  // namespace quillon
