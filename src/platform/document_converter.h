#pragma once

#include <QString>
#include <functional>

// Asked while a converter runs; true ends it at once. Empty: never.
using ConversionCancelled = std::function<bool()>;

// Word and PDF documents as text, by converter programs outside this one.
class DocumentConverter {
public:
    virtual ~DocumentConverter() = default;
    // The document's text; AppError with a message for the user when no converter can give it
    // (none installed, the document refused, a time-out).
    // They wait for the converter: call them from a thread that may wait (a background job).
    virtual QString wordText(const QString& path, const ConversionCancelled& cancelled = {}) = 0;
    virtual QString pdfText(const QString& path, const ConversionCancelled& cancelled = {}) = 0;
};

// Runs the converters found on PATH and waits for them. A run past the time-out or cancelled is
// ended with every process it started; a text above the open limit is refused.
class ProcessConverter : public DocumentConverter {
public:
    explicit ProcessConverter(int timeoutMs = 60'000) : m_timeoutMs(timeoutMs) {}
    QString wordText(const QString& path, const ConversionCancelled& cancelled = {}) override;
    QString pdfText(const QString& path, const ConversionCancelled& cancelled = {}) override;

private:
    int m_timeoutMs;
};
