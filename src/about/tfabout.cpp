#include "tfabout.h"

TFAbout::TFAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FAbout"));
}
