#include "controls/value_fader.h"

namespace quillon {
namespace {

constexpr int PreferredWidth = 26;

FaderBase::Behaviour numberFaderBehaviour() {
  return {.pageStep = ValueFader::PageStep,
          .changeOnMaxValue = false,
          .changeOnEveryKey = false,
          .releaseReportsAnyDrag = true,
          .capHitBelow = 2,
          .tickMargin = 2,
          .tickGap = 3,
          .preferredWidth = PreferredWidth};
}

}  // namespace

ValueFader::ValueFader(QWidget* parent) : FaderBase(numberFaderBehaviour(), parent) {
  setAccessibleName(tr("Value fader"));
}

QString ValueFader::displayText() const { return QString::number(Position()); }

QFont ValueFader::displayFont() const {
  QFont small = font();
  small.setPointSize(NumberPointSize);
  return small;
}

}  // namespace quillon
