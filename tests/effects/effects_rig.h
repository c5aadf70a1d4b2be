#pragma once
// The program's windows on the virtual module (device 0); every message that leaves is recorded.

#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "app/windows.h"
#include "app_fixture.h"
#include "controls/fader_base.h"
#include "midi/midi_backend.h"
#include "midi/virtual_backend.h"

namespace quillon::testing {

struct EffectsRig {
  TestContext t;
  ProgramWindows windows{*t.context};
  std::vector<Bytes> sent;
  EffectsRig() {
    ctx().engineSettings.sysDly = MinSysDly;
    ctx().host.onSendLong = [this, port = ctx().host.onSendLong](std::span<const Byte> m) {
      sent.emplace_back(m.begin(), m.end());
      if (port) port(m);
    };
  }
  AppContext& ctx() { return *t.context; }
  static jv::VirtualModule& module() { return midi::virtualModuleBackend().module(); }
  template <typename W>
  W* find(QWidget* window, const char* name) {
    return window->findChild<W*>(QString::fromLatin1(name));
  }
  // The data of every DT1 sent to `address`, in order.
  std::vector<Bytes> dataSentTo(const SysexAddress& address) const {
    std::vector<Bytes> out;
    for (const Bytes& m : sent)
      if (m.size() > roland::FrameOverhead && m[roland::PosCommand] == roland::CommandDT1 &&
          std::equal(address.bytes.begin(), address.bytes.end(), m.begin() + roland::PosAddress))
        out.emplace_back(m.begin() + roland::PosData, m.end() - 2);
    return out;
  }
  std::vector<Bytes> requests() const {
    std::vector<Bytes> out;
    std::copy_if(sent.begin(), sent.end(), std::back_inserter(out), [](const Bytes& m) {
      return m.size() == roland::RQ1Length && m[roland::PosCommand] == roland::CommandRQ1;
    });
    return out;
  }
  // Drags a fader's cap `pixels` up (down when negative), one mouse move each, then releases it.
  static void drag(FaderBase* fader, int pixels) {
    QPoint at(fader->width() / 2, fader->thumbCentreY());
    QTest::mousePress(fader, Qt::LeftButton, {}, at);
    for (int i = 0; i < std::abs(pixels); ++i) {
      at.ry() += pixels > 0 ? -1 : 1;
      QMouseEvent move(QEvent::MouseMove, at, fader->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(fader, &move);
    }
    QTest::mouseRelease(fader, Qt::LeftButton, {}, at);
  }
};

}  // namespace quillon::testing
