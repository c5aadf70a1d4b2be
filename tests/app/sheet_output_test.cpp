// Performance sheets as the program wires them: File > Export Sheet... to a
// PDF that pdftotext reads back with the name and the 16 patch names, File >
// Print through the print dialog's printer, a whole list as HTML (one page a
// performance) and as CSV, and a name without a known ending refused.

#include <QAction>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "program_fixture.h"

using namespace quillon;
using testing::Program;

namespace {

constexpr int BankSize = 3;

void openBank(Program& p) {
  const QString path = p.t.path(QStringLiteral("bank.syx"));
  testing::writeBytes(path, testing::bankBytes(address::AreaUserPerformance, BankSize));
  p.main().openPath(path);
  QVERIFY(!p.ctx().store.NoPerformance);
}

QString readText(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The text of a PDF as pdftotext reads it; empty when it cannot.
QString pdfText(const QString& pdf) {
  QProcess run;
  run.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!run.waitForFinished(60000) || run.exitCode() != 0) return {};
  return QString::fromUtf8(run.readAllStandardOutput());
}

// The name and every part's patch name, as the name lists give them.
QStringList namesOf(Program& p, const PerformanceRecord& r) {
  QStringList names{QString::fromStdString(performanceName(r.common)).trimmed()};
  for (int part = 0; part < address::PartCount; ++part)
    names << QString::fromStdString(partSoundName(r.parts[static_cast<std::size_t>(part)], part, p.ctx().names));
  return names;
}

// The names `text` lacks.
QStringList missing(const QString& text, const QStringList& names) {
  QStringList out;
  for (const QString& name : names)
    if (!text.contains(name)) out << name;
  return out;
}

}  // namespace

class SheetOutputTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
      QSKIP("pdftotext (poppler-utils) is not installed: the PDF cannot be read back");
  }

  void aSheetReadsBackFromThePdfAndThePrinter() {
    Program p;
    openBank(p);
    p.main().selectCell(0, 1);
    const PerformanceRecord shown = p.ctx().store.TempPerformance;
    const QString pdf = p.t.path(QStringLiteral("sheet.pdf"));
    p.windows->sheets->chooseFile = [&pdf](const QString& proposed) {
      return proposed.endsWith(QLatin1String(".pdf")) ? pdf : QString();
    };
    p.main().findChild<QAction*>(QStringLiteral("MExport"))->trigger();
    QVERIFY(p.t.infos.empty());
    const QStringList names = namesOf(p, shown);
    QCOMPARE(names.size(), 1 + address::PartCount);
    QCOMPARE(missing(pdfText(pdf), names), QStringList());

    // File > Print: the printer the dialog chose gets the same sheet.
    const QString printed = p.t.path(QStringLiteral("printed.pdf"));
    p.windows->sheets->choosePrinter = [&printed](QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(printed);
      return true;
    };
    p.main().findChild<QAction*>(QStringLiteral("MPrint"))->trigger();
    QCOMPARE(missing(pdfText(printed), names), QStringList());
  }

  void aListAsHtmlAndCsvAndAWrongEndingRefused() {
    Program p;
    openBank(p);
    SheetOutput& out = *p.windows->sheets;
    QString target;
    out.chooseFile = [&target](const QString&) { return target; };
    const auto exportList = [&](const QString& name) {
      target = p.t.path(name);
      p.main().findChild<QAction*>(QStringLiteral("MExportList"))->trigger();
      return readText(target);
    };
    const QString html = exportList(QStringLiteral("list.html"));
    QCOMPARE(html.count(QStringLiteral("page-break-before: always")), BankSize - 1);
    QCOMPARE(html.count(QStringLiteral("<img src=\"data:image/png;base64,")), BankSize);
    const QString csv = exportList(QStringLiteral("list.csv"));
    const QStringList lines = csv.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + BankSize);
    for (int i = 0; i < BankSize; ++i) {
      const QStringList names = namesOf(p, p.ctx().store.PerformanceList[static_cast<std::size_t>(i)]);
      QCOMPARE(missing(html, names), QStringList());
      QCOMPARE(missing(lines[i + 1], names), QStringList());
    }
    // An ending no format has: said, and nothing written.
    QVERIFY(exportList(QStringLiteral("list.txt")).isEmpty());
    QCOMPARE(p.t.infos.size(), std::size_t{1});
    QVERIFY2(p.t.infos[0].find(".pdf, .html or .csv") != std::string::npos, p.t.infos[0].c_str());
  }
};

QTEST_MAIN(SheetOutputTest)
#include "sheet_output_test.moc"
