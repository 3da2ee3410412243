#pragma once

#include <QString>

// Word and PDF documents as text, by converter programs outside this one.
class DocumentConverter {
public:
    virtual ~DocumentConverter() = default;
    // The document's text; AppError with a message for the user when no converter can give it
    // (none installed, the document refused, a time-out).
    virtual QString wordText(const QString& path) = 0;
    virtual QString pdfText(const QString& path) = 0;
};

// Runs the converters found on PATH and waits for them while the event loop keeps the windows
// painted (user input waits). A run past the time-out is ended.
class ProcessConverter : public DocumentConverter {
public:
    explicit ProcessConverter(int timeoutMs = 60'000) : m_timeoutMs(timeoutMs) {}
    QString wordText(const QString& path) override;
    QString pdfText(const QString& path) override;

private:
    int m_timeoutMs;
};
