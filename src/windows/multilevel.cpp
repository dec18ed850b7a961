#include "multilevel.h"

#include "callerlab.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace hoedeck {

MultiLevelWindow::MultiLevelWindow(QWidget* parent)
    : SecondaryWindow("TForm5", "Level", parent), m_levels(new QListWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Multi-Select:", this));
    m_levels->setSelectionMode(QAbstractItemView::MultiSelection);
    m_levels->addItems(calls::flashLevels());
    layout->addWidget(m_levels);
    auto* button = new QPushButton("Done", this);
    layout->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this] {
        QList<int> chosen;
        for (int row = 0; row < m_levels->count(); ++row)
            if (m_levels->item(row)->isSelected())
                chosen << row;
        hide();
        emit done(chosen);
    });
    resize(220, 300);
}

} // namespace hoedeck
