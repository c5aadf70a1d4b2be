#pragma once
// Every window of the program, created once in start-up order (each may rely
// on what the windows before it prepared) and destroyed in reverse.

#include <memory>

#include "app/app_context.h"
#include "app/debug_form.h"
#include "app/note_out_form.h"
#include "app/output_form.h"
#include "app/save_dialog.h"
#include "app/splash_screen.h"
#include "app/start_form.h"
#include "app/waiting_form.h"

namespace quillon {

class ProgramWindows {
 public:
  explicit ProgramWindows(AppContext& context);
  ~ProgramWindows();

  // Shows the main window and the monitor beside it.
  void showAtStart();

  // Members are declared in creation order; destruction runs backwards.
  std::unique_ptr<TStartform> startForm;
  std::unique_ptr<TWaitingForm> waitingForm;
  std::unique_ptr<TSplashScreen> splashScreen;
  std::unique_ptr<TDebugForm> debugForm;
  std::unique_ptr<TNoteOutForm> noteOutForm;  // opens the MIDI ports
  std::unique_ptr<TOutputForm> outputForm;
  std::unique_ptr<Tsavedialog> saveDialog;

 private:
  void connectHost(AppContext& context);
};

}  // namespace quillon
