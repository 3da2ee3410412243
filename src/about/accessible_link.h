#pragma once

class QLabel;

// Announces a label made into a link as a link with a press action, where Qt's own label
// interface says "text" and offers nothing to do. Pressing emits the label's linkActivated.
void markAccessibleLink(QLabel* label);
