#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Asked while a converter runs; true ends it at once. Empty: never.
using ConversionCancelled = std::function<bool()>;

// How scanned pages and pictures are read: in the languages that the voice's language tag asks
// for (text_recognition.h; empty: Mandarin's), telling which page (from 1) of the pages to
// recognise is being read.
struct Recognition {
    QString voiceLanguage = {};
    std::function<void(int page, int pages)> pageStarted = {};
};

// Word and PDF documents and pictures as text, by converter programs outside this one.
class DocumentConverter {
public:
    virtual ~DocumentConverter() = default;
    // The document's text; AppError with a message for the user when no converter can give it
    // (none installed, the document refused, a time-out).
    // They wait for the converter: call them from a thread that may wait (a background job).
    virtual QString wordText(const QString& path, const ConversionCancelled& cancelled = {}) = 0;
    // The pages without a text layer (scans) are recognised.
    virtual QString pdfText(const QString& path, const ConversionCancelled& cancelled = {},
                            const Recognition& recognition = {}) = 0;
    // The recognised text of every page of the picture (a TIFF file may hold several).
    virtual QString pictureText(const QString& path, const ConversionCancelled& cancelled = {},
                                const Recognition& recognition = {}) = 0;
};

// Runs the converters found on PATH and the recogniser beside the program, and waits for them.
// A run past the time-out (for each page recognised) or cancelled is ended with every process
// it started; a text above the open limit is refused.
class ProcessConverter : public DocumentConverter {
public:
    // The recogniser: parlora-ocr-worker in the program's folder unless given.
    explicit ProcessConverter(int timeoutMs = 60'000, QString recognizer = {});
    QString wordText(const QString& path, const ConversionCancelled& cancelled = {}) override;
    QString pdfText(const QString& path, const ConversionCancelled& cancelled = {},
                    const Recognition& recognition = {}) override;
    QString pictureText(const QString& path, const ConversionCancelled& cancelled = {},
                        const Recognition& recognition = {}) override;

private:
    class PageReader;
    // The pages (texts found by the text extractor) with the scanned ones recognised.
    QStringList recognisePdfPages(const QString& path, QStringList pages,
                                  const ConversionCancelled& cancelled,
                                  const Recognition& recognition) const;

    int m_timeoutMs;
    QString m_recognizer;
};
