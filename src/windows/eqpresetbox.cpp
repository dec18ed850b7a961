#include "eqpresetbox.h"

#include "eqpresets.h"
#include "guarded.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace hoedeck {

EqPresetBox::EqPresetBox(EqPresets& presets, Prompter& prompter, QWidget* parent)
    : QComboBox(parent), m_presets(presets), m_prompter(prompter) {
    setObjectName("cbEQ");
    // A finished edit (Enter, or the focus going elsewhere, as it does when a message opens)
    // makes the box select the entry its text names and report it as chosen: a preset whose
    // name was typed would be applied, and the caller's gains lost. Our watch is connected
    // before the box's own handling, so that the box's report is known for what it is.
    auto* edit = new QLineEdit(this);
    connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
        m_finishingEdit = true;
        m_typed = edit->text();
    });
    setLineEdit(edit);
    connect(edit, &QLineEdit::editingFinished, this, [this] { m_finishingEdit = false; });
    // Typed text is a new name: it is never completed into the name of an entry.
    setCompleter(nullptr);
    // A typed name is saved by our Enter handling, not added to the list by the box itself.
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (m_updating)
            return;
        if (m_finishingEdit) {
            // Not a choice: the selection stays and the typed name stays in the box.
            m_updating = true;
            setCurrentIndex(m_presets.selected());
            setEditText(m_typed);
            m_updating = false;
            return;
        }
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
        runGuarded(m_prompter, [this] { m_presets.deleteShown(currentText()); });
        return;
    }
    QComboBox::keyPressEvent(event);
}

} // namespace hoedeck
