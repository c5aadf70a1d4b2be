#include "app/library_files.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_context.h"
#include "app/library_feed.h"
#include "app/save_choice_dialog.h"
#include "editors/window_support.h"
#include "engine/syx_writer.h"
#include "library/library_bank.h"

namespace quillon {

namespace {
constexpr int ListMinWidthChars = 70;
constexpr int ListMinLines = 12;
}  // namespace

std::string saveLibraryBank(QWidget* parent, AppContext& ctx, LibraryFeed& feed,
                            std::span<const library::StoredPerformance> performances, Byte area,
                            const QString& chosen) {
  if (chosen.isEmpty() || performances.empty()) return {};
  const std::string name = withDumpExtension(chosen.toStdString());
  const std::optional<SaveConsent> consent = askSaveConsent(parent, name);
  if (!consent) return {};
  const Bytes bytes = dumpFileBytes(name, library::bankFileBytes(performances, area), ctx.engineSettings.sysDly);
  if (const std::string error = writeFileAtomically(name, bytes, *consent); !error.empty()) {
    ctx.host.showInfo(error);
    return {};
  }
  feed.fileSeen(name);
  return name;
}

LibraryListDialog::LibraryListDialog(QWidget* parent) : QDialog(parent), heading_(new QLabel), list_(new QListWidget) {
  setObjectName(QStringLiteral("TLibraryListForm"));
  named(heading_, "LListHeading");
  named(list_, "LbLibraryList")->setAccessibleName(QStringLiteral("Places and performances"));
  heading_->setBuddy(list_);
  heading_->setWordWrap(true);
  const QFontMetrics fm(font());
  list_->setMinimumSize(fm.averageCharWidth() * ListMinWidthChars / 2, fm.height() * ListMinLines / 2);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  named(buttons->button(QDialogButtonBox::Close), "BListClose")->setAccessibleName(QStringLiteral("Close"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
  connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    if (goTo_) goTo_(list_->row(item));
  });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addWidget(list_, 1);
  layout->addWidget(buttons);
  resize(fm.averageCharWidth() * ListMinWidthChars, fm.height() * ListMinLines * 2);
}

void LibraryListDialog::showLines(const QString& title, const QString& heading, const QStringList& lines,
                                  std::function<void(int line)> goTo) {
  setWindowTitle(title);
  goTo_ = std::move(goTo);
  heading_->setText(heading);
  list_->setAccessibleDescription(goTo_ ? heading + QStringLiteral(" Enter goes to the line's performance.")
                                        : heading);
  list_->clear();
  list_->addItems(lines);
  if (list_->count() > 0) list_->setCurrentRow(0);
  showWindow(this);
  list_->setFocus();
}

QString sightingText(const library::Sighting& s) {
  const QString where = s.kind == library::Sighting::Kind::Fetch
                            ? QStringLiteral("fetched from %1").arg(QString::fromStdString(s.place))
                            : QStringLiteral("%1 #%2 (%3)")
                                  .arg(QString::fromStdString(s.path))
                                  .arg(s.position + 1)
                                  .arg(QString::fromStdString(s.place));
  return QStringLiteral("%1, %2, first seen %3, last seen %4")
      .arg(where, QString::fromUtf8(ModuleTypeNames[static_cast<std::size_t>(s.moduleType)].data()),
           QString::fromStdString(s.firstSeen), QString::fromStdString(s.lastSeen));
}

}  // namespace quillon
