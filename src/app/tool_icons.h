#pragma once

#include <QIcon>
#include <QString>

// The tool bar's images come from one set: the desktop's icon theme when it has all of them,
// otherwise the program's own, so that the bar never mixes two styles.
enum class ToolIcon { Open, Paste, Export, Aloud, Pause, Stop, Help, About };

QIcon toolIcon(ToolIcon icon);
QIcon programIcon();
