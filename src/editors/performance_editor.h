#pragma once
// The performance editor: the 16 parts of the Temporary Performance, four at
// a time in four columns, an overview of all 16, the performance name, the
// Quick Edit buttons that change every part at once, and the test pad. Every
// change goes to the module at once through the editing road; the window
// keeps nothing of its own and refills from the store whenever it is shown
// or activated, and as change notices arrive while it is visible.

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <optional>
#include <vector>

#include "editors/binding/binding_set.h"
#include "editors/binding/editing_cursor.h"
#include "engine/store.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QToolButton;

namespace quillon {

class PanIndicator;
class RollSpinBox;
class TestPad;
class ValueFader;

class PerformanceEditor : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int PageCount = address::PartCount / PartsPerPage;
  static constexpr int DrumPage = 8;    // the page whose second column is part 10, the rhythm part
  static constexpr int DrumColumn = 1;
  static constexpr int OverviewRows = 6;  // heading, channel, output, pan, chorus, reverb
  static constexpr int OverviewColumns = address::PartCount + 1;

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
  void setChangeNameAlwaysItem(QAction* item) { changeNameAlways_ = item; }
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
  // Emitted between hiding and showing this window again.
  void saveToModuleRequested();
  // "SpPlay" was clicked: the NoteOn setting is already `on`.
  void playNoteChanged(bool on);
  // "Done": the patch select and switch windows are to be hidden.
  void done();
  // The window was closed (Done or its close box).
  void closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct PartColumn {
    QPushButton* lp = nullptr;       // "Part n", toggles the receive switch
    QLabel* l = nullptr;             // the part number, large
    QPushButton* stP = nullptr;      // the patch name, opens patch select
    RollSpinBox* spPan = nullptr;
    PanIndicator* lPanH = nullptr;
    QSpinBox* spCh = nullptr;
    QComboBox* cbOut = nullptr;
    QComboBox* cbEfxOut = nullptr;
    QToolButton* spA = nullptr;      // down while the part sounds on the test channel
    ValueFader* slVol = nullptr;
    RollSpinBox* spLev = nullptr;
    RollSpinBox* spCho = nullptr;
    RollSpinBox* spRev = nullptr;
  };

  void buildControls();
  QWidget* buildTopBar();
  QWidget* buildQuickEdit();
  QWidget* buildColumn(int column);
  QWidget* buildOverview();
  QWidget* buildPadColumn();
  void bindColumn(int column);
  void connectButtons();

  int partOf(int column) const { return page_ + column; }
  void refreshOnActivation();
  void fillColumnHeads();
  // Which performance the window shows: the Temporary one, or a list entry.
  void showWhatIsEdited();
  // Patch captions of the shown parts; returns true when one of them is a PCM-card patch.
  bool fillPatchCaptions();
  void fillEfxCombos();
  void enableEfxCombo(int column);
  void fillPanIndicators();
  void fillOverviewPatchNames();
  void checkPageButton();
  void announcePcmOnce();
  void columnReceiveClicked(int column);
  void columnSoundClicked(int column);
  void patchClicked(int column);
  void allPanToFirst();
  void allPartsToFirst(const Parameter& parameter, int shown);
  void nameEdited(const QString& text);
  void nameLeft();
  // The name as the field shows it, through the edit path, when it differs from the stored one.
  void sendName();
  // The stored name in the field, unless the field already shows it.
  void showName();
  void storeChanged(const StoreChange& change);
  void refreshDisplays();

  EditingContext& ctx_;
  BindingSet bindings_;
  int page_ = 0;  // the first part the columns show and edit, taken from the cursor at each fill
  QPointer<QAction> changeNameAlways_;

  std::array<PartColumn, PartsPerPage> columns_{};
  std::array<QPushButton*, address::PartCount> onLabels_{};
  std::array<QLabel*, address::PartCount> patchLabels_{};
  std::array<QPushButton*, PageCount> pageButtons_{};
  QButtonGroup* pages_ = nullptr;
  QTableWidget* stGr1_ = nullptr;
  QLabel* lKeyRange_ = nullptr;
  QLineEdit* ePname_ = nullptr;
  QToolButton* spPlay_ = nullptr;
  QCheckBox* chAlways_ = nullptr;
  QCheckBox* keepNote_ = nullptr;
  TestPad* testPad_ = nullptr;
  QLabel* lTestPad_ = nullptr;
  QLabel* lChannel_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* lShows_ = nullptr;

  // The patch bytes of the performance the "PCM" box was shown for: once per performance.
  std::optional<std::vector<Byte>> pcmAnnouncedFor_;
  EditGroup nameGroup_ = NoGroup;  // the undo step the name being typed goes into
  bool displaysPending_ = false;
  bool fillPending_ = false;
};

}  // namespace quillon
