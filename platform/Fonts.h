#pragma once

class QLabel;
class QWidget;

// Gives a form its designed font, "MS Sans Serif", or the closest face this system has: a face
// with the same widths where one is installed, otherwise the system's sans-serif.
void useDesignFont(QWidget *form);

// The forms place their labels at fixed sizes measured with the designed font. Where a substitute
// face would cut a label's text, the label's font is narrowed just enough to show all of it.
void fitTextToWidth(QLabel *label);
