#include "copyparts.h"

#include "prompter.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>

namespace hoedeck {

VolumeBox::VolumeBox(VolumeSource volumes, QWidget* parent)
    : QComboBox(parent), m_volumes(std::move(volumes)) {
    setObjectName("DriveComboBox1");
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

void VolumeBox::refresh() {
    const std::optional<Volume> before = chosen();
    m_shown = m_volumes ? m_volumes() : QList<Volume>();
    clear();
    for (const Volume& volume : m_shown)
        addItem(volume.caption());
    if (before)
        if (const qsizetype index = m_shown.indexOf(*before); index >= 0)
            setCurrentIndex(int(index));
}

std::optional<Volume> VolumeBox::chosen() const {
    const int index = currentIndex();
    if (index < 0 || index >= m_shown.size())
        return std::nullopt;
    return m_shown[index];
}

CopyProgress::CopyProgress(CopyJob& job, QWidget* parent)
    : QWidget(parent), m_job(job), m_bar(new QProgressBar(this)),
      m_cancel(new QPushButton("Cancel", this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_bar, 1);
    row->addWidget(m_cancel);
    m_bar->setObjectName("ProgressBar1");
    m_bar->setTextVisible(false);
    m_bar->setValue(0);
    m_cancel->setObjectName("btnCancel");
    m_cancel->setEnabled(false);
    connect(m_cancel, &QPushButton::clicked, &m_job, &CopyJob::cancel);
    connect(&m_job, &CopyJob::started, this, &CopyProgress::started);
    connect(&m_job, &CopyJob::finished, this, &CopyProgress::ended);
}

void CopyProgress::started() {
    m_bar->setValue(0);
    for (QWidget* widget : m_busy)
        widget->setEnabled(false);
    m_cancel->setEnabled(true);
}

void CopyProgress::ended() {
    for (QWidget* widget : m_busy)
        widget->setEnabled(true);
    m_cancel->setEnabled(false);
    // An empty range would show the bar as busy for good.
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
}

CopyWindow::CopyWindow(const QString& objectName, const QString& title, Prompter& prompter,
                       VolumeSource volumes, QWidget* parent)
    : GradientWindow(objectName, title, parent), m_prompter(prompter), m_job(prompter),
      m_drives(new VolumeBox(std::move(volumes), this)), m_progress(new CopyProgress(m_job, this)) {
    // The volumes are read when the window first shows, not at start-up.
}

void CopyWindow::showEvent(QShowEvent* event) {
    // A key plugged in since the window last showed.
    if (!m_job.running())
        m_drives->refresh();
    GradientWindow::showEvent(event);
}

std::optional<Volume> CopyWindow::chosenVolume(const QString& ask) {
    const std::optional<Volume> volume = m_drives->chosen();
    if (!volume)
        m_prompter.message(ask, windowTitle());
    return volume;
}

} // namespace hoedeck
