#pragma once

#include <functional>

class QLabel;

// Makes a label act as a link: blue, underlined, hand cursor, and a left click on it runs the
// action.
void makeLink(QLabel* label, std::function<void()> action);
