#include "outputchoice.h"

#include "textstore.h"

namespace hoedeck::outputchoice {

namespace {
const char* const kFile = "output_device.txt";
const QString kDefault = QStringLiteral("none");
} // namespace

QString load(const DataFolder& folder) {
    const QString path = folder.ini(kFile);
    textstore::ensureFile(path, {kDefault});
    // Spaces around a name typed by hand are not part of any device's name.
    const QString device = textstore::readList(path).value(0).trimmed();
    return device == kDefault ? QString() : device;
}

void save(const DataFolder& folder, const QString& device) {
    textstore::writeList(folder.ini(kFile), {device.isEmpty() ? kDefault : device});
}

} // namespace hoedeck::outputchoice
