// The note and controller monitor on the offscreen platform: what it sends to
// the port and in which order, the host's view of its controls, the
// indicators, and opening good, missing and bad ports.

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <map>

#include "app/monitor_window.h"
#include "app/transfer_progress_dialog.h"
#include "app/windows.h"
#include "app_fixture.h"
#include "controls/led_gauge.h"
#include "controls/value_fader.h"
#include "controls/text_fader.h"
#include "controls/roll_spin_box.h"
#include "engine/slider_texts.h"
#include "midi/midi_backend.h"
#include "midi/virtual_backend.h"

using namespace quillon;

namespace {

// One output and one input device that keep what is sent and let the test
// play the module's side; any other device number fails to open like a port
// that vanished.
class RecordingBackend : public midi::MidiBackend {
 public:
  std::vector<Bytes> sent;
  bool failSends = false;
  midi::InputHandler input;  // the last opened input's handler

  std::vector<std::string> outputNames() override { return {"Rec out"}; }
  std::vector<std::string> inputNames() override { return {"Rec in", "Rec keys"}; }
  std::unique_ptr<midi::OutputConnection> openOutput(std::size_t device, const std::string&) override {
    if (device != 0) throw midi::MidiBackendError("no output device " + std::to_string(device));
    return std::make_unique<Output>(*this);
  }
  std::unique_ptr<midi::InputConnection> openInput(std::size_t device, const std::string&,
                                                   midi::InputHandler handler) override {
    if (device > 1) throw midi::MidiBackendError("no input device " + std::to_string(device));
    if (device == 0) input = std::move(handler);
    return std::make_unique<midi::InputConnection>();
  }

 private:
  class Output : public midi::OutputConnection {
   public:
    explicit Output(RecordingBackend& b) : b_(b) {}
    void send(std::span<const Byte> m) override {
      if (b_.failSends) throw midi::MidiBackendError("device unplugged");
      b_.sent.emplace_back(m.begin(), m.end());
    }

