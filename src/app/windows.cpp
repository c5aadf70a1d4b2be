#include "app/windows.h"
#include "app/find_module_dialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>

#include <cstdio>

#include "app/midi_settings_dialog.h"
#include "app/program_application.h"
#include "app/window_placement.h"
#include "controls/fader_base.h"

namespace quillon {

ProgramWindows::ProgramWindows(AppContext& context)
    : mainWindow(std::make_unique<MainWindow>(context)),
      progressDialog(std::make_unique<TransferProgressDialog>()),
      splashScreen(std::make_unique<SplashScreen>()),
      debugWindow(std::make_unique<DebugWindow>()),
      monitorWindow(std::make_unique<MonitorWindow>(
          context, [this](int panel, const QString& text) { mainWindow->setStatusPanel(panel, text); })),
      messageLog(std::make_unique<MessageLogWindow>()),
      saveDialog(std::make_unique<SaveChoiceDialog>()),
      storeDialog(std::make_unique<StoreToModuleDialog>(context.store)),
      kindDialog(std::make_unique<PerformanceKindDialog>(context.store)),
      dumpReceiver(std::make_unique<DumpReceiverWindow>(context, context.ports.link())),
      libraryWindow(std::make_unique<LibraryWindow>(context, mainWindow->libraryFeed())),
      performanceEditor(std::make_unique<PerformanceEditor>(context.editing)),
      partSwitches(std::make_unique<PartSwitchesWindow>(context.editing)),
      keyRange(std::make_unique<KeyRangeWindow>(context.editing)),
      mixer(std::make_unique<MidiMixer>(context.editing)),
      efxWindow(std::make_unique<EfxWindow>(context.editing)),
      chorusReverbWindow(std::make_unique<ChorusReverbWindow>(context.editing)),
      patchFinder(std::make_unique<PatchFinder>(context.editing)),
      patchSelect(std::make_unique<PatchSelectWindow>(context.editing, *patchFinder)),
      compareWindow(std::make_unique<CompareWindow>(context)),
      sheets(std::make_unique<SheetOutput>(context)),
      context_(context) {
  mainWindow->windows = {progressDialog.get(), splashScreen.get(), debugWindow.get(), monitorWindow.get(),
                         messageLog.get(),     saveDialog.get(),   storeDialog.get(), kindDialog.get()};
  connectHost(context);
  routePortsToContext();
  // After the monitor and the main window: they show what opened.
  if (context.store.MidiClosed) context.ports.openFromSettings();
  for (QWidget* window : allWindows()) placement::keepOnScreen(window);
  context.host.onMixerControlChange = [this](Byte s, Byte d1, Byte d2) { mixer->controlChangeArrived(s, d1, d2); };
  QObject::connect(mainWindow.get(), &MainWindow::mixerRequested, mixer.get(), &MidiMixer::showAndRaise);
  storeDialog->readSlotName = [&context](bool card, int slot) {
    return context.bankTransfer.readSlotName(card ? BankArea::Card : BankArea::User, slot);
  };
  context.edit.setBeforeEdit([this] { return tempHoldsShownPerformance(); });
  connectPerformanceEditor();
  connectDumpReceiver();
  connectLibraryWindow();
  connectEditingWindows();
  connectPatchWindows();
  connectCompareWindow();
  connectSheets();
  // Queued: the first activation asks from inside an event handler.
  QObject::connect(
      mainWindow.get(), &MainWindow::settingsRequested, mainWindow.get(), [this] { openSettingsDialog(); },
      Qt::QueuedConnection);
  QObject::connect(
      mainWindow.get(), &MainWindow::firstRunSettingsRequested, mainWindow.get(), [this] { runFirstTimeSettings(); },
      Qt::QueuedConnection);
}

void ProgramWindows::runUnattended() {
  unattended_ = true;
  context_.host.onShowInfo = [](const std::string& text) { std::fprintf(stderr, "%s\n", qPrintable(infoText(text))); };
  context_.host.onAsk = [](const std::string&) { return false; };
}

void ProgramWindows::runFirstTimeSettings() {
  if (unattended_) return;
  context_.host.showInfo(MonitorWindow::FirstRunText);
  openSettingsDialog();
}

void ProgramWindows::routePortsToContext() {
  reopenPorts = [this](const PortChoice& out, const PortChoice& in, std::optional<PortChoice> keyboard) {
    return context_.ports.reopen(out, in, keyboard);
  };
  closePorts = [this] { context_.ports.close(); };
}

void ProgramWindows::connectPerformanceEditor() {
  PerformanceEditor* editor = performanceEditor.get();
  MainWindow* main = mainWindow.get();
  QObject::connect(main, &MainWindow::editRequested, editor, &PerformanceEditor::showEditor);
  QObject::connect(editor, &PerformanceEditor::closed, main, [main] {
    main->showPatchesUsed();
    main->show();
    main->raise();
  });
  QObject::connect(editor, &PerformanceEditor::reloadTempRequested, main, &MainWindow::getTempRequested);
  // Between hiding and showing the editor again.
  QObject::connect(editor, &PerformanceEditor::saveToModuleRequested, main, &MainWindow::storeToModule);
  QObject::connect(editor, &PerformanceEditor::noteMonitorRequested, monitorWindow.get(), [this] {
    monitorWindow->show();
    monitorWindow->raise();
  });
  // The editor's SpPlay and the menu's "Play Note On/Off" are one setting.
  QObject::connect(editor, &PerformanceEditor::playNoteChanged, main, [this](bool on) { playNoteSet(on); });
  QObject::connect(main->playNoteAction(), &QAction::toggled, editor, &PerformanceEditor::showPlayNote);
  editor->setChangeNameAlwaysItem(main->changeNameAlwaysAction());
  QObject::connect(editor, &PerformanceEditor::switchesRequested, partSwitches.get(),
                   &PartSwitchesWindow::showAndRaise);
  QObject::connect(editor, &PerformanceEditor::keyRangeRequested, keyRange.get(), &KeyRangeWindow::showAndRaise);
  QObject::connect(editor, &PerformanceEditor::done, partSwitches.get(), &QWidget::hide);
}

void ProgramWindows::connectDumpReceiver() {
  DumpReceiverWindow* receiver = dumpReceiver.get();
  QObject::connect(mainWindow.get(), &MainWindow::receiveDumpRequested, receiver, &DumpReceiverWindow::startReceiving);
  receiver->takeList = [this, receiver](PerformanceKind area) {
    return mainWindow->replaceListWith("the dump", [receiver, area](PerformanceStore& store) {
      receiver->receiver().capture()->putIntoStore(store, area);
    });
  };
}

void ProgramWindows::connectLibraryWindow() {
  MainWindow* main = mainWindow.get();
  QObject::connect(main, &MainWindow::libraryRequested, libraryWindow.get(), &LibraryWindow::showAndRaise);
  QObject::connect(main, &MainWindow::libraryImported, libraryWindow.get(), [this] {
    if (libraryWindow->isVisible()) libraryWindow->refresh();
  });
  libraryWindow->commands = {
      [main] { return main->transferRunning(); },
      [main](const PerformanceRecord& r) { return main->auditionPerformance(r); },
      [main](const PerformanceRecord& r, const std::string& name) { return main->openPerformance(r, name); },
      [main](const PerformanceRecord& r, int slot) { return main->putIntoList(r, slot); },
      [main](BankArea area, const std::vector<PerformanceRecord>& records) {
        return main->sendBuiltBank(area, records);
      },
      [this](const PerformanceRecord& r, const std::string& name) {
        using Kind = CompareWindow::SourceKind;
        const int index = compareWindow->addOutside(QStringLiteral("Library: ") + QString::fromStdString(name), r);
        compareWindow->compare({Kind::Outside, index}, {Kind::Temporary, 0});
      },
      [main](const std::string& path, int position) {
        return main->openPathAt(QString::fromStdString(path), position);
      },
  };
}

void ProgramWindows::playNoteSet(bool on) { mainWindow->playNoteAction()->setChecked(on); }

void ProgramWindows::connectPatchWindows() {
  PerformanceEditor* editor = performanceEditor.get();
  PatchSelectWindow* select = patchSelect.get();
  QObject::connect(editor, &PerformanceEditor::patchSelectRequested, select, &PatchSelectWindow::showForPart);
  QObject::connect(editor, &PerformanceEditor::done, select, &QWidget::hide);
  // The finder's "Sound for .. sec." is the same setting as the menu's "Play Note On/Off".
  QObject::connect(patchFinder.get(), &PatchFinder::playNoteChanged, mainWindow.get(),
                   [this](bool on) { playNoteSet(on); });
  // The monitor's own breath slider sends the controller.
  auto* breath = monitorWindow->findChild<FaderBase*>(QStringLiteral("SbNoteB"));
  QObject::connect(patchFinder.get(), &PatchFinder::breathChanged, breath, &FaderBase::setPosition);
}

void ProgramWindows::connectCompareWindow() {
  CompareWindow* compare = compareWindow.get();
  using Kind = CompareWindow::SourceKind;
  compare->sendTemp = [this] { return mainWindow->sendTemp(); };
  compare->chooseFile = [this, compare] {
    return QFileDialog::getOpenFileName(compare, QStringLiteral("Open a file to compare"),
                                        mainWindow->fileDialogFolder(),
                                        QStringLiteral("SysEx or MIDI files (*.syx *.mid *.midi);;All files (*)"));
  };
  // From the grid: the entry against the Temporary Performance; from the editor:
  // what it edits against the same performance before the edits.
  QObject::connect(mainWindow.get(), &MainWindow::compareRequested, compare, [compare](int index) {
    compare->compare({Kind::ListEntry, index}, {Kind::Temporary, 0});
  });
  QObject::connect(performanceEditor.get(), &PerformanceEditor::compareRequested, compare, [compare] {
    compare->compare({Kind::AsLoaded, 0}, {Kind::Temporary, 0});
  });
}

void ProgramWindows::connectSheets() {
  SheetOutput* out = sheets.get();
  MainWindow* main = mainWindow.get();
  out->chooseFile = [main](const QString& proposed) {
    return QFileDialog::getSaveFileName(main, QStringLiteral("Export Sheet"),
                                        QDir(main->fileDialogFolder()).filePath(proposed),
                                        QString::fromLatin1(SheetFileFilter));
  };
  out->choosePrinter = [main](QPrinter& printer) {
    QPrintDialog dialog(&printer, QApplication::activeWindow() ? QApplication::activeWindow() : main);
    return dialog.exec() == QDialog::Accepted;
  };
  QObject::connect(main, &MainWindow::printRequested, main, [out](int i) { out->print({out->listEntry(i)}); });
  QObject::connect(main, &MainWindow::exportRequested, main, [out](int i) { out->exportSheets({out->listEntry(i)}); });
  QObject::connect(main, &MainWindow::printListRequested, main, [out] { out->print(out->wholeList()); });
  QObject::connect(main, &MainWindow::exportListRequested, main, [out] { out->exportSheets(out->wholeList()); });
  PerformanceEditor* editor = performanceEditor.get();
  QObject::connect(editor, &PerformanceEditor::printRequested, editor, [out] { out->print({out->shownEntry()}); });
  QObject::connect(editor, &PerformanceEditor::exportRequested, editor,
                   [out] { out->exportSheets({out->shownEntry()}); });
}

void ProgramWindows::openSettingsDialog() {
  MidiSettingsDialog dialog(context_, {reopenPorts, closePorts}, midi::systemMidiBackend(), mainWindow.get());
  dialog.exec();
}

void ProgramWindows::offerFindModule() {
  if (!context_.host.ask(find_text::Offer)) return;
  ModuleLink& link = context_.ports.link();
  const bool wasOpen = link.isOpen();
  const PortChoice out{0, link.outputName()}, in{0, link.inputName()};
  std::optional<PortChoice> keyboard;
  if (link.keyboard()) keyboard = PortChoice{0, link.keyboard()->ProductName()};
  context_.ports.close();
  FindModuleDialog search(context_, midi::systemMidiBackend(), mainWindow.get());
  const auto chosen = search.findAndOffer(context_.engineSettings.sysDly);
  if (!chosen) {
    if (wasOpen) reopenPorts(out, in, keyboard);
    return;
  }
  DeviceSettings& s = context_.settings;
  s.engine.unitId = chosen->unitId;
  s.Midi_Out = chosen->out.number;
  s.Midi_OutName = QString::fromStdString(chosen->out.name);
  s.Midi_In1 = chosen->in.number;
  s.Midi_In1Name = QString::fromStdString(chosen->in.name);
  if (const QString error = s.WriteSettings(); !error.isEmpty()) context_.host.showInfo(error.toStdString());
  context_.applySettings();
  const std::string error = reopenPorts(chosen->out, chosen->in, keyboard);
  if (!error.empty()) context_.host.showInfo("The MIDI ports did not open: " + error);
}

void ProgramWindows::connectEditingWindows() {
  // The effect windows open each other; the main window and the performance editor open both.
  QObject::connect(mainWindow.get(), &MainWindow::efxRequested, efxWindow.get(), &EfxWindow::showAndRaise);
  QObject::connect(mainWindow.get(), &MainWindow::chorusReverbRequested, chorusReverbWindow.get(),
                   &ChorusReverbWindow::showAndRaise);
  QObject::connect(performanceEditor.get(), &PerformanceEditor::efxRequested, efxWindow.get(),
                   &EfxWindow::showAndRaise);
  QObject::connect(performanceEditor.get(), &PerformanceEditor::chorusReverbRequested, chorusReverbWindow.get(),
                   &ChorusReverbWindow::showAndRaise);
  QObject::connect(efxWindow.get(), &EfxWindow::chorusReverbRequested, chorusReverbWindow.get(),
                   &ChorusReverbWindow::showAndRaise);
  QObject::connect(chorusReverbWindow.get(), &ChorusReverbWindow::efxRequested, efxWindow.get(),
                   &EfxWindow::showAndRaise);
}

std::vector<QWidget*> ProgramWindows::allWindows() const {
  return {mainWindow.get(),    progressDialog.get(),     splashScreen.get(), debugWindow.get(), monitorWindow.get(),
          messageLog.get(),    saveDialog.get(),         storeDialog.get(),  kindDialog.get(),  dumpReceiver.get(),
          libraryWindow.get(), performanceEditor.get(),  partSwitches.get(), keyRange.get(),    mixer.get(),
          efxWindow.get(),     chorusReverbWindow.get(), patchSelect.get(),  patchFinder.get(), compareWindow.get()};
}

bool ProgramWindows::tempHoldsShownPerformance() {
  const PerformanceStore& s = context_.store;
  if (s.FromTemp || s.TempSent || s.NoPerformance) return true;
  mainWindow->sendTemp();
  return s.TempSent;
}

ProgramWindows::~ProgramWindows() {
  context_.edit.setBeforeEdit({});
  if (auto* app = dynamic_cast<ProgramApplication*>(QCoreApplication::instance())) app->setFailureReport({});
  // Each window is owned here alone (none has a Qt parent); the main window goes last.
  sheets.reset();
  compareWindow.reset();
  patchSelect.reset();
  patchFinder.reset();
  chorusReverbWindow.reset();
  efxWindow.reset();
  context_.host.onMixerControlChange = nullptr;
  mixer.reset();
  keyRange.reset();
  partSwitches.reset();
  performanceEditor.reset();
  libraryWindow.reset();
  kindDialog.reset();
  storeDialog.reset();
  saveDialog.reset();
  messageLog.reset();
  // The ports outlive the windows (the context owns them), but not their use.
  context_.ports.close();
  monitorWindow.reset();
  debugWindow.reset();
  splashScreen.reset();
  progressDialog.reset();
  mainWindow.reset();
}

void ProgramWindows::connectHost(AppContext& context) {
  AppHost& host = context.host;
  // A failure thrown while a command runs is told like everything else.
  if (auto* app = dynamic_cast<ProgramApplication*>(QCoreApplication::instance()))
    app->setFailureReport([&host](const std::string& text) { host.showInfo(text); });
  host.attachLog(messageLog.get());
  host.attachDebug(debugWindow.get());
  host.setInfoParent(mainWindow.get());
  // Logging runs while the log window can be opened to read it: closing it stops
  // the log (and says so), opening it again goes on.
  QObject::connect(messageLog.get(), &MessageLogWindow::closedByUser, mainWindow.get(), [this, &context] {
    context.store.LogEnabled = false;
    mainWindow->setStatus(
        QStringLiteral("The SysEx log is off while its window is closed (Options > Syx Message View)."));
  });
  QObject::connect(messageLog.get(), &MessageLogWindow::opened, [&context] { context.store.LogEnabled = true; });
  TransferProgressDialog* waiting = progressDialog.get();
  // Cancel in the wait window stops the running transfer at once.
  QObject::connect(waiting, &TransferProgressDialog::cancelRequested, mainWindow.get(), &MainWindow::cancelTransfer);
  // The menu's MIDI-thru item and the monitor's check box are one switch.
  QAction* thruItem = mainWindow->midiThruAction();
  thruItem->setChecked(monitorWindow->midiThru());
  QObject::connect(thruItem, &QAction::toggled, monitorWindow.get(), &MonitorWindow::setMidiThru);
  QObject::connect(monitorWindow.get(), &MonitorWindow::midiThruChanged, thruItem, &QAction::setChecked);
  // The module's input (lime) also lights the wait window's in-lamp.
  host.onLightIn = [waiting, monitorIn = host.onLightIn](LedColour colour) {
    if (monitorIn) monitorIn(colour);
    if (colour == LedColour::Lime) waiting->lightIn();
  };
  host.onStartResponseTimer = [this] { mainWindow->startResponseTimer(); };
  host.onStopResponseTimer = [this] { mainWindow->timerMidiIn()->stop(); };
  // Queued: the transfer that found the module silent ends first.
  host.onModuleSilent = [this] {
    if (std::exchange(findOffered_, true)) return;
    QMetaObject::invokeMethod(
        mainWindow.get(), [this] { offerFindModule(); }, Qt::QueuedConnection);
  };
}

void ProgramWindows::placeAtStart() {
  MainWindow* main = mainWindow.get();
  MonitorWindow* monitor = monitorWindow.get();
  monitor->adjustSize();
  // The size each will show with: a layout never lets a window below its minimum.
  main->resize(main->size().expandedTo(main->minimumSizeHint()));
  const QRect area = placement::availableArea(main->pos());
  if (monitor->hasStoredPosition()) {
    // Where the user last had it (placed on the screen when it was created).
    placement::placeOnScreen(main, area.topLeft());
    return;
  }
  // First placement: side by side. On a narrow screen the main window, then
  // the monitor, give up width (down to their minimum), then the gap between them.
  fitInto(main, area);
  fitInto(monitor, area);
  int excess = placement::frameOf(main).width() + WindowGap + placement::frameOf(monitor).width() - area.width();
  for (QWidget* window : std::initializer_list<QWidget*>{main, monitor}) {
    const int spare = std::min(std::max(excess, 0), window->width() - window->minimumSizeHint().width());
    if (spare > 0) window->resize(window->width() - spare, window->height());
    excess -= std::max(spare, 0);
  }
  const int gap = std::clamp(WindowGap - excess, 0, WindowGap);
  placement::placeOnScreen(main, area.topLeft());
  const QRect mainFrame = placement::frameOf(main);
  const QRect monitorFrame = placement::frameOf(monitor);
  if (mainFrame.width() + gap + monitorFrame.width() <= area.width())
    placement::placeOnScreen(monitor, {mainFrame.right() + 1 + gap, area.top()});
  else if (mainFrame.height() + WindowGap + monitorFrame.height() <= area.height())
    placement::placeOnScreen(monitor, {area.left(), mainFrame.bottom() + 1 + WindowGap});
  else  // no room for both: the corner farthest from the main window's menus and buttons
    placement::placeOnScreen(monitor, area.bottomRight() - QPoint(monitorFrame.width() - 1, monitorFrame.height() - 1));
}

void ProgramWindows::fitInto(QWidget* window, const QRect& area) {
  const QMargins m = placement::frameMargins(window);
  const QSize room = area.size().shrunkBy(m);
  window->resize(window->size().boundedTo(room).expandedTo(window->minimumSizeHint()));
}

void ProgramWindows::showAtStart() {
  placeAtStart();
  mainWindow->show();
  mainWindow->activateWindow();
  monitorWindow->show();
  QTimer::singleShot(0, mainWindow.get(), &MainWindow::ensureActivated);
}

}  // namespace quillon
