#pragma once

#include "prompter.h"

#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <deque>

namespace hoedeck::testing {

// Answers the core's questions from a script and keeps every text it was shown, so that tests
// assert the exact messages a caller would read.
class ScriptedPrompter : public Prompter {
public:
    QStringList shown;    // every message, question and box text, in order
    QStringList captions; // the caption of each, in the same order
    std::deque<bool> yesNo;
    std::deque<int> choices;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QString>> files;
    std::deque<std::optional<ColorValue>> colors;
    std::deque<std::optional<FontSpec>> fonts;
    // Fonts "applied" in the font dialog before it gives its answer from `fonts`.
    std::deque<FontSpec> appliedFonts;

    // When above 0, a message stays "open" that long with the event loop running, as a modal
    // box does: timers go on firing behind it.
    int modalMs = 0;

    void message(const QString& text, const QString& caption, Icon) override {
        note(text, caption);
        if (modalMs > 0) {
            QEventLoop box;
            QTimer::singleShot(modalMs, &box, &QEventLoop::quit);
            box.exec();
        }
    }
    bool question(const QString& text, const QString& caption) override {
        note(text, caption);
        return take(yesNo, false);
    }
    int choose(const QString& text, const QString& caption, const QStringList&) override {
        note(text, caption);
        return take(choices, -1);
    }
    std::optional<QString> input(const QString& caption, const QString& prompt,
                                 const QString&) override {
        note(prompt, caption);
        return take(inputs, std::optional<QString>{});
    }
    std::optional<QString> openFile(const QString& caption, const QString&,
                                    const QString&) override {
        return take(files, std::optional<QString>{}, caption);
    }
    std::optional<QString> saveFile(const QString& caption, const QString&,
                                    const QString&) override {
        return take(files, std::optional<QString>{}, caption);
    }
    std::optional<QString> chooseFolder(const QString& caption, const QString&) override {
        return take(files, std::optional<QString>{}, caption);
    }
    std::optional<ColorValue> chooseColor(ColorValue) override {
        return take(colors, std::optional<ColorValue>{});
    }
    std::optional<FontSpec> chooseFont(const FontSpec&) override {
        return take(fonts, std::optional<FontSpec>{});
    }
    std::optional<FontSpec>
    chooseFontWithApply(const FontSpec& initial,
                        const std::function<void(const FontSpec&)>& apply) override {
        for (; !appliedFonts.empty(); appliedFonts.pop_front())
            apply(appliedFonts.front());
        return chooseFont(initial);
    }

private:
    void note(const QString& text, const QString& caption) {
        shown << text;
        captions << caption;
    }
    template <typename T> static T take(std::deque<T>& queue, T fallback, const QString& = {}) {
        if (queue.empty())
            return fallback;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

} // namespace hoedeck::testing
