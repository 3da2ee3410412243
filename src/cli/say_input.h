#pragma once

#include "export/chapters.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class DocumentConverter;
class QTextDocument;
class HiddenBrowser;

// The text of each file parlora-say reads, taken by the window's road (documents/
// document_reading.h): the same checks before any open (a pipe or a device is refused at once),
// text and RTF by the editor's loader, Word and PDF by the converters, web pages by the hidden
// page, .docx, .odt, .epub, Markdown and .fb2 by the program's own readers, pictures by
// recognition in the voice's language. A document with no text to read is a failure.
// Files of other kinds, and standard input ("-"), are read as text.
class DocumentReader {
public:
    // interrupted is asked while a web page loads or a converter runs; true abandons it.
    DocumentReader(DocumentConverter& converter, std::function<bool()> interrupted,
                   QString voiceLanguage = {});
    ~DocumentReader();

    // AppError naming the file when it cannot be read.
    QString text(const QString& path);
    // The chapters of the file: at its headings where it has them, else as its text shows them.
    QList<Chapter> chapters(const QString& path, const QString& bookTitle);
    // The author that the file last read names in its description; empty when it names none.
    const QString& author() const { return m_author; }

private:
    // Gives the file's text to plain, or to formatted when it was read into a document.
    void read(const QString& path, const std::function<void(const QString&)>& plain,
              const std::function<void(const QTextDocument&)>& formatted);
    QString webPageText(const QString& path);

    DocumentConverter& m_converter;
    std::function<bool()> m_interrupted;
    QString m_voiceLanguage;
    std::unique_ptr<HiddenBrowser> m_browser; // loaded with the first web page
    QString m_author;
};

// Web pages need a graphical application object for the web engine; other kinds do not.
bool hasWebPage(const QStringList& paths);

// The message of a failure about the file, naming the file when the message does not yet.
QString fileMessage(const QString& path, const QString& message);
