#pragma once

// A scanned page made by the tests and the benchmark: Chinese and English paragraphs at 12 pt
// in Noto Sans CJK on an A4 page at 300 dpi, and the character error rate of a reading of it.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <vector>

inline QString scannedPageText() {
    return QStringList{
        QStringLiteral(
            "今天的天气很好，我们一起去公园散步。路边的花开了，孩子们在草地上跑来跑去。"),
        QStringLiteral("Reading aloud helps people who cannot see the screen well, and it lets "
                       "everyone rest their eyes after a long day."),
        QStringLiteral("这本书讲的是一个小城市的故事。作者用简单的语言写出了人们的生活和希望。"),
        QStringLiteral("The quick brown fox jumps over the lazy dog near the river bank."),
        QStringLiteral("学习一门新的语言需要时间和耐心，每天读一点，慢慢就会进步。"),
        QStringLiteral("Please open the document, choose a voice and press the button to listen."),
        QStringLiteral("火车在早上八点出发，下午三点到达北京。"),
    }
        .join(u'\n');
}

// 2480 by 3508 pixels, black text on white, paragraphs wrapped within margins of 2.5 cm.
inline QImage scannedPage(const QString& text) {
    constexpr int Dpi = 300;
    constexpr int DotsPerMeter = int(Dpi / 0.0254 + 0.5);
    QImage page(2480, 3508, QImage::Format_Grayscale8);
    page.setDotsPerMeterX(DotsPerMeter);
    page.setDotsPerMeterY(DotsPerMeter);
    page.fill(Qt::white);
    QPainter painter(&page);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(12 * Dpi / 72);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int margin = 295;
    const QRect area(margin, margin, page.width() - 2 * margin, page.height() - 2 * margin);
    painter.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return page;
}

// One line of large text on a white strip: a picture that is quick to recognise.
inline QImage linePicture(const QString& text) {
    QImage picture(1200, 200, QImage::Format_Grayscale8);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(50);
    painter.setFont(font);
    painter.drawText(picture.rect(), Qt::AlignCenter, text);
    return picture;
}

// Levenshtein distance of the two texts without their white space, over the source's length.
inline double characterErrorRate(const QString& source, const QString& reading) {
    const auto withoutSpace = [](const QString& text) {
        std::u32string characters;
        for (const char32_t c : text.toUcs4()) {
            if (!QChar::isSpace(c))
                characters += c;
        }
        return characters;
    };
    const std::u32string a = withoutSpace(source);
    const std::u32string b = withoutSpace(reading);
    if (a.empty())
        return b.empty() ? 0.0 : 1.0;
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return double(row[b.size()]) / double(a.size());
}
