#pragma once
// Everything of the program that is not a window: the store, the settings,
// the name library, the MIDI ports and the engine routines that talk to the module. One
// instance lives for the whole run; every window reaches it by reference.

#include <memory>

#include "app/app_host.h"
#include "app/module_ports.h"
#include "editors/binding/edit_history.h"
#include "editors/binding/editing_cursor.h"
#include "editors/binding/editing_context.h"
#include "editors/binding/store_notifier.h"
#include "engine/editing/performance_edit.h"
#include "engine/bank_transfer.h"
#include "engine/engine_settings.h"
#include "engine/incoming.h"
#include "engine/sender.h"
#include "engine/store.h"
#include "engine/temp_transfer.h"
#include "settings/device_settings.h"
#include "settings/names/patch_name_library.h"

namespace quillon {

class AppContext {
 public:
  explicit AppContext(SettingsLocation location = SettingsLocation::userStore(),
                      QString dataPath = DeviceSettings::currentFolderPath());

  // After the module type or the boards changed: the engine's module type and block sizes follow.
  void applySettings();

  PerformanceStore store;
  DeviceSettings settings;
  // What the engine reads: the device settings' own values, not a copy.
  EngineSettings& engineSettings = settings.engine;
  PatchNameLibrary names;
  AppHost host;
  MessageLogLines log{host};
  Sender sender{store, host, engineSettings, log};
  IncomingHandler incoming{store, host, sender, log};
  // The MIDI ports, for the whole run: the engine sends straight to them.
  ModulePorts ports{store, incoming, host, sender, settings};
  TempTransfer tempTransfer{sender, host};
  BankTransfer bankTransfer{sender, host};
  // The editing road: the one edit path, the store's notices as a signal, the undo history.
  PerformanceEdit edit{store, sender};
  StoreNotifier notices{store};
  EditHistory history{edit, notices};
  EditingCursor cursor{store};
  EditingContext editing{store, edit, sender, host, settings, names, notices, history, cursor};
};

}  // namespace quillon
