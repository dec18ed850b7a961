#include "eqpresetbox.h"

#include "eqpresets.h"
#include "guarded.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace hoedeck {

EqPresetBox::EqPresetBox(EqPresets& presets, Prompter& prompter, QWidget* parent)
    : QComboBox(parent), m_presets(presets), m_prompter(prompter) {
    setObjectName("cbEQ");
    setEditable(true);
    // A typed name is saved by our Enter handling, not added to the list by the box itself.
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!m_updating)
            runGuarded(m_prompter, [&] { m_presets.cbEQChange(index); });
    });
    connect(&m_presets, &EqPresets::changed, this, &EqPresetBox::refresh);
    refresh();
}

void EqPresetBox::refresh() {
    m_updating = true;
    const QStringList entries = m_presets.entries();
    bool same = count() == entries.size();
    for (int i = 0; same && i < count(); ++i)
        same = itemText(i) == entries[i];
    if (!same) {
        clear();
        addItems(entries);
    }
    setCurrentIndex(m_presets.selected());
    setEditText(m_presets.text());
    m_updating = false;
}

void EqPresetBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        runGuarded(m_prompter, [this] { m_presets.saveTyped(currentText()); });
        return;
    }
    if (event->key() == Qt::Key_Delete) {
        runGuarded(m_prompter, [this] { m_presets.deleteSelected(); });
        return;
    }
    QComboBox::keyPressEvent(event);
}

} // namespace hoedeck
