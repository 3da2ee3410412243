#include "date_format.h"

namespace {
DateFormat current;
}

void setProcessDateFormat(const DateFormat& format) {
    current = format;
}

const DateFormat& processDateFormat() {
    return current;
}
