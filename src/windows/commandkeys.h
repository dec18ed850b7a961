#pragma once

#include <QObject>

class QAction;
class QWidget;

namespace hoedeck {

// The window's command keys win over the focused control's own use of the same key: a space
// typed into a text field of the main window still starts or stops the cued patter. Installed
// on the application, it looks at every key meant for a widget of its window.
class CommandKeys : public QObject {
    Q_OBJECT
public:
    explicit CommandKeys(QWidget* window);

    // The window's command that has this key, if any.
    QAction* commandFor(QKeyCombination pressed) const;
    // A Shift+symbol key as its command stores it (the symbol alone); Key_unknown otherwise.
    static QKeyCombination withoutShift(QKeyCombination pressed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
};

} // namespace hoedeck
