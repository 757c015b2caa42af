#include "db/Outbox.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStringList>
#include <QUuid>
#include <fcntl.h>
#include <unistd.h>

namespace db {
namespace {

constexpr char Suffix[] = ".result";
constexpr qint64 MaxEntryBytes = 8 * 1024 * 1024;
const QString StampFormat = QStringLiteral("yyyyMMdd'T'HHmmsszzz");

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
            {"date", r.date},             {"record", r.recordText}};
}

std::optional<PendingResult> FromJson(const QJsonObject& o) {
    if (!o["identity"].isString() || !o["r"].isDouble() || !o["white"].isString() ||
        !o["black"].isString() || !o["date"].isString())
        return std::nullopt;
    PendingResult r{o["identity"].toString(), o["r"].toInt(),
                    o["white"].toString(),    o["black"].toString(),
                    o["whiteHuman"].toBool(), o["blackHuman"].toBool(),
                    o["date"].toString(),     o["record"].toString()};
    if (r.r == 0 || r.identity.isEmpty())
        return std::nullopt;
    return r;
}

} // namespace

Outbox::Outbox(const QString& programFolder) : folder_(programFolder + "/Data/Outbox") {}

bool Outbox::Put(const PendingResult& result, QString& error) {
    if (!QDir().mkpath(folder_)) {
        error = QStringLiteral("cannot make %1").arg(folder_);
        return false;
    }
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
    QSaveFile file(folder_ + '/' + name);
    const QByteArray bytes = QJsonDocument(ToJson(result)).toJson();
    // Unbuffered, so that a short write (a full disk or quota) is seen before the commit.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() ||
        !file.commit()) {
        error = file.errorString();
        return false;
    }
    SyncFolder(folder_);
    return true;
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
    SyncFolder(folder_);
}

void Outbox::SetAside(const Entry& entry) {
    QFile::rename(entry.file, entry.file + QStringLiteral(".failed"));
    SyncFolder(folder_);
}

} // namespace db
