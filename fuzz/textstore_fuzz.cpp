// The text store's decoding and splitting, on the bytes of any file the program reads; then a
// file holding those bytes read, converted to UTF-8 and read again.

#include "harness.h"
#include "textstore.h"

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("textstore");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QStringList lines = textstore::splitLines(textstore::decode(bytes));
    for (const QString& line : lines)
        fuzz::check(!line.contains('\r') && !line.contains('\n'), "a line holds a line break",
                    line);
    if (textstore::isUtf8(bytes))
        fuzz::check(textstore::decodeLine(bytes).toUtf8() == bytes,
                    "UTF-8 bytes decoded as something else");

    // Every list the program changes is read, changed and written back whole: what it wrote
    // must read as the same lines.
    const QString path = workspace->path("ini/list.txt");
    textstore::writeList(path, lines);
    fuzz::check(textstore::readList(path) == lines, "lines written do not read back the same",
                lines.join('\n'));

    // An older installation's file made UTF-8 reads as it read before.
    workspace->write("ini/old.txt", bytes);
    const QStringList before = textstore::readList(workspace->path("ini/old.txt"));
    textstore::convertToUtf8(workspace->path("ini/old.txt"));
    const QByteArray converted = workspace->read("ini/old.txt");
    fuzz::check(textstore::isUtf8(converted), "a converted file is not UTF-8");
    fuzz::check(textstore::readList(workspace->path("ini/old.txt")) == before,
                "a converted file reads differently", before.join('\n'));
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
