#pragma once

class QLabel;

// Shows the label's tooltip once the pointer has rested on it for 500 ms and hides
// it again after 2500 ms or when the pointer leaves, instead of the desktop's timing.
void useShortHint(QLabel *label);
