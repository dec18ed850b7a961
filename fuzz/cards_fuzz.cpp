// The choreography reader's files: a source cut into cards in each of the three formats, and
// the same bytes as a box list (or dance) and as the card font's ini file.

#include "boxlist.h"
#include "cardimport.h"
#include "harness.h"

using namespace hoedeck;
using namespace hoedeck::reader;

namespace {
fuzz::Workspace* workspace = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("cards");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    for (const ImportFormat format : {ImportFormat::Sd, ImportFormat::BeginEnd, ImportFormat::At})
        for (const Card& card : splitIntoCards(bytes, format))
            for (const QByteArray& line : card) {
                fuzz::check(!line.contains('\r') && !line.contains('\n'),
                            "a card line holds a line break", QString::fromLatin1(line));
                fuzz::check(format == ImportFormat::BeginEnd || bytes.contains(line),
                            "a card line is not a line of the source", QString::fromLatin1(line));
                fuzz::check(format != ImportFormat::Sd || line.indexOf("Sd") != 29,
                            "an Sd header is in a card", QString::fromLatin1(line));
            }

    workspace->reset();
    workspace->write("ini/box_filenames.txt", bytes);
    workspace->write("ini/font.ini", bytes);
    return fuzz::guarded([&] {
        const CardFont font = readCardFont(workspace->path("ini/font.ini"));
        writeCardFont(workspace->path("ini/font.ini"), font);
        const CardFont again = readCardFont(workspace->path("ini/font.ini"));
        fuzz::check(again.font == font.font && again.charSet == font.charSet,
                    "the card font does not read back as written", font.font.name);

        for (const BoxNumberRule rule :
             {BoxNumberRule::BoxListFile, BoxNumberRule::OpenDance, BoxNumberRule::DancesList}) {
            const BoxList boxes = readBoxList(workspace->path("ini/box_filenames.txt"), rule);
            fuzz::check(rule != BoxNumberRule::BoxListFile ||
                            (boxes.current >= 1 && boxes.current <= 5),
                        "the box list's current box is out of range");
        }
        const BoxList boxes =
            readBoxList(workspace->path("ini/box_filenames.txt"), BoxNumberRule::DancesList);
        writeBoxList(workspace->path("ini/dance.dnc"), boxes);
        const BoxList again2 =
            readBoxList(workspace->path("ini/dance.dnc"), BoxNumberRule::DancesList);
        fuzz::check(again2.files == boxes.files && again2.current == boxes.current,
                    "a dance does not read back as written", boxes.files.join('\n'));
        return 0;
    });
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
