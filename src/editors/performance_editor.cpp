#include "editors/performance_editor.h"
#include "editors/window_support.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMetaMethod>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

#include "editors/binding/store_notifier.h"
#include "editors/name_field.h"
#include "editors/part_column.h"
#include "editors/parts_overview.h"
#include "engine/host.h"
#include "engine/sender.h"
#include "settings/device_settings.h"
#include "settings/names/patch_evaluation.h"
#include "settings/names/patch_name_library.h"

namespace quillon {

namespace {
const char* const SoundingStatus = " Current Sounding Parts: ";
}  // namespace

PerformanceEditor::PerformanceEditor(EditingContext& context, QWidget* parent)
    : QMainWindow(parent), ctx_(context), bindings_(context, SendGuard::FormFilling) {
  setObjectName(QStringLiteral("perfeditform"));
  setWindowTitle(QStringLiteral(" Performance Edit"));
  buildControls();
  bindColumns();
  bindings_.setChangeAlways(changeAlwaysBox_);
  connectWindowButtons();
  connectQuickEdit();
  connectParts();
  connect(&ctx_.notices, &StoreNotifier::changed, this, &PerformanceEditor::storeChanged);
  refillOnReturn(this, [this] { refreshOnActivation(); });
  // Another window moved the page (a part chosen there): the columns show it before the next input.
  connect(&ctx_.cursor, &EditingCursor::pageMoved, this, [this](int page) {
    if (isVisible() && page != page_) fillEditor();
  });

  // The part editors write only the block and offset of the shared address.
  ctx_.store.SysexAddressBuffer.bytes[0] = address::AreaTemporary;
  ctx_.sender.moveMonitorChannel(monitor_default::Channel);
  showPage(0);
}

PerformanceEditor::~PerformanceEditor() = default;

void PerformanceEditor::bindColumns() {
  const PartColumn::Refreshes after{[this] { showSoundingParts(); }, [this] { refreshOverview(); },
                                    [this] { fillEditor(); }};
  for (int column = 0; column < PartsPerPage; ++column)
    columns_[static_cast<std::size_t>(column)]->bind(bindings_,
                                                     PartRef::editorColumn(
                                                         ctx_.cursor, [this] { return page_; }, column),
                                                     after);
}

void PerformanceEditor::connectWindowButtons() {
  const auto onClick = [this](const char* name, auto slot) {
    connect(findChild<QPushButton*>(QLatin1String(name)), &QPushButton::clicked, this, slot);
  };
  onClick("Bdone", [this] {
    emit done();
    close();
  });
  onClick("Bswitch", &PerformanceEditor::switchesRequested);
  onClick("BKeyRange", &PerformanceEditor::keyRangeRequested);
  onClick("Bchorev", &PerformanceEditor::chorusReverbRequested);
  onClick("Befx", &PerformanceEditor::efxRequested);
  onClick("Bnoteout", &PerformanceEditor::noteMonitorRequested);
  onClick("Button2", &PerformanceEditor::reloadTempRequested);
  onClick("BsaveJV", [this] {
    // Until storing into module memory is wired, the button leaves the window where it is.
    if (!isSignalConnected(QMetaMethod::fromSignal(&PerformanceEditor::saveToModuleRequested))) return;
    hide();
    emit saveToModuleRequested();
    showEditor();
  });
  connect(playNoteButton_, &QToolButton::clicked, this, [this](bool on) {
    ctx_.settings.engine.noteOn = on;
    emit playNoteChanged(on);
  });
}

void PerformanceEditor::connectQuickEdit() {
  const auto onClick = [this](const char* name, auto slot) {
    connect(findChild<QPushButton*>(QLatin1String(name)), &QPushButton::clicked, this, slot);
  };
  const PartColumn* first = columns_[0];
  onClick("BAllPan", &PerformanceEditor::allPanToFirst);
  onClick("Bch1_16", [this] {
    ctx_.edit.setAllParts(
        param::PartChannel, [](int p) { return p + 1; }, SendGuard::FormFilling);
    fillEditor();
  });
  onClick("BAllOutLev", [this, first] { allPartsToFirst(param::PartMixEfxSend, first->mixSend()); });
  onClick("BAllCho", [this, first] { allPartsToFirst(param::PartChorusSend, first->chorusSend()); });
  onClick("BAllRev", [this, first] { allPartsToFirst(param::PartReverbSend, first->reverbSend()); });
  onClick("BAllLev", [this, first] { allPartsToFirst(param::PartLevel, first->level()); });
}

void PerformanceEditor::connectParts() {
  for (int column = 0; column < PartsPerPage; ++column) {
    const PartColumn* c = columns_[static_cast<std::size_t>(column)];
    connect(c, &PartColumn::receiveClicked, this, [this, column] { columnReceiveClicked(column); });
    connect(c, &PartColumn::soundClicked, this, [this, column] { columnSoundClicked(column); });
    connect(c, &PartColumn::patchClicked, this, [this, column] { patchClicked(column); });
  }
  connect(overview_, &PartsOverview::partToggled, this, &PerformanceEditor::toggleFromOverview);
  connect(overview_, &PartsOverview::pageChosen, this, &PerformanceEditor::showPage);
}

void PerformanceEditor::showEditor() {
  show();
  raise();
  activateWindow();
}

void PerformanceEditor::setChangeNameAlwaysItem(QAction* item) { name_->setChangeNameAlwaysItem(item); }

void PerformanceEditor::showPlayNote(bool on) { playNoteButton_->setChecked(on); }

QString PerformanceEditor::statusText() const { return status_->text(); }

void PerformanceEditor::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  emit closed();
}

