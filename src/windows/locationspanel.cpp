#include "locationspanel.h"

#include "guarded.h"
#include "prompter.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace hoedeck {

LocationsPanel::LocationsPanel(DataFolder folder, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_callerlab(std::move(folder)), m_prompter(prompter) {
    setObjectName("LocationsPanel");
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    const struct {
        const char* caption;
        int first, last;
    } pages[] = {
        {"Flash Lists", 1, 9}, {"Callerlab Lists", 10, 17}, {"Callerlab Definitions", 18, 25}};
    for (const auto& page : pages) {
        auto* tab = new QWidget(tabs);
        auto* column = new QVBoxLayout(tab);
        for (int line = page.first; line <= page.last; ++line) {
            column->addWidget(new QLabel(calls::locations()[line - 1].label, tab));
            auto* entry = new QLineEdit(tab);
            entry->setObjectName(QStringLiteral("location%1").arg(line));
            entry->installEventFilter(this);
            column->addWidget(entry);
            m_entries << entry;
        }
        column->addStretch();
        tabs->addTab(tab, page.caption);
    }
    layout->addWidget(tabs);
    auto* hide = new QPushButton("Hide", this);
    connect(hide, &QPushButton::clicked, this, &QWidget::hide);
    layout->addWidget(hide);
    QWidget::hide();
}

void LocationsPanel::toggle() {
    if (isVisible()) {
        hide();
        return;
    }
    if (parentWidget())
        move((parentWidget()->width() - width()) / 2, (parentWidget()->height() - height()) / 2);
    show();
    raise();
    runGuarded(m_prompter, [this] {
        m_callerlab.createDefaults();
        const QStringList lines = textstore::readSettings(m_callerlab.iniPath());
        // A short file fills what it has, then says what is missing.
        for (int line = 0; line < std::min<int>(calls::kLocationCount, int(lines.size())); ++line)
            m_entries[line]->setText(lines[line]);
        m_callerlab.read();
    });
}

void LocationsPanel::writeEntries() {
    QStringList lines;
    for (const QLineEdit* entry : m_entries)
        lines << entry->text();
    runGuarded(m_prompter, [&] { m_callerlab.write(lines); });
}

bool LocationsPanel::eventFilter(QObject* watched, QEvent* event) {
    auto* entry = qobject_cast<QLineEdit*>(watched);
    if (event->type() == QEvent::MouseButtonDblClick && entry && m_entries.contains(entry)) {
        const QString start = QFileInfo(m_callerlab.resolve(entry->text())).path();
        if (const auto file = m_prompter.openFile("Open", start, QString()))
            entry->setText(*file);
        writeEntries(); // chosen or not, the entries are stored
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void addReferenceMenus(QMenu* lists, QMenu* definitions, const calls::Callerlab& callerlab,
                       Prompter& prompter, const std::function<void(const QString&)>& open) {
    for (int i = 0; i < calls::documentLevels().size(); ++i) {
        for (const auto& [menu, line] : {std::pair{lists, 10 + i}, std::pair{definitions, 18 + i}})
            menu->addAction(calls::documentLevels()[i], menu,
                            [&callerlab, &prompter, open, line = line] {
                                runGuarded(prompter, [&] { open(callerlab.file(line)); });
                            });
    }
}

} // namespace hoedeck
