#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace hoedeck::filecopy {

// Copies are made in two steps so that a file under its final name is always whole: the bytes
// go to a hidden work file in the destination's folder, and only a complete, flushed work file
// takes the final name. A full disk, a read-only key or a cancel leaves no half file behind.

using Cancelled = std::function<bool()>;

// The outcome of one step: empty error when it went through.
struct Result {
    QString error;
    bool cancelled = false;
    bool ok() const { return error.isEmpty() && !cancelled; }
};

// The system's reason for a failed call, in words ("No space left on device").
QString reason(int error);

// Copies the source into a new work file in `folder`, flushed to the disk, with the source's
// permissions and modification time. On success `workPath` names it; on failure or a cancel
// (asked between blocks) nothing is left.
Result stage(const QString& source, const QString& folder, QString& workPath,
             const Cancelled& cancelled = {});

// Gives a staged work file its final name. Without `replace` an existing file of that name is
// left alone and the step fails. The work file is removed when the step fails.
Result commit(const QString& workPath, const QString& destination, bool replace);

// Removes a work file that will not be committed.
void discard(const QString& workPath);

// What a caller reads when a file could not be copied: "can't copy SOURCE to DESTINATION: why".
QString cannotCopy(const QString& source, const QString& destination, const QString& why);

// stage() then commit() into the destination's folder.
Result copy(const QString& source, const QString& destination, bool replace,
            const Cancelled& cancelled = {});

// The files under a folder, as paths relative to it, sorted; subfolders are walked, links are
// not followed. Empty for a missing folder.
QStringList filesUnder(const QString& folder);

// Creates the folder and any missing parents; empty when it is there, else why not (the
// system's reason, without the path).
QString makePath(const QString& folder);

// Removes a folder tree; empty when it is gone (or was never there), else why not.
QString removeTree(const QString& folder);

} // namespace hoedeck::filecopy
