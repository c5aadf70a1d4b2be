#include "app/performance_sheet.h"

#include <QColor>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <array>
#include <string_view>

#include "engine/slider_texts.h"
#include "controls/qt_text.h"

namespace quillon {

namespace {

// The part rows a sheet's table shows, in this order; the receive switches of
// controllers stay in the program, not on paper.
constexpr std::array<std::string_view, 13> PartColumns{
    "receive", "channel",      "patch",       "level",       "pan",       "coarse tune",  "fine tune",
    "output",  "mix/EFX send", "chorus send", "reverb send", "key range", "voice reserve"};
constexpr std::string_view PatchColumn = "patch";
constexpr std::array<words::Section, 4> EffectSections{words::Section::Performance, words::Section::Efx,
                                                       words::Section::Chorus, words::Section::Reverb};

// The key-range picture, in pixels of an image drawn at twice the size it is shown at.
constexpr int KeyWidth = 6;  // the picture is shown 600 wide: narrow keys keep its labels readable
constexpr int LabelWidth = 110;
constexpr int BarHeight = 16;
constexpr int BarGap = 2;
constexpr int KeyboardHeight = 48;
constexpr int BlackKeyDepth = 30;
constexpr int NoteLabelHeight = 24;
constexpr int PictureShownWidth = 600;
constexpr std::size_t ColumnRows = 6;  // rows of the effects before a section goes on in the next column
constexpr int OctaveNotes = 12;
constexpr std::array<bool, OctaveNotes> BlackKeys{false, true,  false, true,  false, false,
                                                  true,  false, true,  false, true,  false};
constexpr int HueStep = 360 / address::PartCount;
constexpr int BarSaturation = 150;
constexpr int BarValue = 210;

QString escaped(const std::string& text) { return toQ(text).toHtmlEscaped(); }

// The value of the row named `parameter` among `rows`, empty when there is none.
std::string valueOf(const std::vector<words::Row>& rows, std::string_view parameter) {
  const auto it =
      std::find_if(rows.begin(), rows.end(), [parameter](const words::Row& r) { return r.parameter == parameter; });
  return it == rows.end() ? std::string() : it->value;
}

QString partsTable(const PerformanceRecord& record, const words::Vocabulary& vocabulary) {
  QString html =
      QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"0\" width=\"100%\"><tr><th>Part</th>");
  for (std::string_view column : PartColumns)
    html += QStringLiteral("<th>") + escaped(std::string(column)) + QStringLiteral("</th>");
  html += QStringLiteral("</tr>");
  for (int p = 0; p < address::PartCount; ++p) {
    const auto rows = words::partWords(record, p, vocabulary);
    html += QStringLiteral("<tr><td align=\"right\">") + QString::number(p + 1) + QStringLiteral("</td>");
    for (std::string_view column : PartColumns)
      // A patch's bank, number and name stay on one line.
      html += (column == PatchColumn ? QStringLiteral("<td style=\"white-space: nowrap\">")
                                     : QStringLiteral("<td align=\"center\">")) +
              escaped(valueOf(rows, column)) + QStringLiteral("</td>");
    html += QStringLiteral("</tr>");
  }
  return html + QStringLiteral("</table>");
}

// Performance, EFX, chorus and reverb side by side, each a list of its rows; a
// long list (the EFX of many parameters) goes on in the next column.
QString effectsTable(const std::vector<words::Row>& rows) {
  QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"1\" width=\"100%\"><tr>");
  const auto column = [&html](const QString& caption, const std::vector<const words::Row*>& part) {
    html += QStringLiteral("<td valign=\"top\"><b>") + caption +
            QStringLiteral("</b><table cellspacing=\"0\" cellpadding=\"0\">");
    for (const words::Row* row : part)
      html += QStringLiteral("<tr><td>") + escaped(row->parameter) + QStringLiteral("&nbsp;&nbsp;</td><td>") +
              escaped(row->value) + QStringLiteral("</td></tr>");
    html += QStringLiteral("</table></td>");
  };
  for (words::Section section : EffectSections) {
    std::vector<const words::Row*> inSection;
    for (const words::Row& row : rows)
      if (row.section == section) inSection.push_back(&row);
    const QString caption = escaped(words::sectionName(section, -1));
    for (std::size_t first = 0; first < inSection.size(); first += ColumnRows)
      column(first == 0 ? caption : caption + QStringLiteral(" (more)"),
             {inSection.begin() + static_cast<std::ptrdiff_t>(first),
              inSection.begin() + static_cast<std::ptrdiff_t>(std::min(first + ColumnRows, inSection.size()))});
  }
  return html + QStringLiteral("</tr></table>");
}

