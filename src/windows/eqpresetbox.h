#pragma once

#include <QComboBox>

namespace hoedeck {

class EqPresets;
class Prompter;

// The editable preset box of the equaliser: choosing an entry applies it, Enter saves the
// gains under the typed name, Delete removes the caller's own preset.
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
};

} // namespace hoedeck
