#pragma once

#include "secondarywindow.h"

class QListWidget;

namespace hoedeck {

// The level chooser for flash calls from several levels at once: the nine levels, any of them
// selected, and "Done".
class MultiLevelWindow : public SecondaryWindow {
    Q_OBJECT
public:
    explicit MultiLevelWindow(QWidget* parent = nullptr);
    QListWidget* levels() const { return m_levels; }

signals:
    // The chosen levels as indexes into the nine, in list order; the window hides itself.
    void done(const QList<int>& levels);

private:
    QListWidget* m_levels;
};

} // namespace hoedeck
