#pragma once

#include <QString>

// The text of the help box: one fixed page, lines joined by CR LF, ending in the contact address.
QString helpText(const QString& contactAddress);
