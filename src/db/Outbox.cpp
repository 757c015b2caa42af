#include "db/Outbox.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QUuid>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace db {
namespace {

constexpr char Suffix[] = ".result";
constexpr char PartSuffix[] = ".part"; // being written: not in the queue yet
constexpr qint64 MaxEntryBytes = 8 * 1024 * 1024;
const QString StampFormat = QStringLiteral("yyyyMMdd'T'HHmmsszzz");

bool SyncFile(int descriptor) {
    return ::fsync(descriptor) == 0;
}

// A rename is durable once the folder that holds it is on disk.
void SyncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Oldest first.
QStringList WaitingNames(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*") + Suffix}, QDir::Files, QDir::Name);
}

QJsonObject ToJson(const PendingResult& r) {
    return {{"identity", r.identity},     {"r", r.r},
            {"white", r.whiteName},       {"black", r.blackName},
            {"whiteHuman", r.whiteHuman}, {"blackHuman", r.blackHuman},
            {"date", r.date},             {"record", r.recordText},
            {"pairing", r.pairing}};
}

std::optional<PendingResult> FromJson(const QJsonObject& o) {
    if (!o["identity"].isString() || !o["r"].isDouble() || !o["white"].isString() ||
        !o["black"].isString() || !o["date"].isString())
        return std::nullopt;
    PendingResult r{o["identity"].toString(), o["r"].toInt(),
                    o["white"].toString(),    o["black"].toString(),
                    o["whiteHuman"].toBool(), o["blackHuman"].toBool(),
                    o["date"].toString(),     o["record"].toString(),
                    o["pairing"].toString()};
    if (r.r == 0 || r.identity.isEmpty())
        return std::nullopt;
    return r;
}

} // namespace

DiskSync SystemDiskSync() {
    return {SyncFile, SyncFolder};
}

Outbox::Outbox(const QString& programFolder, DiskSync sync)
    : folder_(programFolder + "/Data/Outbox"), sync_(std::move(sync)) {}

bool Outbox::MakeFolder(QString& error) {
    if (QFileInfo(folder_).isDir())
        return true;
    if (!QDir().mkpath(folder_)) {
        error = QStringLiteral("cannot make %1").arg(folder_);
        return false;
    }
    // A new folder survives a power cut once the folder holding it is on disk.
    sync_.folder(QFileInfo(folder_).absolutePath());
    return true;
}

bool Outbox::WriteEntry(const QString& name, const QByteArray& bytes, QString& error) {
    // Written whole and put on disk under a name the queue does not list, then
    // renamed into it: a result is in the queue complete or not at all.
    const QString path = folder_ + '/' + name;
    QFile part(path + PartSuffix);
    // Unbuffered, so that a short write (a full disk or quota) is seen at once.
    const bool written = part.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                         part.write(bytes) == bytes.size();
    if (!written || !sync_.file(int(part.handle()))) {
        error = written ? QStringLiteral("cannot put %1 on disk").arg(part.fileName())
                        : part.errorString();
        part.remove();
        return false;
    }
    part.close();
    // rename(2) replaces a result rewritten in place at once, never leaving it absent.
    if (::rename(QFile::encodeName(part.fileName()).constData(),
                 QFile::encodeName(path).constData()) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        part.remove();
        return false;
    }
    sync_.folder(folder_);
    return true;
}

bool Outbox::Put(const PendingResult& result, QString& error) {
    if (!MakeFolder(error))
        return false;
    // The time the result was put, to the millisecond, orders the files; one
    // put in the same millisecond as the newest goes after it all the same.
    QDateTime stamp = QDateTime::currentDateTimeUtc();
    const QStringList waiting = WaitingNames(folder_);
    if (!waiting.isEmpty()) {
        const QDateTime read = QDateTime::fromString(waiting.last().left(18), StampFormat);
        const QDateTime newest(read.date(), read.time(), Qt::UTC);
        if (newest.isValid() && newest >= stamp)
            stamp = newest.addMSecs(1);
    }
    const QString name = stamp.toString(StampFormat) + '-' +
                         QUuid::createUuid().toString(QUuid::WithoutBraces) + Suffix;
    return WriteEntry(name, QJsonDocument(ToJson(result)).toJson(), error);
}

std::vector<Outbox::Entry> Outbox::Pending(QStringList* reasons) const {
    std::vector<Entry> entries;
    for (const QString& name : WaitingNames(folder_)) {
        QFile file(folder_ + '/' + name);
        const bool read = file.open(QIODevice::ReadOnly) && file.size() <= MaxEntryBytes;
        const auto result =
            read ? FromJson(QJsonDocument::fromJson(file.readAll()).object()) : std::nullopt;
        if (result)
            entries.push_back({file.fileName(), *result});
        else if (reasons)
            *reasons << QStringLiteral("%1: not a result that can be recorded").arg(file.fileName());
    }
    return entries;
}

void Outbox::Remove(const Entry& entry) {
    QFile::remove(entry.file);
    sync_.folder(folder_);
}

void Outbox::SetAside(const Entry& entry) {
    QFile::rename(entry.file, entry.file + QStringLiteral(".failed"));
    sync_.folder(folder_);
}

QStringList Outbox::RenamePlayer(const QString& from, const QString& to) {
    QStringList failed;
    for (Entry entry : Pending()) {
        PendingResult& r = entry.result;
        if (r.whiteName != from && r.blackName != from)
            continue;
        if (r.whiteHuman && r.whiteName == from)
            r.whiteName = to;
        if (r.blackHuman && r.blackName == from)
            r.blackName = to;
        // In place under its own name: the order of the queue stays.
        QString error;
        if (!WriteEntry(QFileInfo(entry.file).fileName(), QJsonDocument(ToJson(r)).toJson(), error))
            failed << QStringLiteral("%1: %2").arg(entry.file, error);
    }
    return failed;
}

} // namespace db