   private:
    RecordingBackend& b_;
  };
};

Bytes msg(Byte s, Byte d1, Byte d2) { return {s, d1, d2}; }

std::vector<Bytes> allChannelsOff() {
  std::vector<Bytes> v;
  for (int c = 0; c < 16; ++c) v.push_back(msg(static_cast<Byte>(0xB0 + c), 0x78, 0x00));
  return v;
}

template <typename T>
T* child(QWidget& w, const char* name) {
  T* c = w.findChild<T*>(QLatin1String(name));
  if (!c) qFatal("no child %s", name);
  return c;
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
  QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// Grabs the cap and moves it `steps` times by 4 pixels up; returns before the release.
void dragCap(FaderBase* fader, int steps) {
  QPoint at(fader->width() / 2, fader->thumbCentreY());
  mouse(fader, QEvent::MouseButtonPress, at, Qt::LeftButton);
  for (int i = 0; i < steps; ++i) {
    at.ry() -= 4;
    mouse(fader, QEvent::MouseMove, at, Qt::LeftButton);
  }
}

void release(FaderBase* fader) {
  mouse(fader, QEvent::MouseButtonRelease, QPoint(fader->width() / 2, fader->thumbCentreY()), Qt::NoButton);
}

// A monitor on an open recording port, on settings of a configured install.
struct Rig {
  RecordingBackend backend;
  testing::TestContext t;
  std::map<int, QString> panels;
  std::unique_ptr<MonitorWindow> form;

  explicit Rig(bool sepKB = false, int out = 0) {
    AppContext& c = *t.context;
    c.settings.FirstRun = false;
    c.settings.Midi_Out = out;
    c.settings.Midi_In1 = 0;
    c.settings.Midi_In2 = 1;
    c.settings.SepKB = sepKB;
    c.ports.useBackend(backend);
    form = std::make_unique<MonitorWindow>(c, [this](int p, const QString& text) { panels[p] = text; });
    c.ports.openFromSettings();
    form->resize(260, 420);
    form->show();
    backend.sent.clear();
  }
  AppContext& ctx() { return *t.context; }
  template <typename T>
  T* get(const char* name) {
    return child<T>(*form, name);
  }
};

}  // namespace

class NoteOutFormTest : public QObject {
  Q_OBJECT
 private slots:
  void showsShortMessagesBlankPadded();
  void startsWithItsControlsAndCaptions();
  void hostAnswersFromTheMonitorAndFallsBackWithout();
  void channelChangeSilencesAllChannelsBeforeWhatFollows();
  void allOffSilencesAllChannels();
  void slidersPlayNotesAndControllers();
  void dragsFollowTheAlwaysSwitch();
  void indicatorsGoBackToGreen();
  void switchesReachTheHost();
  void moduleInputIsShownAndPassedOnRechannelled();
  void firstRunOpensTheVirtualModule();
  void noInputDeviceLeavesPortsClosed();
  void badDeviceIsReportedAndLeavesMidiClosed();
  void keyboardPortOpensWithSeparateKeyboard();
  void reopenReportsErrorsToTheCaller();
  void portFailureWhileSendingIsReported();
  void windowDetails();
  void startUpMakesItTheMonitor();
};

void NoteOutFormTest::showsShortMessagesBlankPadded() {
  QCOMPARE(monitorText(0x90, 0x05, 0x7F), QStringLiteral("90  5 7F"));
  QCOMPARE(monitorText(0x00, 0x00, 0x00), QStringLiteral(" 0  0  0"));
  QCOMPARE(monitorText(0xB3, 0xAB, 0x0C), QStringLiteral("B3 AB  C"));
  Rig r;
  r.form->showMessage(0x90, 0x05, 0x7F);
  QCOMPARE(r.get<QLabel>("LmidiOut")->text(), QStringLiteral("90  5 7F"));
  QCOMPARE(r.get<LedGauge>("LGIn")->Value(), 0x7F);
  // Data 2 of 0 is kept as the gauge's smallest value rather than refused.
  r.form->showMessage(0x80, 0x3C, 0x00);
  QCOMPARE(r.get<QLabel>("LmidiOut")->text(), QStringLiteral("80 3C  0"));
  QVERIFY(r.get<LedGauge>("LGIn")->litCount() <= 1);
}

void NoteOutFormTest::startsWithItsControlsAndCaptions() {
  Rig r;
  QCOMPARE(r.form->windowTitle(), QStringLiteral("Send Note - Controller"));
  QCOMPARE(r.get<QLabel>("LmidiOut")->text(), QStringLiteral("00 00 00"));
  QCOMPARE(r.get<TextFader>("SbNoteH")->Position(), 65);
  QCOMPARE(r.get<TextFader>("SbNoteH")->Text(), QString::fromStdString(std::string(texts::noteName(65))));
  QCOMPARE(r.get<ValueFader>("SbNoteV")->Position(), 64);
  QCOMPARE(r.get<ValueFader>("SbNoteB")->Position(), 64);
  QCOMPARE(r.get<RollSpinBox>("SpChan")->Value(), 1);
  QCOMPARE(r.get<RollSpinBox>("SpChan")->MinValue(), 1);
  QCOMPARE(r.get<RollSpinBox>("SpChan")->MaxValue(), 16);
  QCOMPARE(r.get<QPushButton>("SpAllOff")->text(), QStringLiteral("All Off"));
  QCOMPARE(r.get<QPushButton>("SpAllOff")->toolTip(), QStringLiteral("Stop it!"));
  QCOMPARE(r.get<QCheckBox>("ChCord")->text(), QStringLiteral("Cord"));
  QVERIFY(!r.get<QCheckBox>("ChCord")->isChecked());
  QCOMPARE(r.get<QCheckBox>("ChAlways")->text(), QStringLiteral("Always"));
  QVERIFY(r.get<QCheckBox>("ChAlways")->isChecked());
  QCOMPARE(r.get<QCheckBox>("CbMiditrue")->text(), QStringLiteral("Midi-thru"));
  QCOMPARE(r.get<QCheckBox>("CbMiditrue")->toolTip(), QStringLiteral("Only for XP series"));
  QVERIFY(r.get<QCheckBox>("CbMiditrue")->isChecked());
  QVERIFY(r.get<QLabel>("Lkb")->isHidden());
  QVERIFY(r.get<QPushButton>("BReset")->isHidden());
  QCOMPARE(r.get<LedGauge>("LGIn")->Count(), 61);
  QCOMPARE(r.form->timer1()->objectName(), QStringLiteral("Timer1"));
  QCOMPARE(r.form->timer1()->interval(), 175);
  QVERIFY(r.get<ActivityLed>("LedIn"));
  QVERIFY(r.get<ActivityLed>("LedOut"));
  bool labels[2] = {false, false};
  for (QLabel* l : r.form->findChildren<QLabel*>()) {
    labels[0] |= l->text() == QStringLiteral("C-1..G7   Velocity");
    labels[1] |= l->text() == QStringLiteral("Breath    Mod     Express");
  }
  QVERIFY(labels[0] && labels[1]);
  // Setting the start values sends nothing.
  QVERIFY(r.backend.sent.empty());
}

void NoteOutFormTest::hostAnswersFromTheMonitorAndFallsBackWithout() {
  RecordingBackend backend;  // outlives the context's ports
  testing::TestContext t;
  AppHost& host = t.context->host;
  QCOMPARE(host.monitorChannel(), 1);
  QCOMPARE(host.testNote(), 65);
  QCOMPARE(host.testVelocity(), 64);
  QVERIFY(!host.chordOn());
  QVERIFY(host.midiThru());
  host.setTestNote(10);
  t.context->ports.useBackend(backend);
  {
    t.context->settings.FirstRun = false;
    MonitorWindow form(*t.context);
    QCOMPARE(host.monitor(), static_cast<MonitorState*>(&form));
    QCOMPARE(host.testNote(), 65);  // the slider, not the plain member
    child<TextFader>(form, "SbNoteH")->setPosition(72);
    child<ValueFader>(form, "SbNoteV")->setPosition(99);
    QCOMPARE(host.testNote(), 72);
    QCOMPARE(host.testVelocity(), 99);
    host.setMonitorChannel(7);
    QCOMPARE(child<RollSpinBox>(form, "SpChan")->Value(), 7);
    QCOMPARE(host.monitorChannel(), 7);
    host.setMonitorChannel(40);  // out of range is held at the last channel
    QCOMPARE(host.monitorChannel(), 16);
  }
  QVERIFY(host.monitor() == nullptr);
  QCOMPARE(host.testNote(), 10);
  QCOMPARE(host.monitorChannel(), 1);
  QVERIFY(!host.onLightOut);
}

void NoteOutFormTest::channelChangeSilencesAllChannelsBeforeWhatFollows() {
  Rig r;
  r.ctx().applySettings();
  r.ctx().sender.moveMonitorChannel(2);
  r.ctx().sender.PlayTestNote();
  std::vector<Bytes> want = allChannelsOff();
  want.push_back(msg(0xB1, 0x78, 0x00));
  want.push_back(msg(0x91, 65, 64));
  QCOMPARE(r.backend.sent, want);

  // The engine sets the channel before every parameter send; the same channel
  // again is no change and silences nothing.
  r.backend.sent.clear();
  r.ctx().sender.moveMonitorChannel(2);
  QVERIFY(r.backend.sent.empty());

  // Stepping the spin edit by key is a change as well.
  auto* spin = r.get<RollSpinBox>("SpChan");
  spin->setFocus();
  QTest::keyClick(spin, Qt::Key_Up);
  QCOMPARE(spin->Value(), 3);
  QCOMPARE(r.backend.sent, allChannelsOff());
  QCOMPARE(r.ctx().host.monitorChannel(), 3);
}

void NoteOutFormTest::allOffSilencesAllChannels() {
  Rig r;
  r.ctx().host.setMonitorChannel(5);
  r.backend.sent.clear();
  QTest::mouseClick(r.get<QPushButton>("SpAllOff"), Qt::LeftButton);
  QCOMPARE(r.backend.sent, allChannelsOff());
  QCOMPARE(r.ctx().host.monitorChannel(), 5);
}

void NoteOutFormTest::slidersPlayNotesAndControllers() {
  Rig r;
  r.ctx().host.setMonitorChannel(4);
  r.backend.sent.clear();
  r.get<ValueFader>("SbNoteV")->setPosition(100);
  QCOMPARE(r.backend.sent, (std::vector<Bytes>{msg(0xB3, 0x78, 0), msg(0x93, 65, 100)}));

  r.backend.sent.clear();
  r.get<TextFader>("SbNoteH")->setPosition(60);
  QCOMPARE(r.backend.sent, (std::vector<Bytes>{msg(0xB3, 0x78, 0), msg(0x93, 60, 100)}));
  QCOMPARE(r.get<TextFader>("SbNoteH")->Text(), QString::fromStdString(std::string(texts::noteName(60))));
  QCOMPARE(r.get<QLabel>("LmidiOut")->text(), QStringLiteral("93 3C 64"));

  r.backend.sent.clear();
  r.get<ValueFader>("SbNoteB")->setPosition(30);
  r.get<ValueFader>("SbNoteM")->setPosition(31);
  r.get<ValueFader>("SbNoteA")->setPosition(127);
  QCOMPARE(r.backend.sent, (std::vector<Bytes>{msg(0xB3, 2, 30), msg(0xB3, 1, 31), msg(0xB3, 11, 127)}));

  // With the chord switch on, a note-on becomes the chord; the silencing
  // controller stays single.
  r.get<QCheckBox>("ChCord")->click();
  r.backend.sent.clear();
  r.get<TextFader>("SbNoteH")->setPosition(120);
  QCOMPARE(r.backend.sent, (std::vector<Bytes>{msg(0xB3, 0x78, 0), msg(0x93, 120, 100)}));  // others above 127
  r.backend.sent.clear();
  r.get<TextFader>("SbNoteH")->setPosition(60);
  QCOMPARE(r.backend.sent, (std::vector<Bytes>{msg(0xB3, 0x78, 0), msg(0x93, 60, 100), msg(0x93, 70, 100),
                                               msg(0x93, 74, 100), msg(0x93, 75, 100), msg(0x93, 79, 100)}));
}

void NoteOutFormTest::dragsFollowTheAlwaysSwitch() {
  Rig r;
  QTest::mouseClick(r.get<QCheckBox>("ChAlways"), Qt::LeftButton);
  QVERIFY(!r.get<QCheckBox>("ChAlways")->isChecked());

  auto* v = r.get<ValueFader>("SbNoteV");
  dragCap(v, 5);
  QVERIFY(v->isDragging());
  QVERIFY(v->Position() > 64);
  QVERIFY(r.backend.sent.empty());
  release(v);
  QCOMPARE(r.backend.sent, (std::vector<Bytes>{msg(0xB0, 0x78, 0), msg(0x90, 65, static_cast<Byte>(v->Position()))}));

  // Breath follows every step, expression waits for the release.
  r.backend.sent.clear();
  auto* b = r.get<ValueFader>("SbNoteB");
  dragCap(b, 3);
  QCOMPARE(r.backend.sent.size(), std::size_t{3});
  for (const Bytes& m : r.backend.sent) QCOMPARE(Bytes(m.begin(), m.begin() + 2), (Bytes{0xB0, 0x02}));
  QCOMPARE(r.backend.sent.back()[2], static_cast<Byte>(b->Position()));
  release(b);

  r.backend.sent.clear();
  auto* a = r.get<ValueFader>("SbNoteA");
  dragCap(a, 3);
  QVERIFY(r.backend.sent.empty());
  release(a);
  QCOMPARE(r.backend.sent.size(), std::size_t{1});
  QCOMPARE(r.backend.sent[0], msg(0xB0, 11, static_cast<Byte>(a->Position())));

  // The note slider silences and renames while dragged but plays on release only.
  r.backend.sent.clear();
  auto* h = r.get<TextFader>("SbNoteH");
  dragCap(h, 2);
  QVERIFY(h->MuisDown());
  QVERIFY(!r.backend.sent.empty());
  for (const Bytes& m : r.backend.sent) QCOMPARE(m, msg(0xB0, 0x78, 0));
  QCOMPARE(h->Text(), QString::fromStdString(std::string(texts::noteName(h->Position()))));
  release(h);
  QCOMPARE(r.backend.sent.back(), msg(0x90, static_cast<Byte>(h->Position()), static_cast<Byte>(v->Position())));

  // With Always on, the velocity drag plays at every step.
  QTest::mouseClick(r.get<QCheckBox>("ChAlways"), Qt::LeftButton);
  r.backend.sent.clear();
  dragCap(v, 2);
  int notes = 0;
  for (const Bytes& m : r.backend.sent) notes += m[0] == 0x90;
  QCOMPARE(notes, 2);
  release(v);
}

void NoteOutFormTest::indicatorsGoBackToGreen() {
  Rig r;
  const QColor green = ledColour(LedColour::Green);
  QCOMPARE(r.form->ledOut()->colour(), green);
  r.get<ValueFader>("SbNoteM")->setPosition(10);
  QCOMPARE(r.form->ledOut()->colour(), ledColour(LedColour::Lime));
  QVERIFY(r.form->timer1()->isActive());
  r.ctx().host.lightIn(LedColour::Red);
  QCOMPARE(r.form->ledIn()->colour(), ledColour(LedColour::Red));
  QTRY_COMPARE_WITH_TIMEOUT(r.form->ledOut()->colour(), green, 1000);
  QCOMPARE(r.form->ledIn()->colour(), green);
  QVERIFY(!r.form->timer1()->isActive());
}

void NoteOutFormTest::switchesReachTheHost() {
  Rig r;
  QSignalSpy thru(r.form.get(), &MonitorWindow::midiThruChanged);
  QTest::mouseClick(r.get<QCheckBox>("CbMiditrue"), Qt::LeftButton);
  QVERIFY(!r.ctx().host.midiThru());
  QCOMPARE(thru.size(), 1);
  QCOMPARE(thru[0][0].toBool(), false);
  QTest::mouseClick(r.get<QCheckBox>("CbMiditrue"), Qt::LeftButton);
  QVERIFY(r.ctx().host.midiThru());
  r.get<QCheckBox>("ChCord")->click();
  QVERIFY(r.ctx().host.chordOn());
  r.get<QCheckBox>("ChCord")->click();
  QVERIFY(!r.ctx().host.chordOn());

  r.ctx().incoming.SysexInCount = 12;
  r.get<QPushButton>("BReset")->click();
  QCOMPARE(r.ctx().incoming.SysexInCount, 0);
}

void NoteOutFormTest::moduleInputIsShownAndPassedOnRechannelled() {
  Rig r;
  r.ctx().host.setMonitorChannel(3);
  r.backend.sent.clear();
  QVERIFY(r.backend.input);
  const Byte noteOn[] = {0x90, 0x3C, 0x64};
  r.backend.input(noteOn);
  QTRY_COMPARE(r.backend.sent.size(), std::size_t{1});
  QCOMPARE(r.backend.sent[0], msg(0x92, 0x3C, 0x64));
  // The monitor showed what came in, then what went out (the one sent last).
  QCOMPARE(r.get<QLabel>("LmidiOut")->text(), QStringLiteral("92 3C 64"));
  QCOMPARE(r.form->ledIn()->colour(), ledColour(LedColour::Lime));

  // With thru off nothing is passed on.
  QTest::mouseClick(r.get<QCheckBox>("CbMiditrue"), Qt::LeftButton);
  r.backend.sent.clear();
  r.backend.input(noteOn);
  QTRY_COMPARE(r.get<QLabel>("LmidiOut")->text(), QStringLiteral("90 3C 64"));
  QTest::qWait(50);
  QVERIFY(r.backend.sent.empty());
}

void NoteOutFormTest::firstRunOpensTheVirtualModule() {
  testing::TestContext t;
  t.context->settings.FirstRun = true;
  t.context->settings.Midi_Out = 99;  // not read on a new install
  std::map<int, QString> panels;
  MonitorWindow form(*t.context, [&](int p, const QString& s) { panels[p] = s; });
  t.context->ports.openFromSettings();
  QVERIFY(!t.context->store.MidiClosed);
  const QString name = QString::fromLatin1(midi::VirtualModuleName);
  QCOMPARE(panels[0], QStringLiteral("Midi Open"));
  QCOMPARE(panels[1], QStringLiteral("In: ") + name);
  QCOMPARE(panels[2], QStringLiteral("Out: ") + name);
  QVERIFY(t.infos.empty());
  // Sending through the host reaches the module without an error.
  t.context->sender.SendShortMidi(0x90, 60, 10);
  QVERIFY(t.infos.empty());
}

void NoteOutFormTest::noInputDeviceLeavesPortsClosed() {
  RecordingBackend backend;
  testing::TestContext t;
  t.context->settings.FirstRun = false;
  t.context->settings.Midi_In1 = MonitorWindow::NoInputDevice;
  std::map<int, QString> panels;
  t.context->ports.useBackend(backend);
  MonitorWindow form(*t.context, [&](int p, const QString& s) { panels[p] = s; });
  t.context->ports.openFromSettings();
  QVERIFY(t.context->store.MidiClosed);
  QVERIFY(panels.empty());
  QVERIFY(t.infos.empty());
  child<ValueFader>(form, "SbNoteV")->setPosition(1);
  QVERIFY(backend.sent.empty());
}

void NoteOutFormTest::badDeviceIsReportedAndLeavesMidiClosed() {
  Rig r(false, 57);
  QVERIFY(r.ctx().store.MidiClosed);
  QCOMPARE(r.t.infos.size(), std::size_t{1});
  const QString info = QString::fromStdString(r.t.infos[0]);
  QVERIFY2(info.startsWith(QStringLiteral("MIDI ports could not be opened: ")), qPrintable(info));
  QVERIFY2(info.contains(QStringLiteral("57")), qPrintable(info));
  QCOMPARE(r.panels[0], QStringLiteral("Midi Closed"));
  // Playing on a closed port does nothing and says nothing more.
  r.get<ValueFader>("SbNoteV")->setPosition(3);
  QTest::mouseClick(r.get<QPushButton>("SpAllOff"), Qt::LeftButton);
  QVERIFY(r.backend.sent.empty());
  QCOMPARE(r.t.infos.size(), std::size_t{1});
}

void NoteOutFormTest::keyboardPortOpensWithSeparateKeyboard() {
  Rig r(true);
  QVERIFY(!r.ctx().store.MidiClosed);
  QCOMPARE(r.get<QLabel>("Lkb")->text(), QStringLiteral("KB open"));
  QCOMPARE(r.panels[3], QStringLiteral("In2: Rec keys"));
  QCOMPARE(r.panels[1], QStringLiteral("In: Rec in"));
  QCOMPARE(r.panels[2], QStringLiteral("Out: Rec out"));
  QVERIFY(r.ctx().ports.link().keyboard());
}

void NoteOutFormTest::reopenReportsErrorsToTheCaller() {
  Rig r;
  QVERIFY(!r.ctx().store.MidiClosed);
  const std::string error = r.ctx().ports.reopen(PortChoice{0, {}}, PortChoice{5, {}});
  QVERIFY(!error.empty());
  QVERIFY(r.ctx().store.MidiClosed);
  QVERIFY(r.t.infos.empty());
  QCOMPARE(r.panels[0], QStringLiteral("Midi Closed"));
  QCOMPARE(r.ctx().ports.reopen(PortChoice{0, {}}, PortChoice{0, {}}), std::string());
  QVERIFY(!r.ctx().store.MidiClosed);
  QCOMPARE(r.panels[0], QStringLiteral("Midi Open"));
  QCOMPARE(r.panels[3], QString());
  r.backend.sent.clear();  // the closed port's channel resets
  r.get<ValueFader>("SbNoteM")->setPosition(9);
  QCOMPARE(r.backend.sent, (std::vector<Bytes>{msg(0xB0, 1, 9)}));
}

// A port that failed once would fail (or hang) at every later message: the
// ports close, and that is said once, with why.
void NoteOutFormTest::portFailureWhileSendingIsReported() {
  Rig r;
  r.backend.failSends = true;
  r.get<ValueFader>("SbNoteM")->setPosition(9);
  QCOMPARE(r.t.infos.size(), std::size_t{1});
  QVERIFY2(
      QString::fromStdString(r.t.infos[0]).startsWith(QStringLiteral("The MIDI ports were closed: device unplugged")),
      r.t.infos[0].c_str());
  QVERIFY(r.ctx().store.MidiClosed);
  r.get<ValueFader>("SbNoteM")->setPosition(10);
  const Bytes dt1 = {0xF0, 0x41, 0x10, 0x6A, 0x12, 0x01, 0x00, 0x10, 0x06, 0x64, 0x05, 0xF7};
  r.ctx().host.sendLong(dt1);
  QCOMPARE(r.t.infos.size(), std::size_t{1});
  QTRY_COMPARE(r.panels[0], QStringLiteral("Midi Closed"));
}

void NoteOutFormTest::windowDetails() {
  RecordingBackend backend;
  testing::TestContext t;
  t.context->settings.FirstRun = false;
  t.context->settings.windowPositions[NoteOutFormPosition] = {120, 80, 0, 0};
  t.context->ports.useBackend(backend);
  auto form = std::make_unique<MonitorWindow>(*t.context);
  QCOMPARE(form->pos(), QPoint(120, 80));
  form->show();
  QTest::mouseDClick(form.get(), Qt::LeftButton, {}, QPoint(2, 2));
  QCOMPARE(form->size(), QSize(256, 300));
  form->move(33, 44);
  form->close();
  QCOMPARE(t.context->settings.windowPositions[NoteOutFormPosition].x, form->x());
  QCOMPARE(t.context->settings.windowPositions[NoteOutFormPosition].y, form->y());
  QVERIFY(form->x() != 120 || form->y() != 80);
}

void NoteOutFormTest::startUpMakesItTheMonitor() {
  testing::TestContext t;
  {
    ProgramWindows windows(*t.context);
    QVERIFY(windows.monitorWindow);
    QCOMPARE(windows.mainWindow->windows.monitor, static_cast<QWidget*>(windows.monitorWindow.get()));
    QCOMPARE(t.context->host.monitor(), static_cast<MonitorState*>(windows.monitorWindow.get()));
    // No settings yet: a new install, opened on the virtual module.
    QVERIFY(t.context->settings.FirstRun);
    QVERIFY(!t.context->store.MidiClosed);
    QCOMPARE(windows.mainWindow->statusPanel(0), QStringLiteral("Midi Open"));
    QCOMPARE(windows.mainWindow->statusPanel(2),
             QStringLiteral("Out: ") + QString::fromLatin1(midi::VirtualModuleName));

    // Module input lights the monitor and the wait window; keyboard input only the monitor.
    auto lampsLit = [&] {
      int lit = 0;
      for (TransferLamp* lamp : windows.progressDialog->findChildren<TransferLamp*>()) lit += lamp->isLit();
      return lit;
    };
    t.context->host.lightIn(LedColour::Yellow);
    QCOMPARE(windows.monitorWindow->ledIn()->colour(), ledColour(LedColour::Yellow));
    QCOMPARE(lampsLit(), 0);
    t.context->host.lightIn(LedColour::Lime);
    QCOMPARE(windows.monitorWindow->ledIn()->colour(), ledColour(LedColour::Lime));
    QCOMPARE(lampsLit(), 1);

    windows.showAtStart();
    QVERIFY(windows.monitorWindow->isVisible());
  }
  QVERIFY(t.context->host.monitor() == nullptr);
  QVERIFY(t.context->store.MidiClosed);
}

QTEST_MAIN(NoteOutFormTest)
#include "monitor_window_test.moc"
