#pragma once
// The patch finder: every internal bank and installed board list searched by
// a part of the patch name as it is typed; a click on a hit sends that patch
// to the part being edited so the user hears it, and a timer silences it.
// Opened modally by the patch select window: "Select" keeps the last patch
// heard, "Cancel" leaves it to the select window to send the earlier one.

#include <QDialog>

#include "editors/binding/editing_context.h"
#include "settings/names/patch_search.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QSlider;
class QSpinBox;
class QTimer;

namespace quillon {

class ItemPicks;

class PatchFinder : public QDialog {
  Q_OBJECT
 public:
  static constexpr int SoundOffMs = 1800;  // until the seconds field is changed
  static constexpr int MaxSoundSeconds = 30;
  static constexpr int InitialSoundSeconds = 2;
  static constexpr int ListColumns = 2;

  explicit PatchFinder(EditingContext& context, QWidget* parent = nullptr);
  ~PatchFinder() override;

  // The part a click on a hit sends to (0..15): the patch select window's.
  void setPart(int part) { part_ = part; }
  // Searches with the text of the find field; runs on every change of it.
  void search();
  const PatchSearchResult& result() const { return result_; }
  QTimer* soundTimer() const { return soundTimer_; }

 signals:
  // "Sound for .. sec." was clicked: the NoteOn setting is already `on`.
  void playNoteChanged(bool on);
  // The test breath slider moved; the monitor's breath slider sends it.
  void breathChanged(int value);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void showHits();
  void audition(const QModelIndex& index);
  void soundOff();
  void select();
  void rememberSearchText();

  EditingContext& ctx_;
  PatchSearchResult result_;
  int part_ = 0;
  QComboBox* searchField_ = nullptr;
  QListWidget* hitList_ = nullptr;
  ItemPicks* picks_ = nullptr;
  QLabel* hintLabel_ = nullptr;
  QLabel* foundLabel_ = nullptr;
  QLabel* choiceLabel_ = nullptr;
  QCheckBox* soundBox_ = nullptr;
  QSpinBox* soundSecondsBox_ = nullptr;
  QSlider* breathSlider_ = nullptr;
  QTimer* soundTimer_ = nullptr;
};

}  // namespace quillon
