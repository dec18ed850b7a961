#include "textappearance.h"

#include "appearance.h"
#include "colors.h"
#include "guarded.h"
#include "prompter.h"

#include <QFrame>
#include <QLabel>

namespace hoedeck {

TextAppearance::TextAppearance(Appearance& appearance, Prompter& prompter, QList<QFrame*> panels,
                               QWidget* clockPanel, std::function<QWidget*()> lyrics,
                               QObject* parent)
    : QObject(parent), m_appearance(appearance), m_prompter(prompter), m_panels(std::move(panels)),
      m_clockPanel(clockPanel), m_lyrics(std::move(lyrics)) {}

QList<QWidget*> TextAppearance::windows() const {
    QList<QWidget*> widgets(m_panels.cbegin(), m_panels.cend());
    if (QWidget* lyrics = m_lyrics ? m_lyrics() : nullptr)
        widgets << lyrics;
    return widgets;
}

void TextAppearance::showTextColor(ColorValue color) {
    for (QWidget* widget : windows()) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, toQColor(color));
        widget->setPalette(palette);
    }
}

void TextAppearance::showFont(const FontSpec& font) {
    for (QWidget* widget : windows())
        widget->setFont(toQFont(font));
    showTextColor(font.color);
}

void TextAppearance::chooseTextColor() {
    const auto chosen = m_prompter.chooseColor(m_appearance.textColor());
    if (!chosen)
        return;
    showTextColor(*chosen);
    runGuarded(m_prompter, [&] { m_appearance.setTextColor(*chosen); });
}

void TextAppearance::chooseFont() {
    // The dialog has no colour of its own: the font keeps the text colour on show.
    FontSpec initial = m_appearance.font();
    initial.color = m_appearance.textColor();
    const auto withTextColor = [&](FontSpec font) {
        font.color = initial.color;
        return font;
    };
    const auto chosen = m_prompter.chooseFontWithApply(
        initial, [&](const FontSpec& font) { applyFont(withTextColor(font)); });
    if (!chosen)
        return;
    const FontSpec font = withTextColor(*chosen);
    showFont(font);
    runGuarded(m_prompter, [&] { m_appearance.setFont(font); });
}

void TextAppearance::applyFont(const FontSpec& font) {
    showFont(font);
    for (const char* name : {"clocker", "position_counter", "LBCountdown"})
        if (auto* label = m_clockPanel->findChild<QLabel*>(name)) {
            QFont bigger = label->font();
            bigger.setPointSize(font.size + 4);
            label->setFont(bigger);
        }
}

} // namespace hoedeck
