#include "app/program_application.h"

#include <QMessageBox>

#include <exception>

namespace quillon {

std::string ProgramApplication::failureText(const char* what) {
  return std::string("The command was stopped; your data is kept.\r") + what;
}

bool ProgramApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    const std::string text = failureText(e.what());
    if (report_)
      report_(text);
    else
      QMessageBox::information(activeWindow(), applicationDisplayName(),
                               QString::fromStdString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
  }
  return false;
}

}  // namespace quillon
