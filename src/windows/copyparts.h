#pragma once

#include "copyjob.h"
#include "gradient.h"
#include "volumes.h"

#include <QComboBox>
#include <QWidget>
#include <optional>

class QProgressBar;
class QPushButton;

namespace hoedeck {

class Prompter;

// The drive list of the backup window and the drive chooser: the mounted volumes, asked for
// again each time the window shows, the choice kept when it is still there.
class VolumeBox : public QComboBox {
    Q_OBJECT
public:
    VolumeBox(VolumeSource volumes, QWidget* parent = nullptr);

    void refresh();
    std::optional<Volume> chosen() const;

private:
    VolumeSource m_volumes;
    QList<Volume> m_shown;
};

// The progress bar along a utility window's bottom edge with the Cancel button of the copy it
// shows. While the copy runs the window's other commands wait.
class CopyProgress : public QWidget {
    Q_OBJECT
public:
    CopyProgress(CopyJob& job, QWidget* parent = nullptr);

    QProgressBar* bar() const { return m_bar; }
    QPushButton* cancelButton() const { return m_cancel; }
    // The controls that are disabled while a copy runs.
    void setBusy(QList<QWidget*> busy) { m_busy = std::move(busy); }

private:
    void started();
    void ended();

    CopyJob& m_job;
    QList<QWidget*> m_busy;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
};

// A utility window that copies files to or from a volume: the red gradient, a drive list and
// the copy's progress and Cancel along the bottom. The copy runs beside the windows, which stay
// usable.
class CopyWindow : public GradientWindow {
    Q_OBJECT
public:
    CopyWindow(const QString& objectName, const QString& title, Prompter& prompter,
               VolumeSource volumes, QWidget* parent = nullptr);

    VolumeBox* drives() const { return m_drives; }
    CopyProgress* progress() const { return m_progress; }
    CopyJob& job() { return m_job; }

protected:
    void showEvent(QShowEvent* event) override;
    // The volume chosen in the drive list; when there is none, `ask` is said.
    std::optional<Volume> chosenVolume(const QString& ask);

    Prompter& m_prompter;
    CopyJob m_job;
    VolumeBox* m_drives;
    CopyProgress* m_progress;
};

} // namespace hoedeck
