#pragma once

#include "document_converter.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// One run of a converter program, for the converters' implementations.
struct ConverterRun {
    int exitCode = -1; // -1: it did not start, or it crashed
    QByteArray output;
    QByteArray errors;
};

// The converter's output; AppError when it does not end within the time-out, when it writes
// more than can be opened, or when it is cancelled (the message is then never shown). The
// converter and everything it starts are ended with it.
ConverterRun runConverter(const QString& program, const QStringList& arguments, int timeoutMs,
                          const ConversionCancelled& cancelled,
                          const QProcessEnvironment& environment = {});

// Leading dashes and relative names never reach a converter as options.
QString absoluteConverterPath(const QString& path);
