#pragma once

#include <QComboBox>

// The voice list's box. A voice's name too long for the closed box is cut in the middle, not
// at the end: the speaker and the closing bracket stay in sight, so the speakers of one model
// still look different ("中文（自然，vits-zh…，说话人 3）"). The open list shows names whole.
class VoiceBox : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    // The current voice's name as the closed box shows it.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString shownText(const QStyleOptionComboBox& option) const;
};
