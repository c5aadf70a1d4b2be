// The patch select window and the finder as the program wires them: opened
// from the performance editor's patch captions on a performance fetched from
// the virtual module (device 0), with boards 01..03 installed in slots A..C and
// a User.ini of our own (1100 User names, 64 Card names).

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/windows.h"
#include "controls/value_fader.h"
#include "app_fixture.h"
#include "midi/virtual_backend.h"
#include "program_fixture.h"
#include "settings/names/text.h"

using namespace quillon;

namespace {

constexpr int UserNames = 1100;
constexpr int CardNames = 64;
const QString LongName = QStringLiteral("A name far too long for its cell");

void writeUserNames(const QString& path) {
  QString text = QStringLiteral("[User Bank]\n0=") + LongName + QLatin1Char('\n');
  for (int i = 1; i < UserNames; ++i) text += QStringLiteral("%1=Organ %1\n").arg(i);
  text += QStringLiteral("[Card Bank]\n");
  for (int i = 0; i < CardNames; ++i) text += QStringLiteral("%1=Card %1\n").arg(i);
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0) qFatal("cannot write %s", qPrintable(path));
}

struct Rig {
  testing::TestContext t;
  std::unique_ptr<ProgramWindows> windows;
  std::vector<Bytes> sent;
  std::vector<Bytes> shorts;

  explicit Rig(const std::function<void(PerformanceRecord&)>& prepare = {}, ModuleType type = ModuleType::JV1080) {
    midi::virtualModuleBackend().setModuleType(type);
    midi::virtualModuleBackend().module().reset();
    if (prepare) prepare(midi::virtualModuleBackend().module().temporary());
    DeviceSettings& s = ctx().settings;
    s.Midi_In1Name = s.Midi_OutName = QString::fromLatin1(midi::VirtualModuleName);
    s.engine.noteOn = false;
    s.engine.sysDly = MinSysDly;
    s.JVtype = static_cast<int>(type);
    s.EOC = blockSizesFor(type).eoc;
    s.EOP = blockSizesFor(type).eop;
    s.ExpMax = 3;
    for (int k = 1; k <= 3; ++k) s.Exp[k] = k;  // "01 Pop", "02 Orchestral", "03 Piano"
    s.WriteSettings();
    writeUserNames(t.path(QStringLiteral("User.ini")));
    windows = std::make_unique<ProgramWindows>(ctx());
    ctx().settings.FirstRun = false;
    AppHost& host = ctx().host;
    host.onSendLong = [this, out = host.onSendLong](std::span<const Byte> m) {
      sent.emplace_back(m.begin(), m.end());
      out(m);
    };
    host.onSendShort = [this, out = host.onSendShort](Byte s1, Byte d1, Byte d2) {
      shorts.push_back({s1, d1, d2});
      out(s1, d1, d2);
    };
    find<QPushButton>(windows->mainWindow.get(), "BGetJV")->click();
    find<QPushButton>(windows->mainWindow.get(), "Beditp")->click();
    QTRY_VERIFY(!windows->mainWindow->timer1()->isActive());
    sent.clear();
  }
  AppContext& ctx() { return *t.context; }
  PatchSelectWindow* select() { return windows->patchSelect.get(); }
  template <typename T>
  static T* find(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c) qFatal("no control %s", name);
    return c;
  }
  // As the user opens it: the patch caption of the part's column in the editor.
  PatchSelectWindow* open(int part) {
    windows->performanceEditor->showPage(part - part % PartsPerPage);
    find<QPushButton>(windows->performanceEditor.get(), ("StP" + std::to_string(part % PartsPerPage + 1)).c_str())
        ->click();
    return select();
  }
  QTableWidget* grid() { return find<QTableWidget>(select(), "PatchGrid"); }
  void pick(int column, int row) {
    const QRect cell = grid()->visualItemRect(grid()->item(row, column));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
  }
  void chooseBank(const char* box, const QString& bank) {
    auto* list = find<QComboBox>(select(), box);
    list->setCurrentIndex(list->findText(bank));
    emit list->activated(list->currentIndex());
  }
  // The data of each DT1 to the part's block from offset 00h.
  std::vector<Bytes> sentToPart(int part) const {
    const SysexAddress at{address::AreaTemporary, 0, address::partBlock(part), part::ReceiveSwitch};
    std::vector<Bytes> out;
    for (const Bytes& m : sent)
      if (m[roland::PosCommand] == roland::CommandDT1 &&
          std::equal(at.bytes.begin(), at.bytes.end(), m.begin() + roland::PosAddress))
        out.emplace_back(m.begin() + roland::PosData, m.end() - 2);
    return out;
  }
  Bytes partHead(int part, Byte type, Byte id, int number) {
    const auto& r = ctx().store.TempPerformance.parts[static_cast<std::size_t>(part)];
    return {r[part::ReceiveSwitch],         r[part::ReceiveChannel],       type, id,
            static_cast<Byte>(number / 16), static_cast<Byte>(number % 16)};
  }
};

