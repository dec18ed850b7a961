#pragma once

#include "datafolder.h"

#include <QString>

namespace hoedeck {

// The sound output the caller chose, kept in ini/output_device.txt as one line: the device's
// name, or "none" for the system's default output. The name is kept as the caller chose it even
// while that device is unplugged, so the card plays again once it is back for the next dance.
namespace outputchoice {

// The remembered device, "" for the default. A missing file is created with "none"; an empty
// one means the default and is left as it is. Throws StoreError when it cannot be read.
QString load(const DataFolder& folder);

// Remembers `device` ("" for the default). Throws StoreError when it cannot be written; the old
// file is then kept whole.
void save(const DataFolder& folder, const QString& device);

} // namespace outputchoice
} // namespace hoedeck
