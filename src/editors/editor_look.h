#pragma once
// The look the performance editor's parts share: its colours and the few
// kinds of caption and button it builds its columns and overview from.

#include <QColor>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace quillon {

namespace editor_look {
inline const QColor PatchCaption(239, 227, 255);  // the patch fields and a receiving part's "On"
inline const QColor Sounding(149, 255, 122);
}  // namespace editor_look

// Background and text of a caption-like control; repaints only when they change.
void setColours(QWidget* w, const QColor& background, const QColor& text);
QPushButton* namedButton(const char* name, const QString& caption, const QString& hint = {});
// A caption the user clicks: flat, reachable by Tab, pressed by Space.
QPushButton* flatCaption(const QString& name, const QString& hint);
QLabel* leftCaption(const QString& text);

}  // namespace quillon
