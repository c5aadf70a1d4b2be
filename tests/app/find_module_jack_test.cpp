// Find Module over JACK: three quillon-jvsim port pairs (a silent one, one at
// unit ID 23, one that echoes and answers nothing), found from the program's
// offer and from the settings dialog.

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "../midi/jvsim_process.h"
#include "app/find_module_dialog.h"
#include "app/midi_settings_dialog.h"
#include "app/windows.h"
#include "app_fixture.h"

using namespace quillon;

namespace {

constexpr int PortWaitMs = 5000;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

void selectOutput(MidiSettingsDialog& d, const std::string& port) {
  const auto rows =
      testing::childNamed<QListWidget>(d, "LiJVout")->findItems(QString::fromStdString(port), Qt::MatchExactly);
  QVERIFY(!rows.isEmpty());
  testing::childNamed<QListWidget>(d, "LiJVout")->setCurrentItem(rows.front());
}

}  // namespace

class FindModuleJackTest : public QObject {
  Q_OBJECT
 private slots:
  void theModuleIsFoundOnItsPairAndThePortsComeBackWhenNothingIsTaken() {
#ifndef QUILLON_JVSIM_PATH
    QSKIP("quillon-jvsim was not built");
#else
    if (!testing::jackServerRunning()) QSKIP("no JACK server is running (./test.sh starts one: jackd -d dummy)");
    testing::JvsimProcess silent, module, loop;
    std::string error;
    for (auto [sim, args] :
         {std::pair{&silent, QStringList{"--silent"}}, {&module, {"--unit-id", "23"}}, {&loop, {"--echo", "--silent"}}})
      QVERIFY2(sim->start(QUILLON_JVSIM_PATH, args, error), error.c_str());
    testing::TestContext t;
    t.context->settings.engine.sysDly = t.context->engineSettings.sysDly = 20;
    ProgramWindows windows(*t.context);
    QVERIFY(testing::processEventsUntil(
        [&] { return testing::listed(midi::systemMidiBackend().outputNames(), loop.inputPort()); }, PortWaitMs));
    QVERIFY(windows.reopenPorts({0, silent.inputPort()}, {0, silent.outputPort()}, std::nullopt).empty());
    ModuleLink& link = t.context->ports.link();
    // A server that misses cycles drops the MIDI in them: an answer lost then is a skip, not a failure.
    const testing::XrunWatch xruns;
    const auto lostToJack = [&xruns] { return xruns.count() > 0; };

    // From the program: the module is offered with its ports and unit ID; declined, the old ports come back.
    t.answer = [](const std::string& q) { return q == find_text::Offer; };
    windows.offerFindModule();
    const std::string offer = "Module found: out \"" + module.inputPort() + "\", in \"" + module.outputPort() +
                              "\", unit ID 23 \u2014 use these?";
    const bool offered = std::ranges::any_of(t.questions, [&](const std::string& q) { return q.starts_with(offer); });
    if (!offered && lostToJack())
      QSKIP("the module's answer was lost while JACK missed cycles (the machine is overloaded)");
    QVERIFY(offered);
    for (const std::string& q : t.questions)
      QVERIFY2(!contains(q, "found: out \"" + silent.inputPort()) && !contains(q, "found: out \"" + loop.inputPort()),
               q.c_str());
    QVERIFY(link.isOpen() && link.outputName() == silent.inputPort() && link.inputName() == silent.outputPort());

    // Cancelled: the ports come back too.
    QTimer::singleShot(100, [] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("TFindModuleForm") && w->isVisible())
          w->findChild<QPushButton*>(QStringLiteral("BFindCancel"))->click();
    });
    const std::size_t offers = t.questions.size();
    windows.offerFindModule();
    QCOMPARE(t.questions.size(), offers + 1);  // the offer only: a cancelled search offers no module
    QVERIFY(!t.infos.empty() && contains(t.infos.back(), "Find Module was cancelled."));
    QVERIFY(link.isOpen() && link.outputName() == silent.inputPort());

    // The settings dialog, one output at a time: the module's pair is taken on Yes.
    MidiSettingsDialog dialog(*t.context, {windows.reopenPorts, windows.closePorts}, midi::systemMidiBackend());
    testing::childNamed<QCheckBox>(dialog, "ChFindOneOut")->setChecked(true);
    t.answer = [](const std::string&) { return true; };
    selectOutput(dialog, module.inputPort());
    testing::childNamed<QPushButton>(dialog, "BFindModule")->click();
    if (testing::childNamed<QLineEdit>(dialog, "EdJVID")->text() != QStringLiteral("23") && lostToJack())
      QSKIP("the module's answer was lost while JACK missed cycles (the machine is overloaded)");
    QCOMPARE(testing::childNamed<QLineEdit>(dialog, "EdJVID")->text(), QStringLiteral("23"));
    QCOMPARE(testing::childNamed<QListWidget>(dialog, "LiJVin")->currentItem()->text().toStdString(),
             module.outputPort());
    // The silent module and the echoing loop: nothing found, and the echo is named as one.
    for (const auto* sim : {&silent, &loop}) {
      const std::size_t asked = t.questions.size();
      selectOutput(dialog, sim->inputPort());
      testing::childNamed<QPushButton>(dialog, "BFindModule")->click();
      QCOMPARE(t.questions.size(), asked);
      QVERIFY(!t.infos.empty());
      QVERIFY2(contains(t.infos.back(), "No module answered"), t.infos.back().c_str());
    }
    QVERIFY2(contains(t.infos.back(), "came back unchanged from out \"" + loop.inputPort()), t.infos.back().c_str());
    QCOMPARE(testing::childNamed<QLineEdit>(dialog, "EdJVID")->text(), QStringLiteral("23"));
    dialog.reject();
#endif
  }
};

QTEST_MAIN(FindModuleJackTest)
#include "find_module_jack_test.moc"
