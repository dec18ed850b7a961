#pragma once

#include "colortext.h"
#include "datafolder.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace hoedeck {

// Which songs of a favourites list were played tonight: per list and half a file of song
// names, "-1" standing for none, kept sorted and without duplicates. The lists paint played
// songs in the history colours until the caller clears the history.
class PlayHistory {
public:
    static inline const QString kPlaceholder = QStringLiteral("-1");
    static inline const QString kColorFile = QStringLiteral("history_color.txt");

    explicit PlayHistory(DataFolder folder);

    // ini/<list>highlight_patter.txt or ini/<list>highlight_singer.txt.
    QString file(const QString& list, bool patter) const;

    // The song joins the half's history (made with "-1" when missing).
    void mark(const QString& list, bool patter, const QString& song);
    // The song leaves the half's history; true when it was there.
    bool unmark(const QString& list, bool patter, const QString& song);
    // A song deleted from the list takes its last line (exactly equal) out of the history.
    void removeLastLine(const QString& list, bool patter, const QString& song);
    // The half's history holds "-1" alone.
    void clear(const QString& list, bool patter);
    // A deleted list's two history files go too.
    void deleteFiles(const QString& list);

    // The played songs of the half, lower-cased. Made with "-1" when missing; read again only
    // when the file has changed, so painting a long list stays fast.
    const QSet<QString>& played(const QString& list, bool patter);

    // The colours of played songs: text and background, from ini/history_color.txt.
    ColorValue textColor = color::clBlack;
    ColorValue backgroundColor = 0x0080FFFFu;
    void load_history_color();
    // A colour chosen from the "History" menu (nothing when the dialog was cancelled, which
    // still writes the colour in use).
    void chooseColor(bool text, std::optional<ColorValue> chosen);

private:
    QStringList load(const QString& path) const;
    void save(const QString& path, QStringList lines);

    DataFolder m_folder;
    struct Cached {
        QDateTime modified;
        qint64 size = -1;
        QSet<QString> played;
    };
    QHash<QString, Cached> m_cache;
};

} // namespace hoedeck
