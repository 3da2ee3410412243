// QTextDocument to RTF.
#include "rtf_codec.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>

namespace {

constexpr double TwipsPerPixel = 15; // at 96 dots per inch

class RtfWriter {
public:
    explicit RtfWriter(const QTextDocument& document) : m_document(document) {}

    QByteArray write() {
        QByteArray body;
        bool first = true;
        for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
            if (!first)
                body += "\\par\n";
            first = false;
            body += paragraphFormat(block.blockFormat());
            for (auto it = block.begin(); !it.atEnd(); ++it)
                body += fragment(it.fragment());
        }
        QByteArray out = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl";
        for (qsizetype i = 0; i < m_fonts.size(); ++i)
            out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset134 " + escaped(m_fonts[i]) +
                   ";}";
        out += "}{\\colortbl;";
        for (const QColor& color : m_colors)
            out += "\\red" + QByteArray::number(color.red()) + "\\green" +
                   QByteArray::number(color.green()) + "\\blue" + QByteArray::number(color.blue()) +
                   ";";
        out += "}\n\\uc1" + body + "}\n";
        return out;
    }

private:
    QByteArray paragraphFormat(const QTextBlockFormat& format) {
        QByteArray out = "\\pard";
        const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
        if (alignment & Qt::AlignHCenter)
            out += "\\qc";
        else if (alignment & Qt::AlignRight)
            out += "\\qr";
        else if (alignment & Qt::AlignJustify)
            out += "\\qj";
        else
            out += "\\ql";
        const auto twips = [](qreal pixels) {
            return QByteArray::number(qRound(pixels * TwipsPerPixel));
        };
        if (format.leftMargin() != 0)
            out += "\\li" + twips(format.leftMargin());
        if (format.rightMargin() != 0)
            out += "\\ri" + twips(format.rightMargin());
        if (format.textIndent() != 0)
            out += "\\fi" + twips(format.textIndent());
        if (format.topMargin() != 0)
            out += "\\sb" + twips(format.topMargin());
        if (format.bottomMargin() != 0)
            out += "\\sa" + twips(format.bottomMargin());
        return out + ' ';
    }

    QByteArray fragment(const QTextFragment& fragment) {
        const QTextCharFormat format = fragment.charFormat();
        if (format.isImageFormat())
            return picture(format.toImageFormat());
        const QFont font = format.font();
        const QStringList families = format.fontFamilies().toStringList();
        const QString family =
            families.isEmpty() ? m_document.defaultFont().family() : families.first();
        // \af and \afs repeat font and size for Chinese text, which other readers take from them.
        const QByteArray fontNumber = QByteArray::number(index(m_fonts, family));
        QByteArray out = "{\\f" + fontNumber + "\\af" + fontNumber;
        const qreal size = format.hasProperty(QTextFormat::FontPointSize)
                               ? format.fontPointSize()
                               : m_document.defaultFont().pointSizeF();
        if (size > 0) {
            const QByteArray halfPoints = QByteArray::number(qRound(size * 2));
            out += "\\fs" + halfPoints + "\\afs" + halfPoints;
        }
        if (font.bold())
            out += "\\b";
        if (font.italic())
            out += "\\i";
        if (font.underline())
            out += "\\ul";
        if (font.strikeOut())
            out += "\\strike";
        if (format.hasProperty(QTextFormat::ForegroundBrush))
            out += "\\cf" + QByteArray::number(index(m_colors, format.foreground().color()) + 1);
        if (format.hasProperty(QTextFormat::BackgroundBrush))
            out += "\\highlight" +
                   QByteArray::number(index(m_colors, format.background().color()) + 1);
        return out + ' ' + escaped(fragment.text()) + '}';
    }

    QByteArray picture(const QTextImageFormat& format) {
        const QVariant resource =
            m_document.resource(QTextDocument::ImageResource, QUrl(format.name()));
        const QImage image = resource.value<QImage>();
        if (image.isNull())
            return {};
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        const qreal width = format.width() > 0 ? format.width() : image.width();
        const qreal height = format.height() > 0 ? format.height() : image.height();
        return "{\\pict\\pngblip\\picw" + QByteArray::number(image.width()) + "\\pich" +
               QByteArray::number(image.height()) + "\\picwgoal" +
               QByteArray::number(qRound(width * TwipsPerPixel)) + "\\pichgoal" +
               QByteArray::number(qRound(height * TwipsPerPixel)) + "\n" + png.toHex() + "}";
    }

    template <typename T> static qsizetype index(QList<T>& list, const T& value) {
        qsizetype at = list.indexOf(value);
        if (at < 0) {
            at = list.size();
            list.append(value);
        }
        return at;
    }

    static QByteArray escaped(const QString& text) {
        QByteArray out;
        out.reserve(text.size());
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u == '\\' || u == '{' || u == '}')
                out += '\\' + QByteArray(1, char(u));
            else if (u == '\t')
                out += "\\tab ";
            else if (u == QChar::LineSeparator)
                out += "\\line ";
            else if (u == QChar::ParagraphSeparator)
                out += "\\par ";
            else if (u >= 0x20 && u < 0x80)
                out += char(u);
            else // control characters too, so that they survive a round trip
                out += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
        return out;
    }

    const QTextDocument& m_document;
    QList<QString> m_fonts;
    QList<QColor> m_colors;
};

} // namespace

QByteArray writeRtf(const QTextDocument& document) {
    return RtfWriter(document).write();
}
