#include "controls/text_fader.h"

namespace quillon {
namespace {

constexpr int PreferredWidth = 64;

FaderBase::Behaviour textFaderBehaviour() {
  return {.pageStep = TextFader::PageStep,
          .changeOnMaxValue = true,
          .changeOnEveryKey = true,
          .releaseReportsAnyDrag = false,
          .capHitBelow = 3,
          .tickMargin = 3,
          .tickGap = 5,
          .preferredWidth = PreferredWidth};
}

}  // namespace

TextFader::TextFader(QWidget* parent) : FaderBase(textFaderBehaviour(), parent) {
  QFont small = font();
  small.setPointSize(DefaultPointSize);
  setFont(small);
  setAccessibleName(tr("Text fader"));
}

void TextFader::setText(const QString& text) {
  text_ = text.left(MaxTextLength);
  update();
}

}  // namespace quillon
