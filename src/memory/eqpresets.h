#pragma once

#include "datafolder.h"

#include <QObject>
#include <QStringList>
#include <array>
#include <optional>

namespace hoedeck {

class Effects;
class Prompter;

// The equaliser's named settings: five built in, "User" for gains that match none, and the
// caller's own, kept in ini/EQ_presets.txt in the order they were saved. One setting may be
// the default for songs the program has no memory of (ini/EQ_default.txt). The box that
// shows them is mirrored here: its entries, the selected one and its text.
class EqPresets : public QObject {
    Q_OBJECT
public:
    using Gains = std::array<int, 3>; // bass, mid, treble bar positions, 10 = flat

    static constexpr int kUser = 5;
    static constexpr int kFirstUserPreset = 6;
    static constexpr int kFlat = 4;
    static inline const QString kPresetsFile = QStringLiteral("EQ_presets.txt");
    static inline const QString kDefaultFile = QStringLiteral("EQ_default.txt");
    static inline const QString kNoPresets = QStringLiteral("none");

    EqPresets(DataFolder folder, Prompter& prompter, Effects& effects, QObject* parent = nullptr);

    // The box: entries in order, the selected index (-1 for none) and the shown text.
    const QStringList& entries() const { return m_entries; }
    int selected() const { return m_selected; }
    QString text() const { return m_text; }

    // Start-up: the file is made when missing, and its names follow the built-in entries.
    void load_user_EQ_presets();
    // An entry was chosen: its gains are applied.
    void cbEQChange(int index);
    // Enter: the current gains become a preset named by the text typed into the box.
    void saveTyped(const QString& name);
    // Delete: the caller's preset that the box shows goes. The text shown is the selected
    // entry's, or a name typed over it, which then names the preset meant (case aside); a
    // name that is no preset is refused.
    void deleteShown(const QString& shown);
    // Names the current gains; only what the box shows changes.
    void check_for_presets();
    // Shows the entry without applying it.
    void select(int index);
    // The name for gains a song's memory just set: "User", or the built-in setting other than
    // "Flat" they equal; flat gains leave the box as it is.
    void nameRememberedGains(const Gains& gains);
    // The default setting for songs without a memory.
    void use_default_EQ();

    // A preset line "name|bass|mid|treble"; nothing when it is damaged.
    struct Line {
        QString name;
        Gains gains;
    };
    static std::optional<Line> parseLine(const QString& line);

signals:
    void changed();

private:
    QStringList readPresets() const; // the file's lines, "none" kept
    Gains currentGains() const;
    void applyGains(const Gains& gains);

    DataFolder m_folder;
    Prompter& m_prompter;
    Effects& m_effects;
    QStringList m_entries;
    int m_selected = kFlat;
    QString m_text = QStringLiteral("Flat");
};

} // namespace hoedeck
