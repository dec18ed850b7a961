// The lyrics window's settings: the file filter (ini/combofilter.txt), the text font
// (ini/font_cards.txt), the remembered lyrics folder (line 2 of ini/subdirectory.txt) and the
// favourite lyrics folders. Every one reads to a usable value, and what is written reads back.

#include "harness.h"
#include "lyricsfolders.h"
#include "scriptedprompter.h"
#include "textfont.h"
#include "textstore.h"

#include <QFileInfo>
#include <algorithm>

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("lyricsettings");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    workspace->reset();
    for (const char* name : {"ini/combofilter.txt", "ini/font_cards.txt", "ini/subdirectory.txt",
                             "ini/favorite_lyrics_subdirectories.txt"})
        workspace->write(name, bytes);
    testing::ScriptedPrompter prompter;
    LyricsFolders folders(workspace->folder(), prompter);

    const int filter = folders.loadFilter();
    fuzz::check(filter >= 0 && filter < LyricsFolders::filters().size(), "no such filter");
    folders.setFilter(filter);
    fuzz::check(folders.loadFilter() == filter, "the filter does not read back");

    const QString fontPath = workspace->path("ini/font_cards.txt");
    const FontSpec font = textfont::load(fontPath, prompter);
    fuzz::check(font.size >= 1 && font.size <= 200 && !font.name.isEmpty(), "an unusable font");
    textfont::save(fontPath, font);
    const qsizetype said = prompter.shown.size();
    fuzz::check(textfont::load(fontPath, prompter) == font, "the font does not read back",
                font.name);
    fuzz::check(prompter.shown.size() == said, "a font written is said to be damaged");

    const auto remembered = folders.rememberedFolder();
    fuzz::check(QFileInfo(remembered.folder).isAbsolute(), "the lyrics folder is not a folder",
                remembered.folder);
    fuzz::check(remembered.notice.count('\n') == 0, "the notice is not one line");

    folders.loadFavorites();
    const QStringList favorites = folders.favorites();
    const QString added = workspace->path("New Lyrics");
    const bool present = std::any_of(favorites.cbegin(), favorites.cend(), [&](const QString& f) {
        return LyricsFolders::storedForm(f).compare(LyricsFolders::storedForm(added),
                                                    Qt::CaseInsensitive) == 0;
    });
    fuzz::check(folders.addFavorite(added) == !present, "adding a folder disagrees with the list");
    fuzz::check(!folders.addFavorite(added + "/"), "a folder was added twice");
    if (folders.favorites().size() > 1) {
        folders.moveFavorite(0, int(folders.favorites().size()));
        fuzz::check(folders.favorites().last() == favorites.value(0, added),
                    "the first favourite did not move to the end");
    }
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
