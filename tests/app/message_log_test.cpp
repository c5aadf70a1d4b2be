// The message log window fed through the engine, and the event-loop wait.

#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/app_host.h"
#include "midi/event_wait.h"
#include "app/message_log_window.h"
#include "engine/sender.h"

using namespace quillon;

class MessageLogTest : public QObject {
  Q_OBJECT
 private slots:
  void showsCaptionAndLabels() {
    MessageLogWindow form;
    QCOMPARE(form.windowTitle(), QStringLiteral(" View Messages In-Out"));
    QStringList labels;
    for (auto* l : form.findChildren<QLabel*>()) labels << l->text();
    QVERIFY(labels.contains(QStringLiteral("  Last Sysex In Message:")));
    QVERIFY(labels.contains(QStringLiteral("  Last Sysex Out Message:")));
    QVERIFY(form.findChild<QPushButton*>(QStringLiteral("Bclear")));
  }

  void resizeSplitsTheHeightInHalves() {
    MessageLogWindow form;
    form.resize(500, 401);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QWidget* upper = form.receivedMemo()->parentWidget();
    const QWidget* lower = form.sentMemo()->parentWidget();
    QCOMPARE(upper->geometry().top(), 0);
    QCOMPARE(upper->height(), 200 - 1);
    QCOMPARE(lower->geometry().top(), 200 + 1);
    QVERIFY(lower->geometry().bottom() <= form.height() - 1);
  }

  void sentMessagesReachTheLowerMemoWithTheLineLimit() {
    MessageLogWindow form;
    AppHost host;
    host.attachLog(&form);
    PerformanceStore store;
    store.LogEnabled = true;
    EngineSettings settings;
    MessageLogLines log{host};
    Sender sender{store, host, settings, log};
    const Byte level = 0x64;
    sender.SendSysexData(address::temporaryPart(0, part::Level), std::span(&level, 1), 1);
    QCOMPARE(form.sentMemo()->toPlainText(), QStringLiteral(" F0 41 10 6A 12 01 00 10 06 64 05 F7\n"));
    log.AddReceivedLine("kept");
    for (int i = 0; i < 120; ++i) log.AddSentLine("x");
    QCOMPARE(form.sentMemo()->blockCount(), 120 - 110 + 1);  // emptied once on the way
    QCOMPARE(form.receivedMemo()->toPlainText(), QStringLiteral("kept"));

    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Bclear")), Qt::LeftButton);
    QVERIFY(form.sentMemo()->toPlainText().isEmpty());
    QVERIFY(form.receivedMemo()->toPlainText().isEmpty());
  }

  void waitLetsEventsRunAndNestedWaitsReturn() {
    int fired = 0;
    int innerAt = -1;
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(10, [&] {
      ++fired;
      waitInEventLoop(60);  // longer than the outer wait's remaining time
      innerAt = static_cast<int>(clock.elapsed());
    });
    waitInEventLoop(30);
    QCOMPARE(fired, 1);
    QVERIFY(innerAt >= 70 - 5);  // the inner wait kept its own deadline
    QVERIFY(clock.elapsed() >= 30);
  }
};

QTEST_MAIN(MessageLogTest)
#include "message_log_test.moc"
