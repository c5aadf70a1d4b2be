#pragma once
// What an editing window stands on: the store it reads, the one edit path it
// changes the module by, the change notices it refreshes on, the undo history,
// the cursor of the parts the windows stand on, and the settings and names it
// shows. The program builds one and passes it to every editing window.

namespace quillon {

class DeviceSettings;
class EditHistory;
class EditingCursor;
class EngineHost;
class PatchNameLibrary;
class PerformanceEdit;
class Sender;
class StoreNotifier;
struct PerformanceStore;

struct EditingContext {
  PerformanceStore& store;
  PerformanceEdit& edit;
  Sender& sender;
  EngineHost& host;
  DeviceSettings& settings;
  PatchNameLibrary& names;
  StoreNotifier& notices;
  EditHistory& history;
  EditingCursor& cursor;
};

}  // namespace quillon
