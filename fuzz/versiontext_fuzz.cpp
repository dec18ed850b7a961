// The release number the update server answers with: a number read is written back the same,
// and the comparison is an order (reflexive, antisymmetric) between any two answers.

#include "harness.h"
#include "versiontext.h"

using namespace hoedeck;

namespace {
void setUp() {}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    // Two answers from one input: split at the first line break.
    const qsizetype cut = bytes.indexOf('\n');
    const QString first = QString::fromUtf8(cut < 0 ? bytes : bytes.left(cut));
    const QString second = QString::fromUtf8(cut < 0 ? QByteArray() : bytes.mid(cut + 1));
    const auto a = VersionNumber::parse(first);
    const auto b = VersionNumber::parse(second);
    if (a) {
        fuzz::check(a->numbers().size() >= 1 && a->numbers().size() <= 8,
                    "a number of impossible length", first);
        const auto again = VersionNumber::parse(a->text());
        fuzz::check(again && *again == *a && again->numbers() == a->numbers(),
                    "the number written does not read back", first);
        fuzz::check(a->compare(*a) == 0, "a number differs from itself", first);
    }
    if (a && b)
        fuzz::check(a->compare(*b) == -b->compare(*a), "the order is not antisymmetric",
                    first + " | " + second);
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
