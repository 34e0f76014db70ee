#include "platform/Fonts.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

namespace {
// Narrower than this and the text is hard to read; it is better cut.
constexpr int narrowestStretch = 75;
}  // namespace

void useDesignFont(QWidget *form) {
    // Faces with the widths of the one the forms were laid out for.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                                QStringLiteral("Arial")});
    QFont font = form->font();
    font.setStyleHint(QFont::SansSerif);
    form->setFont(font);
}

void fitTextToWidth(QLabel *label) {
    const int room = label->contentsRect().width();
    QFont font = label->font();
    for (int stretch = 100; stretch >= narrowestStretch; --stretch) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(label->text()) <= room) {
            if (stretch != 100) {
                label->setFont(font);
            }
            return;
        }
    }
}
