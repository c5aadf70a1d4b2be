#include "controls/sliddt.h"

namespace quillon {
namespace {

constexpr int PreferredWidth = 64;

FaderBase::Behaviour textFaderBehaviour() {
  return {.pageStep = TSliddt::PageStep,
          .changeOnMaxValue = true,
          .changeOnEveryKey = true,
          .releaseReportsAnyDrag = false,
          .capHitBelow = 3,
          .tickMargin = 3,
          .tickGap = 5,
          .preferredWidth = PreferredWidth};
}

}  // namespace

TSliddt::TSliddt(QWidget* parent) : FaderBase(textFaderBehaviour(), parent) {
  QFont small = font();
  small.setPointSize(DefaultPointSize);
  setFont(small);
  setAccessibleName(tr("Text fader"));
}

void TSliddt::setText(const QString& text) {
  text_ = text.left(MaxTextLength);
  update();
}

}  // namespace quillon
