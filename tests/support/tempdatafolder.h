#pragma once

#include "datafolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace hoedeck::testing {

// A fresh data folder with an empty ini/ for one test.
class TempDataFolder {
public:
    explicit TempDataFolder(bool withIni = true) {
        if (withIni)
            QDir(m_dir.path()).mkpath("ini");
    }
    DataFolder folder() const { return DataFolder(m_dir.path()); }
    QString path(const QString& relative) const { return folder().path(relative); }
    QByteArray bytes(const QString& relative) const {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void write(const QString& relative, const QByteArray& content) const {
        QDir().mkpath(QFileInfo(path(relative)).path());
        QFile file(path(relative));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }

private:
    QTemporaryDir m_dir;
};

} // namespace hoedeck::testing
