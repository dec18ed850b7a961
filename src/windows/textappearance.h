#pragma once

#include "fonttext.h"

#include <QList>
#include <QObject>
#include <functional>

class QFrame;
class QWidget;

namespace hoedeck {

class Appearance;
class Prompter;

// The "Color" menu's "Text" and "Font": the text colour and the font of the main window's
// panels and of the lyrics window. Both are written to ini/color.txt when chosen; the font
// dialog's "Apply" shows a font on both windows without writing it, and sizes the clock,
// position counter and countdown to the font's size + 4.
class TextAppearance : public QObject {
    Q_OBJECT
public:
    TextAppearance(Appearance& appearance, Prompter& prompter, QList<QFrame*> panels,
                   QWidget* clockPanel, std::function<QWidget*()> lyrics, QObject* parent);

    void chooseTextColor();
    void chooseFont();
    // "Apply" in the font dialog.
    void applyFont(const FontSpec& font);

private:
    QList<QWidget*> windows() const;
    void showTextColor(ColorValue color);
    void showFont(const FontSpec& font);

    Appearance& m_appearance;
    Prompter& m_prompter;
    QList<QFrame*> m_panels;
    QWidget* m_clockPanel;
    std::function<QWidget*()> m_lyrics;
};

} // namespace hoedeck
