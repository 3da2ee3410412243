#pragma once

#include "app/font_text.h"

class QTextEdit;

// The editor's font and background as the settings file keeps them. The colour values are kept
// as stored, so that a system colour stays a system colour across runs.
class EditorLook {
public:
    void bind(QTextEdit* editor);

    void setFont(const FontSpec& font);
    const FontSpec& font() const { return m_font; }

    void setBackground(qint32 color);
    qint32 background() const { return m_background; }

private:
    QTextEdit* m_editor = nullptr;
    FontSpec m_font;
    qint32 m_background = ColorValue::clWindow;
};
