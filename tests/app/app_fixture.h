#pragma once
// A program context on temporary settings and the shipped name lists, with
// information boxes recorded instead of shown.

#include <QDir>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "app/app_context.h"

namespace quillon::testing {

struct TestContext {
  QTemporaryDir dir;
  std::vector<std::string> infos;
  std::unique_ptr<AppContext> context;

  TestContext() {
    // The shipped name lists, in a data folder of the test's own.
    for (const char* list : {"Preset.ini", "User.ini", "Expansion.ini"})
      QFile::copy(QStringLiteral(QUILLON_DATA_DIR "/") + QLatin1String(list), dir.filePath(QLatin1String(list)));
    context = std::make_unique<AppContext>(SettingsLocation::iniFile(dir.filePath(QStringLiteral("Quillon.conf"))),
                                           dir.path() + QDir::separator());
    context->host.onShowInfo = [this](const std::string& text) { infos.push_back(text); };
  }
  QString path(const QString& name) const { return dir.filePath(name); }
};

}  // namespace quillon::testing
