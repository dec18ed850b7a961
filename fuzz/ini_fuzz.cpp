// The small settings files read at start-up, each holding the same bytes: the row split, the
// "Sorted" boxes, the browser's folder, the favourite music folders and the sound output.

#include "appearance.h"
#include "favorites.h"
#include "harness.h"
#include "musicfolders.h"
#include "outputchoice.h"
#include "scriptedprompter.h"
#include "textstore.h"

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("ini");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    workspace->reset();
    for (const char* file : {"splitter.txt", "sorted_checked.txt", "subdirectory.txt",
                             "favorite_subdirectories.txt", "output_device.txt"})
        workspace->write(QStringLiteral("ini/") + file, bytes);
    testing::ScriptedPrompter prompter;

    Appearance appearance(workspace->folder(), prompter);
    appearance.get_splitter();
    fuzz::check(appearance.split() >= Appearance::kMinSplit &&
                    appearance.split() <= Appearance::kMaxSplit,
                "the split is out of range");

    FavoritesLists favorites(workspace->folder(), prompter);
    favorites.Sorted_Checked();
    const QStringList sorted = textstore::readList(workspace->path("ini/sorted_checked.txt"));
    fuzz::check(sorted == QStringList{favorites.sortedPatter ? "-1" : "0",
                                      favorites.sortedSinger ? "-1" : "0"},
                "the \"Sorted\" boxes are not written as read", sorted.join('\n'));

    // The browser's folder becomes the process's current folder; the fuzzer's own is kept.
    const QString current = QDir::currentPath();
    MusicFolders folders(workspace->folder(), prompter);
    folders.load_subdirectories();
    fuzz::check(folders.browserFolder().endsWith('/'), "the browser's folder has no separator",
                folders.browserFolder());
    QDir::setCurrent(current);
    folders.load_favorite_subdirectories();
    const QStringList& kept = folders.favoriteFolders();
    for (int i = 0; i < kept.size(); ++i)
        for (int j = i + 1; j < kept.size(); ++j)
            fuzz::check(kept[i].compare(kept[j], Qt::CaseInsensitive) != 0,
                        "a favourite folder is shown twice", kept[i]);

    const QString device = outputchoice::load(workspace->folder());
    fuzz::check(device == device.trimmed(), "the device name keeps its spaces", device);
    outputchoice::save(workspace->folder(), device);
    fuzz::check(outputchoice::load(workspace->folder()) == device,
                "the sound output written does not read back", device);
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
