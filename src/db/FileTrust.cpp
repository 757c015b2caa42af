#include "db/FileTrust.h"

#include <QFile>
#include <QFileInfo>

#ifdef __unix__
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace db {

QString OthersMayChange(const QString& path) {
#ifdef __unix__
    struct stat status {};
    if (stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    if (status.st_uid != geteuid())
        return QStringLiteral("файл принадлежит другому пользователю компьютера, "
                              "и программа им не пользуется");
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("этот файл могут изменить другие пользователи компьютера, и "
                              "программа им не пользуется. Оставьте право записи только себе: "
                              "chmod go-w %1")
            .arg(QFileInfo(path).fileName());
#else
    (void)path;
#endif
    return {};
}

} // namespace db
