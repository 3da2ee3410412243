#pragma once

#include <QString>
#include <stdexcept>

// A failure that carries the message shown to the user by the general error report.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};