void PerformanceEditor::refreshOnActivation() {
  fillEditor();
  overview_->checkPage(page_);
  playNoteButton_->setChecked(ctx_.settings.engine.noteOn);
}

void PerformanceEditor::showPage(int page) {
  // Without a performance there is nothing to fill the columns with: they
  // keep the parts they show and edit, and so does their page button.
  if (ctx_.store.NoPerformance) {
    overview_->checkPage(page_);
    return;
  }
  // A visible editor refills as the page moves.
  ctx_.cursor.showPage(page);
  if (page_ != ctx_.cursor.partPage() || !isVisible()) fillEditor();
  overview_->checkPage(page_);
}

void PerformanceEditor::fillEditor() {
  if (ctx_.store.NoPerformance) return;
  // Captions and bindings take the page together: a control always edits the part it is labelled with.
  page_ = ctx_.cursor.partPage();
  refreshOverview();
  bool pcm = false;
  {
    BindingSet::Filling filling(bindings_);
    fillColumnHeads();
    name_->showStored();
    pcm = fillPatchCaptions();
    bindings_.refresh();
    fillPanIndicators();
    showSoundingParts();
  }
  overview_->showPatchNames(ctx_.store.PartPatchNames);
  showWhatIsEdited();
  // After the fill: the box's own loop must not run with the controls half filled.
  if (pcm) announcePcmOnce();
}

void PerformanceEditor::showWhatIsEdited() {
  // Edits go to the module's Temporary Performance; a listed performance shown
  // here is sent there before the first edit, and the edits go into its entry.
  const PerformanceStore& s = ctx_.store;
  QString text = QStringLiteral("Temporary Performance");
  if (!s.FromTemp) {
    const int entry = std::clamp(s.SelectedIndex, 0, PerformanceListSize - 1);
    text = QStringLiteral("%1 %2 = %3")
               .arg(QString::fromLatin1(kindText(s.ListInfo[static_cast<std::size_t>(entry)].kind)))
               .arg(entry + 1)
               .arg(nameFieldText(s.PerformanceList[static_cast<std::size_t>(entry)].common).trimmed());
    if (!s.TempSent) text += QStringLiteral(", sent to the Temporary Performance at the first edit");
  }
  pageCaption_->setText(text);
  pageCaption_->setAccessibleName(QStringLiteral("Editing: ") + text);
}

void PerformanceEditor::fillColumnHeads() {
  const auto& parts = ctx_.store.TempPerformance.parts;
  for (int column = 0; column < PartsPerPage; ++column) {
    const int p = partOf(column);
    const bool drum = page_ == DrumPage && column == DrumColumn;
    columns_[static_cast<std::size_t>(column)]->showHead(
        p, parts[static_cast<std::size_t>(p)][part::ReceiveSwitch] != 0, drum);
  }
}

bool PerformanceEditor::fillPatchCaptions() {
  auto& s = ctx_.store;
  bool pcm = false;
  for (int column = 0; column < PartsPerPage; ++column) {
    const int p = partOf(column);
    const auto& r = s.TempPerformance.parts[static_cast<std::size_t>(p)];
    // A PCM-card patch has no name list; the library's box is shown once per performance instead.
    const bool pcmPatch = r[part::PatchGroupType] == group_type::PcmCard;
    pcm = pcm || pcmPatch;
    const std::string name = pcmPatch ? std::string() : partSoundName(r, p, ctx_.names);
    s.PartPatchNames[static_cast<std::size_t>(p)] = name;
    columns_[static_cast<std::size_t>(column)]->showPatch(p, QString::fromStdString(name));
  }
  return pcm;
}

void PerformanceEditor::announcePcmOnce() {
  std::vector<Byte> patches;
  for (const auto& r : ctx_.store.TempPerformance.parts)
    patches.insert(patches.end(), r.begin() + part::PatchGroupType, r.begin() + part::PatchNumberLow + 1);
  if (pcmAnnouncedFor_ == patches) return;
  pcmAnnouncedFor_ = std::move(patches);
  ctx_.host.showInfo(std::string(PcmCardMessage));
}

