#include "app/splash_screen.h"

#include "app/window_placement.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace quillon {

namespace {
constexpr int SplashWidth = 590;
constexpr int SplashHeight = 222;
constexpr int SplashCloseMs = 2000;
constexpr QPoint OffsetFromMain(3, 69);
}  // namespace

SplashScreen::SplashScreen(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), closeTimer_(new QTimer(this)) {
  setObjectName(QStringLiteral("SplashScreen"));
  setWindowTitle(QStringLiteral("Quillon"));
  resize(SplashWidth, SplashHeight);
  setAutoFillBackground(true);

  auto* title = new QLabel(QStringLiteral("Quillon"));
  QFont big = title->font();
  big.setPointSizeF(big.pointSizeF() * 2.2);
  big.setBold(true);
  title->setFont(big);
  auto* subtitle = new QLabel(QStringLiteral("Performance editor for JV-1080 / JV-2080 family modules"));
  auto* versionLabel = new QLabel(QStringLiteral("Version"));
  auto* version = new QLabel(QString::fromLatin1(QuillonVersion));
  version->setObjectName(QStringLiteral("LVersion"));
  auto* note = new QLabel(
      QStringLiteral(" To have no confusion with Preset C,  Card Bank is shown as R: in Patch Selection.  "));
  note->setObjectName(QStringLiteral("LNote"));
  note->setWordWrap(true);
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setObjectName(QStringLiteral("BOK"));
  ok->setDefault(true);

  auto* layout = new QGridLayout(this);
  layout->addWidget(title, 0, 0, 1, 3);
  layout->addWidget(subtitle, 1, 0, 1, 3);
  layout->addWidget(versionLabel, 2, 0);
  layout->addWidget(version, 2, 1);
  layout->addWidget(note, 3, 0, 1, 3);
  layout->addWidget(ok, 4, 2);
  layout->setColumnStretch(1, 1);

  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  closeTimer_->setSingleShot(true);
  closeTimer_->setInterval(SplashCloseMs);
  connect(closeTimer_, &QTimer::timeout, this, &QDialog::accept);
}

void SplashScreen::placeBeside(const QWidget* mainWindow) {
  if (mainWindow) placement::placeOnScreen(this, mainWindow->frameGeometry().topLeft() + OffsetFromMain);
}

void SplashScreen::showAtStart(QWidget* mainWindow) {
  // Not modal: a file given at start is read and shown while it is up.
  placeBeside(mainWindow);
  closeTimer_->start();
  // The keys stay with the main window: a user starting to Tab loses nothing to it.
  setAttribute(Qt::WA_ShowWithoutActivating, true);
  show();
  // Where the platform activated it anyway, the keys go back when it closes.
  if (mainWindow)
    connect(
        this, &QDialog::finished, mainWindow,
        [mainWindow] {
          if (!QApplication::activeWindow()) mainWindow->activateWindow();
        },
        Qt::SingleShotConnection);
}

void SplashScreen::showAbout(const QWidget* mainWindow) {
  closeTimer_->stop();
  placeBeside(mainWindow);
  setAttribute(Qt::WA_ShowWithoutActivating, false);
  exec();
}

}  // namespace quillon
