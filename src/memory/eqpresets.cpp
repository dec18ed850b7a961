#include "eqpresets.h"

#include "effects.h"
#include "prompter.h"
#include "textstore.h"

#include <QFileInfo>
#include <QStringTokenizer>

namespace hoedeck {

namespace {

struct BuiltIn {
    const char* name;
    std::optional<EqPresets::Gains> gains;
};

const std::array<BuiltIn, EqPresets::kFirstUserPreset> kBuiltIn{{
    {"Bass", EqPresets::Gains{4, 10, 10}},
    {"Mid", EqPresets::Gains{10, 4, 10}},
    {"Treble", EqPresets::Gains{10, 10, 4}},
    {"Default", EqPresets::Gains{4, 10, 0}},
    {"Flat", EqPresets::Gains{10, 10, 10}},
    {"User", std::nullopt},
}};

const QString kNotUnique = QStringLiteral("You must use a unique name");

} // namespace

EqPresets::EqPresets(DataFolder folder, Prompter& prompter, Effects& effects, QObject* parent)
    : QObject(parent), m_folder(std::move(folder)), m_prompter(prompter), m_effects(effects) {
    for (const BuiltIn& entry : kBuiltIn)
        m_entries << QString::fromLatin1(entry.name);
}

std::optional<EqPresets::Line> EqPresets::parseLine(const QString& line) {
    // Only the first four fields count; a damaged line of millions of "|" is not cut whole.
    QStringList fields;
    for (const QStringView field : QStringView(line).tokenize(u'|')) {
        fields << field.toString();
        if (fields.size() == 4)
            break;
    }
    if (fields.size() < 4)
        return std::nullopt;
    Line parsed{fields[0], {}};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        parsed.gains[size_t(i)] = fields[i + 1].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return parsed;
}

QStringList EqPresets::readPresets() const {
    const QString path = m_folder.ini(kPresetsFile);
    return QFileInfo::exists(path) ? textstore::readList(path) : QStringList();
}

EqPresets::Gains EqPresets::currentGains() const {
    return {m_effects.bars[0], m_effects.bars[1], m_effects.bars[2]};
}

void EqPresets::applyGains(const Gains& gains) {
    for (int band = 0; band < 3; ++band)
        m_effects.setBar(band, gains[size_t(band)]);
}

void EqPresets::select(int index) {
    m_selected = index;
    m_text = index >= 0 && index < m_entries.size() ? m_entries[index] : QString();
    emit changed();
}

void EqPresets::load_user_EQ_presets() {
    const QString path = m_folder.ini(kPresetsFile);
    textstore::ensureFile(path, {kNoPresets});
    m_entries = m_entries.mid(0, kFirstUserPreset);
    for (const QString& line : textstore::readList(path)) {
        if (line == kNoPresets)
            break;
        m_entries << line.section('|', 0, 0);
    }
    emit changed();
}

void EqPresets::cbEQChange(int index) {
    if (index < 0 || index >= m_entries.size())
        return;
    select(index);
    if (index < kFirstUserPreset) {
        if (const auto& gains = kBuiltIn[size_t(index)].gains)
            applyGains(*gains);
        return;
    }
    const QStringList lines = readPresets();
    const int at = index - kFirstUserPreset;
    if (at < lines.size())
        if (const auto line = parseLine(lines[at]))
            applyGains(line->gains);
}

void EqPresets::check_for_presets() {
    const Gains gains = currentGains();
    for (int i = 0; i < kFirstUserPreset; ++i)
        if (kBuiltIn[size_t(i)].gains == gains) {
            select(i);
            return;
        }
    const QStringList lines = readPresets();
    if (!lines.isEmpty() && lines.first() != kNoPresets)
        for (int i = 0; i < lines.size(); ++i) {
            const auto line = parseLine(lines[i]);
            if (line && line->gains == gains) {
                select(kFirstUserPreset + i);
                return;
            }
        }
    select(kUser);
}

void EqPresets::saveTyped(const QString& name) {
    if (name.isEmpty())
        return;
    // These are refused before the file is read; any other taken name (such as "Default" or
    // "bass") is refused after it, which still leaves the default question to be answered.
    if (QStringList{"Flat", "Bass", "Treble", "Mid", "User"}.contains(name)) {
        m_prompter.message(kNotUnique);
        return;
    }
    // A "|" would split the name into the gain fields and damage the line for good.
    if (name.contains('|')) {
        m_prompter.message("A preset name cannot contain \"|\".");
        return;
    }
    const Gains gains = currentGains();
    const QString line = name + '|' + QString::number(gains[0]) + '|' + QString::number(gains[1]) +
                         '|' + QString::number(gains[2]);
    QStringList lines = readPresets();
    const bool taken = std::any_of(m_entries.begin(), m_entries.end(), [&](const QString& entry) {
        return entry.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (taken) {
        m_prompter.message(kNotUnique);
    } else {
        if (!lines.isEmpty() && lines.first() == kNoPresets)
            lines.removeFirst();
        lines << line;
        m_prompter.message(name + " has been added to your EQ presets");
        m_entries << name;
        select(int(m_entries.size()) - 1);
    }
    textstore::writeList(m_folder.ini(kPresetsFile), lines);
    if (m_prompter.question("Do you want this to be the default setting for mp3s which have no "
                            "EQ settings saved?"))
        textstore::writeList(m_folder.ini(kDefaultFile), {line});
}

void EqPresets::deleteShown(const QString& shown) {
    int index = m_selected;
    if (!shown.isEmpty() && shown != m_entries.value(m_selected)) {
        index = int(m_entries.indexOf(shown));
        for (int i = 0; index < 0 && i < m_entries.size(); ++i)
            if (m_entries[i].compare(shown, Qt::CaseInsensitive) == 0)
                index = i;
        if (index < 0) {
            m_prompter.message(shown + " is not one of your EQ presets");
            return;
        }
    }
    if (index < kFirstUserPreset || index >= m_entries.size()) {
        m_prompter.message("You can't delete Hoedeck's presets!");
        return;
    }
    const QString name = m_entries[index];
    if (!m_prompter.question("Delete " + name + " from your EQ presets now?"))
        return;
    QStringList lines = readPresets();
    if (!lines.isEmpty() && lines.first() == kNoPresets)
        lines.removeFirst();
    lines.removeIf([&](const QString& line) { return line.section('|', 0, 0) == name; });
    if (lines.isEmpty())
        lines << kNoPresets;
    textstore::writeList(m_folder.ini(kPresetsFile), lines);
    m_entries.removeAt(index);
    select(kFlat);
}

void EqPresets::nameRememberedGains(const Gains& gains) {
    if (gains == kBuiltIn[kFlat].gains)
        return;
    select(kUser);
    for (int i = 0; i < kFlat; ++i)
        if (kBuiltIn[size_t(i)].gains == gains)
            select(i);
}

void EqPresets::use_default_EQ() {
    const QString path = m_folder.ini(kDefaultFile);
    if (!QFileInfo::exists(path))
        return;
    const QStringList lines = textstore::readList(path);
    const auto line = lines.isEmpty() ? std::nullopt : parseLine(lines.first());
    if (!line)
        return;
    m_text = line->name;
    m_selected = int(m_entries.indexOf(line->name));
    emit changed();
    applyGains(line->gains);
}

} // namespace hoedeck
