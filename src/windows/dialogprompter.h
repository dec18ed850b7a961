#pragma once

#include "prompter.h"

class QWidget;

namespace hoedeck {

// Answers the core's questions with the platform's dialogs, owned by the given window.
class DialogPrompter : public Prompter {
public:
    // The program is ending (SIGTERM, a desktop logging out): the box on show is closed and no
    // other is opened; a message goes to standard error and a question gets its cautious
    // answer (no, cancel).
    static void endAll();
    static bool ending();

    explicit DialogPrompter(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    void message(const QString& text, const QString& caption, Icon icon) override;
    bool question(const QString& text, const QString& caption) override;
    int choose(const QString& text, const QString& caption, const QStringList& buttons) override;
    std::optional<QString> input(const QString& caption, const QString& prompt,
                                 const QString& initial) override;
    std::optional<QString> openFile(const QString& caption, const QString& folder,
                                    const QString& filter) override;
    QStringList openFiles(const QString& caption, const QString& folder,
                          const QString& filter) override;
    std::optional<QString> saveFile(const QString& caption, const QString& folder,
                                    const QString& filter) override;
    std::optional<QString> chooseFolder(const QString& caption, const QString& folder) override;
    std::optional<ColorValue> chooseColor(ColorValue initial) override;
    std::optional<FontSpec> chooseFont(const FontSpec& initial) override;
    std::optional<FontSpec>
    chooseFontWithApply(const FontSpec& initial,
                        const std::function<void(const FontSpec&)>& apply) override;

private:
    QWidget* m_owner;
};

} // namespace hoedeck
