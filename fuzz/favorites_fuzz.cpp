// A favourites list and the pointer to the current list: ini/current_favorite.txt names the
// list, whose two halves and "Sorted" boxes hold the same bytes.

#include "favorites.h"
#include "harness.h"
#include "scriptedprompter.h"
#include "textstore.h"

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;

// The harness writes the halves of the list the pointer names; a name that leaves the
// favourites folder would have it write elsewhere on this machine.
bool insideFavorites(const QString& name) {
    return !name.isEmpty() && !name.contains('/') && !name.contains('\\') && !name.contains("..") &&
           !name.contains(QChar(0)) && name.size() < 100;
}

void setUp() {
    workspace = new fuzz::Workspace("favorites");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    workspace->reset();
    const QString name = textstore::splitLines(textstore::decode(bytes)).value(0);
    if (!name.isEmpty() && !insideFavorites(name))
        return 0;
    const QString list = name.isEmpty() ? QStringLiteral("default.fvt") : name;
    workspace->write("ini/current_favorite.txt", bytes);
    workspace->write("ini/sorted_checked.txt", bytes);
    workspace->write("favorites/" + list, bytes);
    workspace->write("favorites/" + list + ".ptr", bytes);
    testing::ScriptedPrompter prompter;
    FavoritesLists favorites(workspace->folder(), prompter);

    favorites.load_current_favorites();
    if (favorites.current() != list) {
        // A stored name that is no list name (a control character, say) is refused aloud and
        // the default list used.
        fuzz::check(favorites.current() == "default.fvt" && prompter.shown.size() == 1,
                    "the pointer names another list", favorites.current());
        return 0;
    }
    const QStringList halves = textstore::readList(workspace->path("favorites/" + list));
    fuzz::check(favorites.singers == halves && favorites.patter == halves,
                "a half reads differently from its file");
    favorites.Sorted_Checked();

    // Both halves written back as they stand read the same (a sorted half sorted again).
    const QStringList singers = favorites.singers;
    const QStringList patter = favorites.patter;
    favorites.save(false);
    favorites.save(true);
    favorites.makeCurrent(list);
    fuzz::check(favorites.singers == singers, "the singers do not read back");
    fuzz::check(favorites.patter == patter, "the patter does not read back");
    fuzz::check(textstore::readList(workspace->path("ini/current_favorite.txt")).value(0) == list,
                "the pointer written does not name the list");
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
