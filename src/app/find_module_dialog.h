#pragma once
// Find Module with the user: the progress of the search in a small window
// with Cancel, then each module found offered in turn; nothing is applied
// without a Yes. The settings dialog and the offer after a silent module use it.

#include <QDialog>

#include <optional>
#include <string>

#include "app/app_context.h"
#include "midi/midi_backend.h"
#include "midi/module_finder.h"
#include "midi/module_link.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace quillon {

// A find the user chose to use.
struct ChosenModule {
  PortChoice out;
  PortChoice in;
  int unitId = roland::DefaultUnitId;
};

namespace find_text {
inline constexpr const char* Offer =
    "Find Module: ask every MIDI output at every unit ID (17..32) for the module, and listen on every input?";
inline constexpr const char* Busy = "Find Module cannot start while a transfer runs.";
}  // namespace find_text

class FindModuleDialog : public QDialog {
  Q_OBJECT
 public:
  FindModuleDialog(AppContext& context, midi::MidiBackend& backend, QWidget* parent = nullptr);

  // Searches (every output, or only `onlyOutput`), then offers each find;
  // the one taken, or nothing when none was found or taken. Cancelled, it
  // offers nothing and says what it saw.
  std::optional<ChosenModule> findAndOffer(int sysDly, std::optional<int> onlyOutput = std::nullopt);
  ModuleFinder& finder() { return finder_; }

  QProgressBar* PbFind = nullptr;
  QLabel* LFindPort = nullptr;
  QPushButton* BFindCancel = nullptr;

 protected:
  void reject() override;  // Escape and Cancel end the search

 private:
  AppContext& ctx_;
  ModuleFinder finder_;
};

}  // namespace quillon