void setPatch(PerformanceRecord& r, int part, Byte type, Byte id, int number) {
  auto& p = r.parts[static_cast<std::size_t>(part)];
  p[part::PatchGroupType] = type;
  p[part::PatchGroupId] = id;
  shown::setPatchNumber(p, number);
}

}  // namespace

class PatchWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void opensOnTheStoredPatchAndSendsEachChoice() {
    Rig r([](PerformanceRecord& m) {
      setPatch(m, 0, group_type::Internal, 3, 5);
      setPatch(m, 1, group_type::Expansion, 2, 200);
    });
    PatchSelectWindow* w = r.open(0);
    QVERIFY(w->isVisible() && r.sent.empty());
    QCOMPARE(w->windowTitle(), QStringLiteral(" Select Patch"));
    auto* presets = Rig::find<QComboBox>(w, "CbSelectPreset");
    QCOMPARE(presets->currentText(), QStringLiteral("Preset A"));
    QCOMPARE(presets->findText(QStringLiteral("Preset E")), -1);  // a JV 1080
    QVERIFY(r.grid()->currentRow() == 5 && r.grid()->currentColumn() == 0);
    QCOMPARE(w->statusText(0), QStringLiteral(" Previous: Power Grand  Patch: Power Grand"));

    r.chooseBank("CbSelectPreset", QStringLiteral("Preset B"));  // browsing: the part keeps its sound
    QVERIFY(r.sentToPart(0).empty());
    r.pick(2, 3);
    QCOMPARE(r.sentToPart(0).back(), r.partHead(0, 0, 4, 35));
    QCOMPARE(w->statusText(0), QStringLiteral(" Previous: Power Grand  Patch: ") + r.grid()->item(3, 2)->text());
    // Another column touched in the editor: the window, refilled as its activation does, keeps its part.
    QTest::keyClick(Rig::find<ValueFader>(r.windows->performanceEditor.get(), "SlVol3"), Qt::Key_Down);
    w->refresh();
    r.pick(2, 4);
    QCOMPARE(r.sentToPart(0).back(), r.partHead(0, 0, 4, 36));

    // A board patch above 128 opens on the upper half; the finder's "Find a Patch" button is there.
    r.sent.clear();
    r.open(1);
    QVERIFY(r.sent.empty());
    QVERIFY(Rig::find<QToolButton>(w, "SpDeel2")->isChecked());
    QCOMPARE(Rig::find<QComboBox>(w, "CbSelectExp")->currentText(), QStringLiteral("02 Orchestral"));
    QVERIFY(r.grid()->currentRow() == 8 && r.grid()->currentColumn() == 4);
    QCOMPARE(r.grid()->item(8, 4)->text(), QStringLiteral("Celesta 2"));
    r.pick(0, 5);
    QCOMPARE(r.sentToPart(1).back(), r.partHead(1, 2, 2, 133));

