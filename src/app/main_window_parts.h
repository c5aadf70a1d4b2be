#pragma once
// What the main window's source files share: its measures, captions and small helpers.

#include <QColor>
#include <QString>

#include <array>
#include <span>
#include <string>

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include "app/main_window.h"
#include "app/transfer_progress_dialog.h"
#include "controls/qt_text.h"

namespace quillon::main_window_parts {

inline constexpr int FormWidth = 608;
inline constexpr int FormHeight = 456;
inline constexpr int Timer1Ms = 100;
inline constexpr int PerformanceColumnWidth = 110;
inline constexpr int PerformanceRowHeight = 17;
inline constexpr int PatchColumnWidth = 146;
inline constexpr int PatchRowHeight = 16;
inline constexpr int CellPadding = 8;       // room beside a cell's text
inline constexpr int GridSideMargins = 24;  // the layout's margins beside the grid
inline constexpr int CreationWaitMs = 5;
inline constexpr std::array<int, StatusPanelCount> PanelWidths{80, 175, 175, 50};
inline constexpr std::array<const char*, StatusPanelCount> PanelTexts{"Found", "In", "Out", "In2"};
inline constexpr int KindPanel = KindStatusPanel;
inline constexpr int FoundPanel = 0;
inline const char* const SysexFilter =
    "Sysex or MIDI file (*.syx *.mid *.midi);;Sysex (*.syx);;Standard MIDI File (*.mid *.midi);;All (*)";
inline const char* const SaveFilter = "Sysex (*.syx);;Standard MIDI File (*.mid);;All (*);;Performance (*.prf)";
inline const char* const MidiFileFilter = "Standard MIDI File (*.mid)";
inline const char* const MidiFileSuffix = ".mid";
inline const char* const NoPerformanceToEdit = "There is no performance to edit.";
inline const char* const WhatToSave = "What to save??";
inline const char* const TempFileName = "TempPerfom.syx";
inline const QColor IncompleteColour(0xb0, 0, 0);

// Bytes below 32 are shown as blanks.
inline std::string printableName(std::span<const Byte> bytes) {
  std::string name;
  for (Byte b : bytes.first(PerformanceNameLength)) name += b < 32 ? ' ' : static_cast<char>(b);
  return name;
}

}  // namespace quillon::main_window_parts

namespace quillon {

// How a transfer shows on the main window and the wait window.
class MainWindow::WaitingView : public TransferView {
 public:
  explicit WaitingView(MainWindow& form) : form_(form) {}
  void begin(int maximum) override {
    if (!wait()) return;
    wait()->setProgressMaximum(maximum);
    wait()->setProgress(0);
    // Each transfer counts afresh; a send collects nothing.
    wait()->setCollected(QString::number(0));
    wait()->showBeside(&form_);
    QApplication::processEvents();
  }
  void progress(int value) override {
    if (wait()) wait()->setProgress(value);
  }
  void collected(int count) override {
    if (wait()) wait()->setCollected(QString::number(count));
  }
  void messageGoesOut() override {
    if (wait()) wait()->lightOut();
  }
  void end() override {
    if (wait()) wait()->hide();
  }
  void busy(bool on) override {
    if (on)
      form_.setCursor(Qt::WaitCursor);
    else
      form_.unsetCursor();
    form_.setTransferRunning(on);
  }
  void pauseEvaluation() override { form_.evaluationTimer_->stop(); }
  void resumeEvaluation() override { form_.evaluationTimer_->start(); }
  void listCleared() override { form_.resetPerformanceGrid(); }
  void sourceLabel(const std::string& text) override { form_.sourceLabel_->setText(toQ(text)); }
  void beep() override { QApplication::beep(); }

 private:
  TransferProgressDialog* wait() const { return form_.windows.waiting; }
  MainWindow& form_;
};

}  // namespace quillon
