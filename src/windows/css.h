#pragma once

#include "gradient.h"
#include "stylesheets.h"

#include <QList>

class QComboBox;

namespace hoedeck {

class Prompter;

// The style-sheet maker "Make CSS Sheet": six sizes of the cue sheets (title, label, artist,
// header, text, lyrics). Every change, each typed character included, is announced at once so
// the sheets are written and the page on show takes it.
class CssWindow : public GradientWindow {
    Q_OBJECT
public:
    CssWindow(const DataFolder& folder, Prompter& prompter, QWidget* parent = nullptr);

    // cb_title, cb_label, cb_artist, cb_header, cb_text, cb_lyrics
    const QList<QComboBox*>& boxes() const { return m_boxes; }
    QStringList sizes() const;

signals:
    void sizesChanged(const QStringList& sizes);

private:
    StyleSheets m_styles;
    QList<QComboBox*> m_boxes;
};

} // namespace hoedeck
