#include "app/app_context.h"

namespace quillon {

AppContext::AppContext(SettingsLocation location, QString dataPath)
    : settings(std::move(location), std::move(dataPath)) {
  names.setInfoSink([this](std::string_view text) { host.showInfo(std::string(text)); });
  QObject::connect(&history, &EditHistory::oldestStepsGo, &history,
                   [this](const QString& text) { host.showInfo(text.toStdString()); });
}

void AppContext::applySettings() { settings.deriveEngineSettings(); }

}  // namespace quillon