QString oneSheet(const SheetEntry& entry, const words::Vocabulary& vocabulary, const QString& imageSource) {
  const auto rows = words::performanceWords(entry.record, vocabulary);
  return QStringLiteral("<h1>") + escaped(valueOf(rows, "name")) + QStringLiteral("</h1><p>") +
         entry.title.toHtmlEscaped() + QStringLiteral("</p><h2>Parts</h2>") + partsTable(entry.record, vocabulary) +
         QStringLiteral("<h2>Key ranges</h2><p><img src=\"") + imageSource + QStringLiteral("\" width=\"") +
         QString::number(PictureShownWidth) + QStringLiteral("\"></p><h2>Effects</h2>") + effectsTable(rows);
}

QString csvField(const QString& text) {
  if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
    return text;
  return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

int noteX(int note) { return LabelWidth + note * KeyWidth; }

void paintKeyboard(QPainter& painter, int top) {
  painter.setPen(Qt::black);
  for (int note = 0; note < texts::MidiNoteCount; ++note) {
    const bool black = BlackKeys[static_cast<std::size_t>(note % OctaveNotes)];
    painter.fillRect(noteX(note), top, KeyWidth, black ? BlackKeyDepth : KeyboardHeight, black ? Qt::black : Qt::white);
    if (!black) painter.drawRect(noteX(note), top, KeyWidth, KeyboardHeight);
    if (note % OctaveNotes == 0)
      painter.drawText(QRect(noteX(note), top + KeyboardHeight, KeyWidth * OctaveNotes, NoteLabelHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(texts::noteName(note).data()));
  }
}

}  // namespace

QImage keyRangePicture(const PerformanceRecord& record) {
  const int barsHeight = address::PartCount * (BarHeight + BarGap);
  QImage image(noteX(texts::MidiNoteCount) + KeyWidth, barsHeight + KeyboardHeight + NoteLabelHeight,
               QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QFont font = painter.font();
  font.setPixelSize(BarHeight);
  painter.setFont(font);
  for (int p = 0; p < address::PartCount; ++p) {
    const auto& r = record.parts[static_cast<std::size_t>(p)];
    const int y = p * (BarHeight + BarGap);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, y, LabelWidth, BarHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Part ") + QString::number(p + 1));
    const int lower = std::min<int>(r[part::KeyRangeLower], texts::MidiNoteCount - 1);
    const int upper = std::min<int>(r[part::KeyRangeUpper], texts::MidiNoteCount - 1);
    if (upper < lower) continue;  // the module plays such a part nowhere
    const QColor colour =
        r[part::ReceiveSwitch] ? QColor::fromHsv(p * HueStep, BarSaturation, BarValue) : Qt::lightGray;
    painter.fillRect(noteX(lower), y, (upper - lower + 1) * KeyWidth, BarHeight, colour);
    painter.drawRect(noteX(lower), y, (upper - lower + 1) * KeyWidth, BarHeight);
  }
  paintKeyboard(painter, barsHeight);
  return image;
}

QString sheetHtml(const std::vector<SheetEntry>& entries, const words::Vocabulary& vocabulary,
                  const SheetImageSource& image) {
  QString html = QStringLiteral(
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Performance sheets</title>"
      "<style>body { font-family: sans-serif; font-size: 7pt; } h1 { font-size: 13pt; margin-bottom: 0; } "
      "h2 { font-size: 9pt; margin-top: 4px; margin-bottom: 2px; } p { margin-top: 0; margin-bottom: 0; } th { "
      "background-color: #e8e8e8; }</style></head><body>");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    // One performance a page.
    html += i == 0 ? QStringLiteral("<div>") : QStringLiteral("<div style=\"page-break-before: always\">");
    html += oneSheet(entries[i], vocabulary, image(static_cast<int>(i))) + QStringLiteral("</div>");
  }
  return html + QStringLiteral("</body></html>");
}

QString sheetCsv(const std::vector<SheetEntry>& entries, const words::Vocabulary& vocabulary) {
  QStringList header{QStringLiteral("Source"), QStringLiteral("Name")};
  for (int p = 0; p < address::PartCount; ++p) header << toQ(words::sectionName(words::Section::Part, p));
  QString csv = header.join(QLatin1Char(',')) + QLatin1Char('\n');
  for (const SheetEntry& entry : entries) {
    QStringList line{csvField(entry.title), csvField(toQ(performanceName(entry.record.common)).trimmed())};
    for (int p = 0; p < address::PartCount; ++p)
      line << csvField(toQ(valueOf(words::partWords(entry.record, p, vocabulary), PatchColumn)));
    csv += line.join(QLatin1Char(',')) + QLatin1Char('\n');
  }
  return csv;
}

}  // namespace quillon
