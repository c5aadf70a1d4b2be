#pragma once
// The performance editor: the 16 parts of the Temporary Performance, four at
// a time in four columns, an overview of all 16, the performance name, the
// Quick Edit buttons that change every part at once, and the test pad. Every
// change goes to the module at once through the editing road; the window
// keeps nothing of its own and refills from the store whenever it is shown
// or activated, and as change notices arrive while it is visible.

#include <QMainWindow>
#include <array>
#include <optional>
#include <vector>

#include "editors/binding/binding_set.h"
#include "editors/binding/editing_cursor.h"
#include "engine/store.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace quillon {

class PartColumn;
class PartsOverview;
class PerformanceNameEdit;

class PerformanceEditor : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int DrumPage = 8;  // the page whose second column is part 10, the rhythm part
  static constexpr int DrumColumn = 1;

  explicit PerformanceEditor(EditingContext& context, QWidget* parent = nullptr);
  ~PerformanceEditor() override;

  // Shows the window without waiting on it and brings it to the front.
  void showEditor();

  // The columns from the store (nothing while no performance is loaded).
  void fillEditor();
  // The overview of all 16 parts, the key-range warning and the sounding parts.
  void refreshOverview();
  // Which parts receive on the test channel: the SpA buttons, the overview
  // colours and the status text.
  void showSoundingParts();
  // A page button: the columns show parts page+1 .. page+4.
  void showPage(int page);
  // The first part the columns show and edit.
  int page() const { return page_; }
  // The overview's "On"/"Off" of part `part` (0..15) was clicked.
  void toggleFromOverview(int part);

  // The main window's "Change Name Always" item, whose check mark lets the name be sent while typed.
  void setChangeNameAlwaysItem(QAction* item);
  QString statusText() const;
  const BindingSet& bindings() const { return bindings_; }

 public slots:
  // The preview-note setting changed elsewhere (the main window's menu).
  void showPlayNote(bool on);

 signals:
  // Windows this one opens; each is connected where that window is built.
  void switchesRequested();
  void keyRangeRequested();
  void chorusReverbRequested();
  void efxRequested();
  // The column was touched: the patch of part `part` (0..15) is to be chosen.
  void patchSelectRequested(int part);
  void noteMonitorRequested();
  void reloadTempRequested();
  // The Performance menu: the shown performance compared, or its sheet printed or exported.
  void compareRequested();
  void printRequested();
  void exportRequested();
  // Emitted between hiding and showing this window again.
  void saveToModuleRequested();
  // "SpPlay" was clicked: the NoteOn setting is already `on`.
  void playNoteChanged(bool on);
  // "Done": the patch select and switch windows are to be hidden.
  void done();
  // The window was closed (Done or its close box).
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void buildPerformanceMenu();
  void buildStatusBar();
  QWidget* buildTopBar();
  QWidget* buildQuickEdit();
  QWidget* buildPadColumn();
  void bindColumns();
  void connectWindowButtons();
  void connectQuickEdit();
  void connectParts();

  int partOf(int column) const { return page_ + column; }
  void refreshOnActivation();
  void fillColumnHeads();
  // Which performance the window shows: the Temporary one, or a list entry.
  void showWhatIsEdited();
  // Patch captions of the shown parts; returns true when one of them is a PCM-card patch.
  bool fillPatchCaptions();
  void fillPanIndicators();
  void announcePcmOnce();
  void columnReceiveClicked(int column);
  void columnSoundClicked(int column);
  void patchClicked(int column);
  void allPanToFirst();
  void allPartsToFirst(const Parameter& parameter, int shown);
  void storeChanged(const StoreChange& change);
  void refreshDisplays();

  EditingContext& ctx_;
  BindingSet bindings_;
  int page_ = 0;  // the first part the columns show and edit, taken from the cursor at each fill

  std::array<PartColumn*, PartsPerPage> columns_{};
  PartsOverview* overview_ = nullptr;
  QLineEdit* nameField_ = nullptr;
  PerformanceNameEdit* name_ = nullptr;
  QToolButton* playNoteButton_ = nullptr;
  QCheckBox* changeAlwaysBox_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* pageCaption_ = nullptr;

  // The patch bytes of the performance the "PCM" box was shown for: once per performance.
  std::optional<std::vector<Byte>> pcmAnnouncedFor_;
  bool displaysPending_ = false;
  bool fillPending_ = false;
};

}  // namespace quillon
