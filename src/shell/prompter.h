#pragma once

#include "colortext.h"
#include "fonttext.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace hoedeck {

// How the core asks the user something or tells them something. The windows answer with real
// dialogs; tests answer with scripted replies and keep every text shown.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Error, Question };

    virtual ~Prompter() = default;

    // A plain message box with an OK button.
    virtual void message(const QString& text, const QString& caption = {},
                         Icon icon = Icon::None) = 0;
    // A Yes/No confirmation; true for Yes.
    virtual bool question(const QString& text, const QString& caption = {}) = 0;
    // A box with buttons of the given captions; the index of the pressed one, -1 when closed.
    virtual int choose(const QString& text, const QString& caption, const QStringList& buttons) = 0;
    // A one-line input box; nothing when cancelled.
    virtual std::optional<QString> input(const QString& caption, const QString& prompt,
                                         const QString& initial) = 0;
    virtual std::optional<QString> openFile(const QString& caption, const QString& folder,
                                            const QString& filter) = 0;
    // Several files at once; none when cancelled. One at a time where a prompter offers only
    // that.
    virtual QStringList openFiles(const QString& caption, const QString& folder,
                                  const QString& filter) {
        const std::optional<QString> one = openFile(caption, folder, filter);
        return one ? QStringList{*one} : QStringList{};
    }
    virtual std::optional<QString> saveFile(const QString& caption, const QString& folder,
                                            const QString& filter) = 0;
    virtual std::optional<QString> chooseFolder(const QString& caption, const QString& folder) = 0;
    virtual std::optional<ColorValue> chooseColor(ColorValue initial) = 0;
    virtual std::optional<FontSpec> chooseFont(const FontSpec& initial) = 0;
    // The font dialog with an "Apply" button, which hands the font on show to `apply` and
    // leaves the dialog open. By default the plain dialog, without the button.
    virtual std::optional<FontSpec>
    chooseFontWithApply(const FontSpec& initial,
                        const std::function<void(const FontSpec&)>& apply) {
        (void)apply;
        return chooseFont(initial);
    }
};

} // namespace hoedeck
