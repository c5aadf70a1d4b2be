#pragma once
// The program's application object. A failure the engine throws (a message
// that cannot be built, a port that went away) while a command runs must not
// end the program and lose every unsaved edit: it is reported in a box, the
// command stops there, and the data stays as it was.

#include <QApplication>

#include <functional>
#include <string>

namespace quillon {

class ProgramApplication : public QApplication {
 public:
  ProgramApplication(int& argc, char** argv) : QApplication(argc, argv) {}

  // Where failures are told; an information box until the program says otherwise.
  void setFailureReport(std::function<void(const std::string&)> report) { report_ = std::move(report); }

  bool notify(QObject* receiver, QEvent* event) override;

  static std::string failureText(const char* what);

 private:
  std::function<void(const std::string&)> report_;
};

}  // namespace quillon
