#include "voice_box.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>

QString VoiceBox::shownText() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return shownText(option);
}

QString VoiceBox::shownText(const QStyleOptionComboBox& option) const {
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    return fontMetrics().elidedText(option.currentText, Qt::ElideMiddle, field.width());
}

void VoiceBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = shownText(option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
