#pragma once

#include <QComboBox>

namespace hoedeck {

class EqPresets;
class Prompter;

// The editable preset box of the equaliser: choosing an entry from the list applies it; typed
// text is a name, which Enter saves the gains under and Delete removes the caller's preset of.
class EqPresetBox : public QComboBox {
    Q_OBJECT
public:
    EqPresetBox(EqPresets& presets, Prompter& prompter, QWidget* parent = nullptr);

    // Shows the entries, the selection and the text the presets hold now.
    void refresh();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    EqPresets& m_presets;
    Prompter& m_prompter;
    bool m_updating = false;
    // While the line edit reports a finished edit, and the text it had then.
    bool m_finishingEdit = false;
    QString m_typed;
};

} // namespace hoedeck