void PerformanceEditor::fillPanIndicators() {
  for (int column = 0; column < PartsPerPage; ++column)
    columns_[static_cast<std::size_t>(column)]->showPanPosition(
        ctx_.store.TempPerformance.parts[static_cast<std::size_t>(partOf(column))][part::Pan]);
}

void PerformanceEditor::refreshOverview() {
  overview_->showParts(ctx_.store.TempPerformance, page_);
  overview_->showPatchNames(ctx_.store.PartPatchNames);
  showSoundingParts();
}

void PerformanceEditor::showSoundingParts() {
  const PerformanceRecord& record = ctx_.store.TempPerformance;
  const int channel = ctx_.host.monitorChannel();
  const auto sounds = [&](int p) {
    const auto& r = record.parts[static_cast<std::size_t>(p)];
    return r[part::ReceiveChannel] == shown::channelToStored(channel) && r[part::ReceiveSwitch] == 1;
  };
  for (int column = 0; column < PartsPerPage; ++column)
    columns_[static_cast<std::size_t>(column)]->showSounding(sounds(partOf(column)));
  overview_->showSounding(record, sounds);
  QString list;
  for (int p = 0; p < address::PartCount; ++p)
    if (sounds(p)) list += QString::number(p + 1) + QStringLiteral(", ");
  const QString status = QString::fromLatin1(SoundingStatus) + list;
  if (status_->text() != status) status_->setText(status);
}

void PerformanceEditor::columnReceiveClicked(int column) {
  ctx_.cursor.touchColumn(page_, column);
  const int p = partOf(column);
  const int value = ctx_.edit.storedValue(param::PartReceiveSwitch, p) == 0 ? 1 : 0;
  ctx_.edit.set(param::PartReceiveSwitch, p, value, SendGuard::FormFilling);
  ctx_.host.debugLine("data " + std::to_string(value) + "PerP " +
                      std::to_string(ctx_.edit.storedValue(param::PartReceiveSwitch, p)));
  fillEditor();
}

void PerformanceEditor::columnSoundClicked(int column) {
  // The sender moves the test channel to this part's channel, so the pad plays it.
  ctx_.cursor.touchColumn(page_, column);
  ctx_.edit.set(param::PartReceiveSwitch, partOf(column), 1, SendGuard::FormFilling);
  fillEditor();
}

void PerformanceEditor::patchClicked(int column) {
  ctx_.cursor.touchColumn(page_, column);
  emit patchSelectRequested(partOf(column));
  fillEditor();
}

void PerformanceEditor::toggleFromOverview(int p) {
  const int value = ctx_.edit.storedValue(param::PartReceiveSwitch, p) == 0 ? 1 : 0;
  // The columns and the eight-part windows move to the part toggled.
  ctx_.cursor.touchPart(p);
  ctx_.edit.set(param::PartReceiveSwitch, p, value, SendGuard::FormFilling);
  fillEditor();
  overview_->checkPage(page_);
}

void PerformanceEditor::allPanToFirst() {
  const int pan = columns_[0]->pan();
  ctx_.edit.beginGroup();
  // The other columns take the value through their own change handling, which sends for their parts.
  for (int column = 1; column < PartsPerPage; ++column) columns_[static_cast<std::size_t>(column)]->setPan(pan);
  ctx_.edit.setAllParts(
      param::PartPan, [pan](int) { return pan; }, SendGuard::FormFilling);
  ctx_.edit.endGroup();
  refreshOverview();
}

void PerformanceEditor::allPartsToFirst(const Parameter& parameter, int shown) {
  ctx_.edit.setAllParts(
      parameter, [shown](int) { return shown; }, SendGuard::FormFilling);
  fillEditor();
}

void PerformanceEditor::storeChanged(const StoreChange& change) {
  if (!isVisible()) return;  // showing the window fills it
  if (change.isEverything()) {
    if (fillPending_) return;
    fillPending_ = true;
    QTimer::singleShot(0, this, [this] {
      fillPending_ = false;
      if (isVisible()) fillEditor();
    });
    return;
  }
  // An undo, the module or a rename elsewhere changed the name.
  if (change.touches(address::AreaTemporary, address::BlockCommon, common::Name, PerformanceNameLength))
    name_->showStored();
  if (change.area != address::AreaTemporary || displaysPending_) return;
  // The bound controls are refreshed by their bindings; the captions, colours
  // and the overview follow once the sending handler has returned.
  displaysPending_ = true;
  QTimer::singleShot(0, this, [this] {
    displaysPending_ = false;
    if (isVisible()) refreshDisplays();
  });
}

void PerformanceEditor::refreshDisplays() {
  if (ctx_.store.NoPerformance) return;
  showWhatIsEdited();
  refreshOverview();
  fillColumnHeads();
  fillPatchCaptions();
  fillPanIndicators();
  overview_->showPatchNames(ctx_.store.PartPatchNames);
}

}  // namespace quillon
