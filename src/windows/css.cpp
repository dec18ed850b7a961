#include "css.h"

#include "guarded.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

namespace hoedeck {

CssWindow::CssWindow(const DataFolder& folder, Prompter& prompter, QWidget* parent)
    : GradientWindow("TMake_CCS_Form", "Make CSS Sheet", parent), m_styles(folder, prompter) {
    setWindowFlag(Qt::WindowStaysOnTopHint);
    auto* form = new QFormLayout(this);
    const QStringList names{"cb_title",  "cb_label", "cb_artist",
                            "cb_header", "cb_text",  "cb_lyrics"};
    const QStringList captions{"Title:", "Label:", "Artist:", "Header:", "Text:", "Lyrics:"};
    for (int i = 0; i < names.size(); ++i) {
        auto* box = new QComboBox(this);
        box->setObjectName(names[i]);
        box->setEditable(true);
        box->addItems({"8", "10", "12", "14", "16", "18", "20", "28"});
        auto* label = new QLabel(captions[i], this);
        // Light on the dark gradient.
        label->setStyleSheet("QLabel { color: white; }");
        form->addRow(label, box);
        m_boxes << box;
    }
    QStringList stored = StyleSheets::defaultSizes();
    runGuarded(prompter, [&] { stored = m_styles.loadSizes(); });
    for (int i = 0; i < m_boxes.size(); ++i) {
        m_boxes[i]->setCurrentText(stored.value(i));
        connect(m_boxes[i], &QComboBox::currentTextChanged, this,
                [this] { emit sizesChanged(sizes()); });
    }
    resize(260, 240);
}

QStringList CssWindow::sizes() const {
    QStringList all;
    for (const QComboBox* box : m_boxes)
        all << box->currentText();
    return all;
}

} // namespace hoedeck
