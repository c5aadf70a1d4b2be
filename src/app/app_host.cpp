#include "app/app_host.h"

#include <QMessageBox>

#include <utility>

#include "app/debug_window.h"
#include "midi/event_wait.h"
#include "app/message_log_window.h"

namespace quillon {

QString infoText(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

void AppHost::showInfo(const std::string& text) {
  const std::string shown = held_.empty() ? text : std::exchange(held_, {}) + "\r\r" + text;
  if (onShowInfo) {
    onShowInfo(shown);
    return;
  }
  QMessageBox::information(infoParent_, QStringLiteral("Quillon"), infoText(shown), QMessageBox::Ok);
}

bool AppHost::ask(const std::string& text) {
  if (onAsk) return onAsk(text);
  return QMessageBox::question(infoParent_, QStringLiteral("Quillon"), infoText(text),
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void AppHost::showHeldInfo() {
  if (!held_.empty()) showInfo(std::exchange(held_, {}));
}

void AppHost::appendLogLine(LogMemo memo, const std::string& line) {
  if (!log_) return;
  const QString text = QString::fromStdString(line);
  memo == LogMemo::Sent ? log_->appendSent(text) : log_->appendReceived(text);
}

void AppHost::clearLog(LogMemo memo) {
  if (!log_) return;
  memo == LogMemo::Sent ? log_->clearSent() : log_->clearReceived();
}

void AppHost::debugLine(const std::string& text) {
  if (debug_) debug_->addLine(QString::fromStdString(text));
}

void AppHost::waitMs(int ms) { waitInEventLoop(ms); }
void AppHost::waitMsUntil(int ms, const std::function<bool()>& done) { waitInEventLoopUntil(ms, done); }
void AppHost::endWaitEarly() { endWaitsEarly(); }

}  // namespace quillon
