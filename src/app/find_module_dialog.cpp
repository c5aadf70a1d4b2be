#include "app/find_module_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "app/window_placement.h"
#include "editors/window_support.h"

namespace quillon {

namespace {
constexpr int MinWidthChars = 50;

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\r" + line;
  return text;
}
}  // namespace

FindModuleDialog::FindModuleDialog(AppContext& context, midi::MidiBackend& backend, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ctx_(context),
      finder_(context.sender.sessions(), backend) {
  setObjectName(QStringLiteral("TFindModuleForm"));
  setWindowTitle(QStringLiteral("Find Module"));
  setWindowModality(Qt::ApplicationModal);
  auto* top = new QVBoxLayout(this);
  top->setSizeConstraint(QLayout::SetFixedSize);  // grows with a long port name
  LFindPort = named(new QLabel(QStringLiteral("Asking the outputs...")), "LFindPort");
  LFindPort->setAccessibleName(QStringLiteral("Output asked now"));
  LFindPort->setMinimumWidth(fontMetrics().averageCharWidth() * MinWidthChars);
  LFindPort->setWordWrap(true);
  PbFind = named(new QProgressBar, "PbFind");
  PbFind->setAccessibleName(QStringLiteral("Find Module progress"));
  BFindCancel = named(new QPushButton(QStringLiteral("Cancel")), "BFindCancel");
  BFindCancel->setAccessibleName(QStringLiteral("Cancel Find Module"));
  top->addWidget(LFindPort);
  top->addWidget(PbFind);
  top->addWidget(BFindCancel, 0, Qt::AlignRight);
  connect(BFindCancel, &QPushButton::clicked, this, &FindModuleDialog::reject);
  connect(&finder_, &ModuleFinder::progress, this, [this](int done, int total, const QString& port) {
    PbFind->setMaximum(total);
    PbFind->setValue(done);
    if (!port.isEmpty()) LFindPort->setText(QStringLiteral("Asking out \"%1\" at unit IDs 17..32").arg(port));
  });
  placement::keepOnScreen(this);
}

void FindModuleDialog::reject() {
  if (finder_.running()) finder_.cancel();
  QDialog::reject();
}

std::optional<ChosenModule> FindModuleDialog::findAndOffer(int sysDly, std::optional<int> onlyOutput) {
  show();
  placement::centreOnScreen(this, parentWidget());
  const bool ran = finder_.run(sysDly, onlyOutput);
  hide();
  if (!ran) {
    ctx_.host.showInfo(find_text::Busy);
    return std::nullopt;
  }
  const ModuleSearch& search = *finder_.search();
  const std::string seen = joined(search.observations());
  // Cancelled: what it saw is said, nothing is offered.
  for (const ModuleFound& f : search.cancelled() ? std::vector<ModuleFound>{} : search.found()) {
    if (!ctx_.host.ask(search.question(f) + (seen.empty() ? "" : "\r" + seen))) continue;
    return ChosenModule{{f.output, search.outputName(f.output)}, {f.input, search.inputName(f.input)}, f.unitId};
  }
  if (search.found().empty() || search.cancelled()) {
    std::string text = search.report();
    std::replace(text.begin(), text.end(), '\n', '\r');
    ctx_.host.showInfo(text);
  }
  return std::nullopt;
}

}  // namespace quillon
