#include "controls/slid_navf.h"

namespace quillon {
namespace {

constexpr int PreferredWidth = 26;

FaderBase::Behaviour numberFaderBehaviour() {
  return {.pageStep = TSlidNaVf::PageStep,
          .changeOnMaxValue = false,
          .changeOnEveryKey = false,
          .releaseReportsAnyDrag = true,
          .capHitBelow = 2,
          .tickMargin = 2,
          .tickGap = 3,
          .preferredWidth = PreferredWidth};
}

}  // namespace

TSlidNaVf::TSlidNaVf(QWidget* parent) : FaderBase(numberFaderBehaviour(), parent) {
  setAccessibleName(tr("Value fader"));
}

QString TSlidNaVf::displayText() const { return QString::number(Position()); }

QFont TSlidNaVf::displayFont() const {
  QFont small = font();
  small.setPointSize(NumberPointSize);
  return small;
}

}  // namespace quillon
