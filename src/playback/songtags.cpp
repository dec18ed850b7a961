#include "songtags.h"

#include <QFile>

#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>

namespace hoedeck {

namespace {
QString text(const TagLib::String& value) {
    // A tag's text is one line in the file information, however it was written.
    return QString::fromStdWString(value.toWString()).simplified();
}
} // namespace

QStringList SongTags::lines() const {
    QStringList out;
    const std::pair<const char*, const QString*> fields[] = {
        {"Title: ", &title}, {"Artist: ", &artist}, {"BPM tag: ", &bpm}, {"Comment: ", &comment}};
    for (const auto& [caption, value] : fields)
        if (!value->isEmpty())
            out << caption + *value;
    return out;
}

SongTags readSongTags(const QString& path) {
    SongTags tags;
    // Read-only, without audio properties: the tags only, which costs a fraction of a
    // millisecond even for a long file.
    const TagLib::FileRef file(QFile::encodeName(path).constData(), false);
    if (file.isNull() || !file.tag())
        return tags;
    const TagLib::Tag* tag = file.tag();
    tags.title = text(tag->title());
    tags.artist = text(tag->artist());
    tags.comment = text(tag->comment());
    const TagLib::PropertyMap properties = file.file()->properties();
    const auto bpm = properties.find("BPM");
    if (bpm != properties.end() && !bpm->second.isEmpty())
        tags.bpm = text(bpm->second.front());
    return tags;
}

} // namespace hoedeck
