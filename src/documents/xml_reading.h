#pragma once

#include <QString>
#include <QXmlStreamReader>

class QIODevice;

// An XML part read as a stream. A document that declares entities of its own is refused before
// any of them is expanded; the named entities of XHTML (&nbsp; and the rest) are known without a
// DTD. Failures are AppError naming the part and the reason.
class XmlStream {
public:
    // Elements nested deeper than this are no document's, only a way to exhaust the reader.
    static constexpr int MaxDepth = 2'000;

    XmlStream(QIODevice& device, const QString& part);
    XmlStream(const QByteArray& bytes, const QString& part);

    // The next token; false at the end of the document.
    bool next();
    // Skips what the current start element holds, up to its end.
    void skipElement();
    // The text of the current start element, inner elements' text included.
    QString elementText();

    bool isStart() const { return m_xml.isStartElement(); }
    bool isEnd() const { return m_xml.isEndElement(); }
    bool isText() const { return m_xml.isCharacters(); }
    QStringView name() const { return m_xml.name(); }
    QStringView text() const { return m_xml.text(); }
    // Attributes by local name, whatever their prefix.
    QString attribute(QStringView localName) const;
    QXmlStreamReader& reader() { return m_xml; }
    const QXmlStreamReader& reader() const { return m_xml; }
    int depth() const { return m_depth; }

private:
    [[noreturn]] void fail();

    QXmlStreamReader m_xml;
    QIODevice* m_device = nullptr;
    QString m_part;
    int m_depth = 0;
};
