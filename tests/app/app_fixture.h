#pragma once
// A program context on temporary settings and the shipped name lists, with
// information boxes recorded instead of shown.

#include <QDir>
#include <QFile>
#include <functional>
#include <QTemporaryDir>
#include <QWidget>

#include <string>
#include <vector>

#include "app/app_context.h"
#include "engine/demo_performances.h"
#include "engine/syx_writer.h"

namespace quillon::testing {

struct TestContext {
  QTemporaryDir dir;
  std::vector<std::string> infos;
  std::vector<std::string> questions;  // Yes/No boxes, answered by `answer` (No by default)
  std::function<bool(const std::string&)> answer;
  std::unique_ptr<AppContext> context;

  TestContext() {
    // The shipped name lists, in a data folder of the test's own.
    for (const char* list : {"Preset.ini", "User.ini", "Expansion.ini"})
      QFile::copy(QStringLiteral(QUILLON_DATA_DIR "/") + QLatin1String(list), dir.filePath(QLatin1String(list)));
    context = std::make_unique<AppContext>(SettingsLocation::iniFile(dir.filePath(QStringLiteral("Quillon.conf"))),
                                           dir.path() + QDir::separator());
    context->host.onShowInfo = [this](const std::string& text) { infos.push_back(text); };
    context->host.onAsk = [this](const std::string& text) {
      questions.push_back(text);
      return answer && answer(text);
    };
  }
  QString path(const QString& name) const { return dir.filePath(name); }
};

// A .syx dump of `count` demo performances in `area` (temporary, User or Card).
inline Bytes bankBytes(Byte area, int count, BlockSizes sizes = StandardBlockSizes,
                       const std::function<void(PerformanceRecord&)>& change = {}) {
  PerformanceStore store;
  store.FromUser = area == address::AreaUserPerformance;
  store.FromCard = area == address::AreaCardPerformance;
  store.FromTemp = area == address::AreaTemporary;
  store.PerformanceCount = count;
  for (int i = 0; i < count; ++i) {
    store.PerformanceList[i] = demoPerformance(i % DemoPerformanceCount);
    if (change) change(store.PerformanceList[i]);
  }
  return listSyxBytes(store, sizes);
}

// A window's control by the object name the tests know it by; fails loudly when missing.
template <typename T>
T* childNamed(QWidget& window, const QString& name) {
  T* control = window.findChild<T*>(name);
  if (!control) qFatal("no control named %s", qPrintable(name));
  return control;
}
template <typename T>
T* childNamed(QWidget& window, const char* name) {
  return childNamed<T>(window, QString::fromLatin1(name));
}

inline void writeBytes(const QString& path, const Bytes& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

}  // namespace quillon::testing
