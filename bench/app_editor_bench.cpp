// The performance editor as the program builds it, on the virtual module with
// the Temporary Performance fetched: FillEditor (target under 5 ms), a level
// fader dragged with "Change Always" checked, where every step must leave as one
// DT1 and no step may keep the GUI thread waiting (target: longest under 2 ms),
// and 100,000 edits, after which memory is to be within a few MB of where the
// first 5,000 left it (the undo history is full by then).

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <string>

#include "app/windows.h"
#include "controls/value_fader.h"

using namespace quillon;

namespace {

constexpr int DragSteps = 500;
constexpr int ManyEdits = 100000;
constexpr int EditsToFillTheHistory = 5000;

struct Program {
  QTemporaryDir dir;
  std::unique_ptr<AppContext> context;
  std::unique_ptr<ProgramWindows> windows;
  int dt1Sent = 0;

  Program() {
    for (const char* list : {"Preset.ini", "User.ini", "Expansion.ini"})
      QFile::copy(QStringLiteral(QUILLON_DATA_DIR "/") + QLatin1String(list), dir.filePath(QLatin1String(list)));
    context = std::make_unique<AppContext>(SettingsLocation::iniFile(dir.filePath(QStringLiteral("Quillon.conf"))),
                                           dir.path() + QLatin1Char('/'));
    context->host.onShowInfo = [](const std::string&) {};
    windows = std::make_unique<ProgramWindows>(*context);
    context->settings.FirstRun = false;
    context->settings.engine.sysDly = 20;
    context->settings.engine.noteOn = false;
    context->applySettings();
    windows->mainWindow->findChild<QPushButton*>(QStringLiteral("BGetJV"))->click();
    windows->mainWindow->findChild<QPushButton*>(QStringLiteral("Beditp"))->click();
    const auto toPort = context->host.onSendLong;
    context->host.onSendLong = [this, toPort](std::span<const Byte> m) {
      dt1Sent += m.size() > roland::PosCommand && m[roland::PosCommand] == roland::CommandDT1;
      toPort(m);
    };
  }
  PerformanceEditor& editor() { return *windows->performanceEditor; }
};

std::unique_ptr<Program> theProgram;
Program& program() {
  if (!theProgram) theProgram = std::make_unique<Program>();
  return *theProgram;
}

double threadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void BM_FillEditor(benchmark::State& state) {
  PerformanceEditor& editor = program().editor();
  editor.findChild<QPushButton*>(QStringLiteral("Sp9_12"))->click();
  for (auto _ : state) {
    editor.fillEditor();
    QApplication::processEvents();  // the repaint it asks for belongs to its cost
  }
}
BENCHMARK(BM_FillEditor)->Unit(benchmark::kMillisecond);

void BM_DragWithChangeAlways(benchmark::State& state) {
  Program& p = program();
  PerformanceEditor& editor = p.editor();
  auto* always = editor.findChild<QAbstractButton*>(QStringLiteral("ChAlways"));
  if (!always->isChecked()) always->click();
  auto* fader = editor.findChild<ValueFader*>(QStringLiteral("SlVol1"));
  double longestMs = 0;
  double longestCpuMs = 0;
  int over2Ms = 0;
  int steps = 0;
  int dt1 = 0;
  for (auto _ : state) {
    const QPoint cap(fader->width() / 2, fader->thumbCentreY());
    mouse(fader, QEvent::MouseButtonPress, cap, Qt::LeftButton, Qt::LeftButton);
    const int before = p.dt1Sent;
    QElapsedTimer step;
    for (int i = 0; i < DragSteps; ++i) {
      // Up and down the track, so the level keeps changing.
      const int offset = (i / 40) % 2 == 0 ? i % 40 : 40 - i % 40;
      const double cpuBefore = threadCpuMs();
      step.start();
      mouse(fader, QEvent::MouseMove, cap + QPoint(0, offset), Qt::NoButton, Qt::LeftButton);
      const double wallMs = static_cast<double>(step.nsecsElapsed()) / 1e6;
      longestMs = std::max(longestMs, wallMs);
      longestCpuMs = std::max(longestCpuMs, threadCpuMs() - cpuBefore);
      over2Ms += wallMs > 2.0;
      QApplication::processEvents();  // the overview refresh that each notice queues
    }
    dt1 += p.dt1Sent - before;
    steps += DragSteps;
    mouse(fader, QEvent::MouseButtonRelease, cap, Qt::LeftButton, Qt::NoButton);
  }
  // Wall time includes what the machine's other work takes from this thread;
  // thread CPU time is what the handler itself costs.
  state.counters["longest_step_ms"] = longestMs;
  state.counters["longest_step_cpu_ms"] = longestCpuMs;
  state.counters["steps_over_2ms"] = over2Ms;
  state.counters["dt1_per_step"] = static_cast<double>(dt1) / std::max(steps, 1);
}
BENCHMARK(BM_DragWithChangeAlways)->Unit(benchmark::kMillisecond)->Iterations(5);

// The process's resident memory in KB (Linux), 0 where it cannot be read.
long residentKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

void BM_ManyEditsMemory(benchmark::State& state) {
  auto* level = program().editor().findChild<ValueFader*>(QStringLiteral("SlVol2"));
  // As the program's loop runs between a user's key presses.
  const auto edit = [level](int n) {
    QTest::keyClick(level, n % 2 ? Qt::Key_PageUp : Qt::Key_PageDown);
    QApplication::processEvents();
  };
  long growthKb = 0;
  for (auto _ : state) {
    for (int n = 0; n < EditsToFillTheHistory; ++n) edit(n);
    const long filled = residentKb();
    for (int n = EditsToFillTheHistory; n < ManyEdits; ++n) edit(n);
    growthKb = residentKb() - filled;
  }
  state.counters["growth_after_history_full_kb"] = static_cast<double>(growthKb);
  state.counters["resident_kb"] = static_cast<double>(residentKb());
}
BENCHMARK(BM_ManyEditsMemory)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  theProgram.reset();
  return 0;
}
