#pragma once
// The EFX editor: type, the twelve parameter sliders that follow the type,
// output assign and sends, the two control sources with their depths, and the
// three EFX sources. Every change is a direct data set to the common block; a
// type change also fetches the parameters the module chose for the new type.

#include <QWidget>

#include <array>
#include <optional>

#include "editors/binding/binding_set.h"
#include "engine/efx_table.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace quillon {

class RollSpinBox;
class TextFader;
class ValueFader;

class EfxWindow : public QWidget {
  Q_OBJECT
 public:
  // The leading text of the effect caption after a type change.
  static constexpr const char* EfxSourceText = "Perform";

  explicit EfxWindow(EditingContext& context, QWidget* parent = nullptr);
  ~EfxWindow() override;

  // Height and tick count of a parameter slider for a list with entries 0..maxValue.
  static int sliderHeight(int maxValue);
  static int sliderTicks(int maxValue);

  // Every control from the Temporary Performance; nothing is sent.
  void refresh();
  // The type shown now, or nothing when the stored byte is no EFX type.
  std::optional<int> currentType() const;

  TextFader* slider(int slot) const { return sliders_.at(static_cast<std::size_t>(slot - 1)); }
  QLabel* sliderLabel(int slot) const { return labels_.at(static_cast<std::size_t>(slot - 1)); }

 public slots:
  // Shows the window (refreshed) in front of the others.
  void showAndRaise();

 signals:
  // "Show Chorus - Reverb" was pressed.
  void chorusReverbRequested();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void buildControls();
  QWidget* buildInputPanel();
  QWidget* buildParameterPanel();
  QWidget* buildOutputPanel();
  void bindControls();
  void adaptToType();
  bool sendType(int type);
  void showSlotText(int slot);
  // The text of `value` in EFX slot `slot` of the chosen type; empty when it has none.
  QString slotText(int slot, int value) const;
  void storeChanged(const StoreChange& change);

  EditingContext& ctx_;
  EfxTypeTable table_;
  BindingSet bindings_;
  Binding* typeBinding_ = nullptr;
  std::array<TextFader*, EfxSlotCount> sliders_{};
  std::array<QLabel*, EfxSlotCount> labels_{};
  std::array<Binding*, EfxSlotCount> slotBindings_{};
  std::array<QLabel*, EfxControlCount> controlTargets_{};
  QComboBox* type_ = nullptr;
  QLabel* caption_ = nullptr;
  QString chosenCaption_;
  QCheckBox* always_ = nullptr;
  bool changingType_ = false;
};

}  // namespace quillon
