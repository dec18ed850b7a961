#include "dialogprompter.h"

#include "colors.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <atomic>
#include <cstdio>

namespace hoedeck {

namespace {
QMessageBox::Icon boxIcon(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Error:
        return QMessageBox::Critical;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Dialog filters are written "description|pattern;pattern|..." in the settings' style.
QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
    return out.isEmpty() ? filter : out.join(";;");
}

QString captionOr(const QString& caption) {
    return caption.isEmpty() ? QStringLiteral("Hoedeck") : caption;
}

std::atomic<bool> g_ending{false};
} // namespace

void DialogPrompter::endAll() {
    g_ending = true;
    // Closing a box ends its own event loop; the command that opened it then goes on with the
    // box's cautious answer.
    for (int guard = 0; guard < 16; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            break;
        modal->close();
    }
}

bool DialogPrompter::ending() {
    return g_ending;
}

void DialogPrompter::message(const QString& text, const QString& caption, Icon icon) {
    if (ending()) {
        std::fprintf(stderr, "Hoedeck: %s\n", qPrintable(text));
        return;
    }
    QMessageBox box(boxIcon(icon), captionOr(caption), text, QMessageBox::Ok, m_owner);
    box.exec();
}

bool DialogPrompter::question(const QString& text, const QString& caption) {
    if (ending())
        return false;
    return QMessageBox::question(m_owner, captionOr(caption), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

int DialogPrompter::choose(const QString& text, const QString& caption,
                           const QStringList& buttons) {
    if (ending())
        return -1;
    QMessageBox box(QMessageBox::Question, captionOr(caption), text, QMessageBox::NoButton,
                    m_owner);
    QList<QAbstractButton*> made;
    for (const QString& label : buttons)
        made << box.addButton(label, QMessageBox::AcceptRole);
    box.exec();
    return int(made.indexOf(box.clickedButton()));
}

std::optional<QString> DialogPrompter::input(const QString& caption, const QString& prompt,
                                             const QString& initial) {
    if (ending())
        return std::nullopt;
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_owner, captionOr(caption), prompt, QLineEdit::Normal, initial, &ok);
    return ok ? std::optional<QString>(text) : std::nullopt;
}

std::optional<QString> DialogPrompter::openFile(const QString& caption, const QString& folder,
                                                const QString& filter) {
    if (ending())
        return std::nullopt;
    const QString path =
        QFileDialog::getOpenFileName(m_owner, captionOr(caption), folder, qtFilter(filter));
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

QStringList DialogPrompter::openFiles(const QString& caption, const QString& folder,
                                      const QString& filter) {
    if (ending())
        return {};
    return QFileDialog::getOpenFileNames(m_owner, captionOr(caption), folder, qtFilter(filter));
}

std::optional<QString> DialogPrompter::saveFile(const QString& caption, const QString& folder,
                                                const QString& filter) {
    if (ending())
        return std::nullopt;
    const QString path =
        QFileDialog::getSaveFileName(m_owner, captionOr(caption), folder, qtFilter(filter));
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

std::optional<QString> DialogPrompter::chooseFolder(const QString& caption, const QString& folder) {
    if (ending())
        return std::nullopt;
    const QString path = QFileDialog::getExistingDirectory(m_owner, captionOr(caption), folder);
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

std::optional<ColorValue> DialogPrompter::chooseColor(ColorValue initial) {
    if (ending())
        return std::nullopt;
    const QColor chosen = QColorDialog::getColor(toQColor(initial), m_owner);
    if (!chosen.isValid())
        return std::nullopt;
    return color::rgb(chosen.red(), chosen.green(), chosen.blue());
}

std::optional<FontSpec> DialogPrompter::chooseFont(const FontSpec& initial) {
    return chooseFontWithApply(initial, {});
}

std::optional<FontSpec>
DialogPrompter::chooseFontWithApply(const FontSpec& initial,
                                    const std::function<void(const FontSpec&)>& apply) {
    if (ending())
        return std::nullopt;
    // Qt's own dialog, not the desktop's: only it has a button box to put "Apply" in.
    QFontDialog dialog(toQFont(initial), m_owner);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (auto* buttons = apply ? dialog.findChild<QDialogButtonBox*>() : nullptr) {
        QPushButton* applyButton = buttons->addButton(QDialogButtonBox::Apply);
        QObject::connect(applyButton, &QPushButton::clicked, &dialog,
                         [&] { apply(fromQFont(dialog.currentFont(), initial)); });
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return fromQFont(dialog.selectedFont(), initial);
}

} // namespace hoedeck
