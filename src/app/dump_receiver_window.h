#pragma once
// File > Receive Dump: listens for a bulk dump started on the module's own
// panel, shows what has come so far, and afterwards offers the performances
// of Temp, User or Card as the list and saves everything received.

#include <QDialog>

#include <functional>

#include "engine/store.h"
#include "midi/dump_receiver.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace quillon {

class AppContext;
class ModuleLink;

class DumpReceiverWindow : public QDialog {
  Q_OBJECT
 public:
  DumpReceiverWindow(AppContext& context, ModuleLink& link, QWidget* parent = nullptr);

  // Starts listening and shows the window; says why when it cannot.
  void startReceiving();
  DumpReceiver& receiver() { return receiver_; }

  // Puts the area's performances into the list through the main window; true when it did.
  std::function<bool(PerformanceKind area)> takeList;
  // Replaceable for tests: the save dialog, and the question before received data is thrown away.
  std::function<QString(const QString& proposed)> chooseSaveFile;
  std::function<bool(const QString& question)> confirmDiscard;

 protected:
  void reject() override;

 private:
  void buildControls();
  QPushButton* addButton(const char* name, const QString& caption, const QString& spoken);
  void refresh();
  // Longer reports make the window larger, never smaller.
  void growToFit();
  void showEnd();
  void useAsList(PerformanceKind area);
  void saveCapture();
  // True when the window may close: nothing received is lost unasked.
  bool mayClose();
  void setState(const QString& text);

  AppContext& ctx_;
  DumpReceiver receiver_;
  QLabel* state_;
  QLabel* counts_;
  QLabel* temp_;
  QLabel* user_;
  QLabel* card_;
  QLabel* other_;
  QSpinBox* quiet_;
  QPlainTextEdit* notes_;
  QPushButton* done_;
  QPushButton* useTemp_;
  QPushButton* useUser_;
  QPushButton* useCard_;
  QPushButton* save_;
  QPushButton* close_;
  QTimer* refreshTimer_;
  bool kept_ = false;  // taken as the list or saved
};

}  // namespace quillon
