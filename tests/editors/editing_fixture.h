#pragma once
// The program as start-up builds it on the virtual module, the module's
// Temporary Performance fetched and the performance editor opened from the
// main window; what leaves for the module is recorded.

#include <QKeyEvent>
#include <QPushButton>
#include <QRegularExpression>

#include "program_fixture.h"

namespace quillon::testing {

// The program with the module's Temporary Performance fetched and the editor opened.
struct Editing : Program {
  explicit Editing(const std::function<void(DeviceSettings&)>& adjust = {}) : Program(adjust) {
    main().getTemp();
    main().findChild<QPushButton*>(QStringLiteral("Beditp"))->click();
  }
  PerformanceEditor* editor() { return windows->performanceEditor.get(); }
  PartSwitchesWindow* switches() { return windows->partSwitches.get(); }
  KeyRangeWindow* keyRange() { return windows->keyRange.get(); }
  template <typename T>
  static T* in(QWidget* window, const char* name) {
    T* c = window->findChild<T*>(QLatin1String(name));
    if (!c) qFatal("no control %s", name);
    return c;
  }
  static void click(QWidget* window, const char* name) { in<QAbstractButton>(window, name)->click(); }

  // Edits `control` and says what is wrong: its caption, its accessible name
  // and the part of the data set sent must be one part.
  QString edit(const QString& caption, QWidget* control, const std::function<void()>& change) {
    const int shown = partNamedIn(caption);
    const int spoken = partNamedIn(control->accessibleName());
    const std::size_t before = sent.size();
    change();
    const int edited = sent.size() > before ? partAddressed(sent.back()) : -1;
    if (shown == spoken && spoken == edited) return {};
    return QStringLiteral("caption '%1', accessible name '%2', data set for part %3")
        .arg(caption, control->accessibleName())
        .arg(edited + 1);
  }
  // "Part 5 level", "12": part 4, part 11.
  static int partNamedIn(const QString& text) {
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("(\\d+)")).match(text);
    return m.hasMatch() ? m.captured(1).toInt() - 1 : -1;
  }
  static int partAddressed(const Bytes& message) { return message[roland::PosAddress + 2] - address::BlockPartFirst; }
  // The data of every data set sent to `at`, in order.
  std::vector<Bytes> dataSentTo(const SysexAddress& at) const {
    std::vector<Bytes> out;
    for (const Bytes& m : sent)
      if (m.size() > roland::FrameOverhead && m[roland::PosCommand] == roland::CommandDT1 &&
          std::equal(at.bytes.begin(), at.bytes.end(), m.begin() + roland::PosAddress))
        out.emplace_back(m.begin() + roland::PosData, m.end() - 2);
    return out;
  }
  static jv::VirtualModule& module() { return midi::virtualModuleBackend().module(); }
  // A key the user presses while the program is busy: it arrives at the next wait.
  static void pressLater(QWidget* control, Qt::Key key) {
    QCoreApplication::postEvent(control, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    QCoreApplication::postEvent(control, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
  }
};

}  // namespace quillon::testing
