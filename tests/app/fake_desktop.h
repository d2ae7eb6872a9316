// A desktop of the test's own: an xdg-open first on the PATH that notes, for
// each document it is asked to open, a line: the folder it was started in, a
// tab, the document. The openers run side by side, so their lines come in
// any order: opened() sorts them.
#pragma once

#include "support/test_book.h"
#include <QtCore>
#include <filesystem>

class FakeDesktop {
public:
    FakeDesktop() : path_(qgetenv("PATH")) {
        const std::string opener = dir_.write("xdg-open", "#!/bin/sh\nprintf '%s\\t%s\\n' \"$(pwd -P)\" \"$1\" >> \"$0.log\"\n");
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
        qputenv("PATH", QByteArray::fromStdString(dir_.path("")) + ":" + path_);
    }
    ~FakeDesktop() { qputenv("PATH", path_); }

    QStringList opened() const {
        QFile log(QString::fromStdString(dir_.path("xdg-open.log")));
        QStringList lines = log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts) : QStringList();
        return lines.sort(), lines;
    }

private:
    ScratchDir dir_;
    QByteArray path_;
};
