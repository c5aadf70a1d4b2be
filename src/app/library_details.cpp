#include "app/library_details.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "editors/window_support.h"
#include "engine/efx_table.h"
#include "engine/value_texts.h"
#include "settings/names/patch_name_library.h"

namespace quillon {

namespace {

enum PartColumn { PartNumberColumn, PatchColumn, PlaceColumn, PartColumnCount };
constexpr int PatchNumberDigits = 3;
constexpr char PresetLetterFirst = 'A';
const QString TagSeparator = QStringLiteral(", ");

QString fromView(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString effectsText(const library::RecordSummary& s) {
  static const EfxTypeTable table;
  const QString efx =
      EfxTypeTable::isType(s.efxType) ? fromView(table.typeName(s.efxType)) : QStringLiteral("?%1").arg(s.efxType);
  return QStringLiteral("EFX: %1\nReverb: %2   Chorus out: %3\nTempo: %4   Split parts: %5")
      .arg(efx, fromView(texts::textOr(texts::ReverbType, s.reverbType)),
           fromView(texts::textOr(texts::ChorusOutput, s.chorusOutput)))
      .arg(s.tempo)
      .arg(s.splitParts);
}

}  // namespace

QString patchPlaceText(const library::PartPatch& patch) {
  const QString number = QStringLiteral("%1").arg(patch.number + 1, PatchNumberDigits, 10, QLatin1Char('0'));
  if (patch.groupType == group_type::PcmCard) return QStringLiteral("PCM ") + number;
  if (patch.groupType == group_type::Expansion) return QStringLiteral("Exp %1 ").arg(patch.groupId) + number;
  if (patch.groupId == UserGroupId) return QStringLiteral("User ") + number;
  if (patch.groupId == CardGroupId) return QStringLiteral("Card ") + number;
  if (patch.groupId >= FirstPresetGroupId && patch.groupId < FirstPresetGroupId + PresetBankCount)
    return QStringLiteral("Preset %1 ").arg(QChar(PresetLetterFirst + patch.groupId - FirstPresetGroupId)) + number;
  return QStringLiteral("? ") + number;
}

std::vector<std::string> tagsFromText(const QString& text) {
  std::vector<std::string> tags;
  for (const QString& part : text.split(QLatin1Char(','))) {
    const std::string tag = part.trimmed().toStdString();
    if (!tag.empty() && std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(tag);
  }
  return tags;
}

LibraryDetails::LibraryDetails(QWidget* parent)
    : QWidget(parent),
      name_(named(new QLabel, "LDetailName")),
      parts_(named(new QTableWidget(address::PartCount, PartColumnCount), "TwParts")),
      effects_(named(new QLabel, "LEffects")),
      favourite_(named(new QCheckBox(QStringLiteral("&Favourite")), "ChFavourite")),
      tags_(named(new QLineEdit, "EdTags")),
      comment_(named(new QLineEdit, "EdComment")) {
  setObjectName(QStringLiteral("PLibraryDetails"));
  parts_->setAccessibleName(QStringLiteral("Parts of the chosen performance"));
  parts_->setHorizontalHeaderLabels({QStringLiteral("Part"), QStringLiteral("Patch"), QStringLiteral("Bank")});
  parts_->verticalHeader()->hide();
  parts_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  parts_->setSelectionBehavior(QAbstractItemView::SelectRows);
  parts_->setTabKeyNavigation(false);
  parts_->horizontalHeader()->setSectionResizeMode(PatchColumn, QHeaderView::Stretch);
  parts_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
  for (int p = 0; p < address::PartCount; ++p) {
    for (int c = 0; c < PartColumnCount; ++c) parts_->setItem(p, c, new QTableWidgetItem);
    parts_->item(p, PartNumberColumn)->setText(QString::number(p + 1));
  }
  parts_->resizeColumnToContents(PartNumberColumn);
  name_->setAccessibleName(QStringLiteral("Chosen performance"));
  effects_->setAccessibleName(QStringLiteral("Effects"));
  favourite_->setAccessibleName(QStringLiteral("Favourite"));
  tags_->setAccessibleName(QStringLiteral("Tags, separated by commas"));
  tags_->setPlaceholderText(QStringLiteral("live, pad, ..."));
  comment_->setAccessibleName(QStringLiteral("Comment"));
  auto* fields = new QFormLayout;
  fields->addRow(favourite_);
  fields->addRow(QStringLiteral("&Tags:"), tags_);
  fields->addRow(QStringLiteral("Co&mment:"), comment_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(name_);
  layout->addWidget(parts_, 1);
  layout->addWidget(effects_);
  layout->addLayout(fields);
  connect(favourite_, &QCheckBox::toggled, this, [this](bool on) {
    if (!shown_ || shown_->favourite == on || !saveFavourite) return;
    const std::string error = saveFavourite(shown_->id, on);
    if (error.empty()) {
      shown_->favourite = on;
      emit favouriteChanged(shown_->id, on);
    }
    report(error);
  });
  connect(tags_, &QLineEdit::editingFinished, this, &LibraryDetails::commitTags);
  connect(comment_, &QLineEdit::editingFinished, this, &LibraryDetails::commitComment);
  showPerformance(std::nullopt);
}

void LibraryDetails::showPerformance(const std::optional<library::StoredPerformance>& performance) {
  shown_ = performance;
  const bool any = shown_.has_value();
  for (QWidget* w : std::initializer_list<QWidget*>{favourite_, tags_, comment_}) w->setEnabled(any);
  name_->setText(any ? QString::fromStdString(shown_->summary.name) : QStringLiteral("No performance chosen"));
  effects_->setText(any ? effectsText(shown_->summary) : QString());
  for (int p = 0; p < address::PartCount; ++p) {
    const auto* patch = any ? &shown_->summary.patches[static_cast<std::size_t>(p)] : nullptr;
    parts_->item(p, PatchColumn)->setText(patch ? QString::fromStdString(patch->name) : QString());
    parts_->item(p, PlaceColumn)->setText(patch ? patchPlaceText(*patch) : QString());
  }
  parts_->resizeColumnToContents(PlaceColumn);
  const QSignalBlocker quiet(favourite_);
  favourite_->setChecked(any && shown_->favourite);
  QStringList tags;
  if (any)
    for (const auto& t : shown_->tags) tags << QString::fromStdString(t);
  tags_->setText(tags.join(TagSeparator));
  comment_->setText(any ? QString::fromStdString(shown_->comment) : QString());
}

void LibraryDetails::commitTags() {
  if (!shown_ || !saveTags) return;
  const std::vector<std::string> wanted = tagsFromText(tags_->text());
  std::vector<std::string> add, remove;
  for (const auto& t : wanted)
    if (std::find(shown_->tags.begin(), shown_->tags.end(), t) == shown_->tags.end()) add.push_back(t);
  for (const auto& t : shown_->tags)
    if (std::find(wanted.begin(), wanted.end(), t) == wanted.end()) remove.push_back(t);
  if (add.empty() && remove.empty()) return;
  const std::string error = saveTags(shown_->id, add, remove);
  if (error.empty()) shown_->tags = wanted;
  report(error);
}

void LibraryDetails::commitComment() {
  const std::string text = comment_->text().toStdString();
  if (!shown_ || !saveComment || text == shown_->comment) return;
  const std::string error = saveComment(shown_->id, text);
  if (error.empty()) shown_->comment = text;
  report(error);
}

void LibraryDetails::report(const std::string& error) {
  if (!error.empty()) emit failed(QString::fromStdString(error));
}

}  // namespace quillon
