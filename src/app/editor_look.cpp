#include "editor_look.h"

#include <QApplication>
#include <QTextEdit>

namespace {

void setRole(QTextEdit* editor, QPalette::ColorRole role, qint32 color) {
    QPalette palette = editor->palette();
    const QColor painted = ColorValue::toQColor(color, QApplication::palette());
    palette.setColor(role, painted.isValid() ? painted : QApplication::palette().color(role));
    editor->setPalette(palette);
}

} // namespace

void EditorLook::bind(QTextEdit* editor) {
    m_editor = editor;
    setFont(m_font);
    setBackground(m_background);
}

void EditorLook::setFont(const FontSpec& font) {
    m_font = font;
    QFont qfont(font.name);
    if (font.size > 0)
        qfont.setPointSize(font.size);
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    qfont.setStrikeOut(font.strikeout);
    m_editor->setFont(qfont);
    setRole(m_editor, QPalette::Text, font.color);
}

void EditorLook::setBackground(qint32 color) {
    m_background = color;
    setRole(m_editor, QPalette::Base, color);
}