    // The editor's Done hides the select window too.
    Rig::find<QPushButton>(r.windows->performanceEditor.get(), "Bdone")->click();
    QVERIFY(!w->isVisible());
  }

  void shortLongAndEmptyBanks() {
    Rig r({}, ModuleType::JV2080);
    PatchSelectWindow* w = r.open(2);
    QCOMPARE(Rig::find<QComboBox>(w, "CbSelectPreset")->findText(QStringLiteral("Preset E")), 6);
    r.chooseBank("CbSelectPreset", QStringLiteral("Card Bank"));  // 64 names
    r.pick(7, 15);
    QCOMPARE(r.sentToPart(2).back(), r.partHead(2, 0, 2, 63));
    QCOMPARE(w->statusText(1), QStringLiteral("Selected no: 64"));
    QVERIFY(r.grid()->currentRow() == 15 && r.grid()->currentColumn() == 3);

    r.chooseBank("CbSelectPreset", QStringLiteral("User Bank"));  // 1100 names: the first 128 shown
    QCOMPARE(r.grid()->item(15, 7)->text(), QStringLiteral("Organ 127"));
    r.pick(7, 15);
    QCOMPARE(r.sentToPart(2).back(), r.partHead(2, 0, 1, 127));
    // A name the cell cuts is whole in its tooltip; one that fits has none.
    QCOMPARE(r.grid()->item(0, 0)->toolTip(), LongName);
    QVERIFY(r.grid()->item(1, 0)->toolTip().isEmpty());

    // "03 Piano" has no patches above 128: nothing to show, say, or send.
    r.chooseBank("CbSelectExp", QStringLiteral("03 Piano"));
    r.sent.clear();
    Rig::find<QToolButton>(w, "SpDeel2")->click();
    QVERIFY(r.grid()->item(0, 0)->text().isEmpty());
    QCOMPARE(w->statusText(0), QStringLiteral(" 03 Piano 129-255 has no names in the name lists"));
    r.pick(0, 0);
    QVERIFY(r.sent.empty());

    // Part 10 is offered the rhythm sets.
    r.open(RhythmPart);
    r.chooseBank("CbSelectPreset", QStringLiteral("Preset B"));
    QCOMPARE(r.grid()->item(0, 0)->text(), QStringLiteral("PowerDrumSet"));
    QVERIFY(r.grid()->item(2, 0)->text().isEmpty());
  }

  void finderSearchesAuditionsAndCancelSendsTheEarlierPatch() {
    Rig r([](PerformanceRecord& m) { setPatch(m, 0, group_type::Internal, 3, 5); });
    PatchSelectWindow* w = r.open(0);
    PatchFinder* finder = r.windows->patchFinder.get();
    auto* text = Rig::find<QComboBox>(finder, "EdFind");
    auto* hits = Rig::find<QListWidget>(finder, "List1");
    auto* state = Rig::find<QLabel>(finder, "Label2");
    bool looked = false;
    testing::onNextDialog<PatchFinder>([&](PatchFinder*) {
      looked = true;
      QCOMPARE(finder->windowTitle(), QStringLiteral("Patch Finder"));
      text->setEditText(QStringLiteral("PIA"));
      const std::vector<PatchHit> capitals = finder->result().hits;
      text->setEditText(QStringLiteral("Pia"));
      QVERIFY(capitals == finder->result().hits && hits->count() == static_cast<int>(capitals.size()));
      QCOMPARE(hits->item(0)->text(), QStringLiteral("Preset A 001  64voicePiano"));  // where it lives, as written
      QVERIFY(std::all_of(capitals.begin(), capitals.end(),
                          [](const PatchHit& h) { return asciiLower(h.name).find("pia") != std::string::npos; }));
      QVERIFY(std::any_of(capitals.begin(), capitals.end(), [](const PatchHit& h) { return h.groupType == 2; }));
      QCOMPARE(state->text(), QStringLiteral("Found : "));

      text->setEditText(QStringLiteral("Pi"));
      QVERIFY(hits->count() == 0 && state->text() == QStringLiteral("Enter 3 chars"));
      text->setEditText(QStringLiteral("rga"));  // "Organ" 1..1099
      QCOMPARE(hits->count(), static_cast<int>(MaxFindHits));
      QCOMPARE(state->text(), QStringLiteral("more than 1025 patches contain \"rga\"; type more letters"));

      text->setEditText(QStringLiteral("hrn sect7"));  // board slot 2, upper half, index 5
      QCOMPARE(hits->count(), 1);
      QTest::mouseClick(hits->viewport(), Qt::LeftButton, {}, hits->visualItemRect(hits->item(0)).center());
      QCOMPARE(r.sentToPart(0).back(), r.partHead(0, 2, 2, 133));
      QCOMPARE(Rig::find<QLabel>(finder, "lkeus")->text(), QStringLiteral("2_2_133"));
      QVERIFY(finder->soundTimer()->isActive() && finder->soundTimer()->interval() == PatchFinder::SoundOffMs);
      Rig::find<QSpinBox>(finder, "spsec")->setValue(3);
      QCOMPARE(finder->soundTimer()->interval(), 3000);
      // A click below the one hit selects nothing and sends nothing.
      const std::size_t before = r.sent.size();
      QTest::mouseClick(hits->viewport(), Qt::LeftButton, {},
                        {hits->viewport()->width() / 2, hits->viewport()->height() - 4});
      QCOMPARE(r.sent.size(), before);
      Rig::find<QPushButton>(finder, "bcan")->click();
    });
    Rig::find<QToolButton>(w, "SpFind")->click();
    QVERIFY(looked && w->isVisible());
    QCOMPARE(r.sentToPart(0).back(), r.partHead(0, 0, 3, 5));
    QVERIFY(r.grid()->currentRow() == 5 && Rig::find<QComboBox>(w, "CbSelectPreset")->currentText() == "Preset A");

    // "Select" keeps the patch heard, silences it and closes the select window too.
    testing::onNextDialog<PatchFinder>([&](PatchFinder*) {
      text->setEditText(QStringLiteral("hrn sect7"));
      hits->setCurrentRow(0);  // as the keyboard chooses it
      r.shorts.clear();
      Rig::find<QPushButton>(finder, "Bdone")->click();
    });
    Rig::find<QToolButton>(w, "SpFind")->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(r.sentToPart(0).back(), r.partHead(0, 2, 2, 133));
    QCOMPARE(r.shorts, (std::vector<Bytes>{{status::ControlChange, controller::AllSoundOff, 0}}));
    r.ctx().history.undo();  // the whole visit to the finder is one step
    QCOMPARE(r.sentToPart(0).back(), r.partHead(0, 0, 3, 5));
  }
};

QTEST_MAIN(PatchWindowsTest)
#include "patch_windows_test.moc"
