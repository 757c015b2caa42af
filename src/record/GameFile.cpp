#include "record/GameFile.h"

#include "record/ExchangeFormats.h"
#include "record/ExchangeRead.h"
#include "record/ForeignGame.h"
#include "record/PackedRecord.h"
#include "record/RecordText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace record {

std::optional<GameFormat> FormatOfPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("txt")) {
        return GameFormat::Record;
    }
    if (suffix == QLatin1String("mat")) {
        return GameFormat::Mat;
    }
    if (suffix == QLatin1String("sgf")) {
        return GameFormat::Sgf;
    }
    return std::nullopt;
}

QString GameFileText(const GameRecord& record, GameFormat format, QString& error) {
    const QDateTime& date = record.StartTime();
    switch (format) {
    case GameFormat::Record:
        return RecordText(record, date);
    case GameFormat::Mat:
        error = MatProblem(record);
        return error.isEmpty() ? MatText(record, date) : QString();
    case GameFormat::Sgf:
        error = SgfProblem(record);
        return error.isEmpty() ? SgfText(record, date) : QString();
    }
    return QString();
}

namespace {

// The text or nothing at path, never half of it.
bool WriteAtomically(const QString& text, const QString& path, QString& error) {
    if (text.isEmpty()) {
        return false;
    }
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    // Unbuffered, so that a short write (a full disk) is seen before the commit.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

QString MatchFileText(const MatchRecord& match, GameFormat format, QString& error) {
    const QDateTime date =
        match.games.empty() ? QDateTime() : match.games.front().game.StartTime();
    switch (format) {
    case GameFormat::Record:
        return MatchText(match, date);
    case GameFormat::Mat:
        error = MatchMatProblem(match);
        return error.isEmpty() ? MatchMatText(match, date) : QString();
    case GameFormat::Sgf:
        error = MatchSgfProblem(match);
        return error.isEmpty() ? MatchSgfText(match, date) : QString();
    }
    return QString();
}

} // namespace

bool WriteGame(const GameRecord& record, GameFormat format, const QString& path, QString& error) {
    return WriteAtomically(GameFileText(record, format, error), path, error);
}

namespace {

std::optional<GameFormat> SavedFormat(const QString& path, QString& error) {
    const auto format = FormatOfPath(path);
    if (!format) {
        error = QStringLiteral("неизвестный формат файла %1 (нужен .txt, .mat или .sgf)")
                    .arg(QFileInfo(path).fileName());
    }
    return format;
}

} // namespace

bool SaveGame(const GameRecord& record, const QString& path, QString& error) {
    const auto format = SavedFormat(path, error);
    return format && WriteGame(record, *format, path, error);
}

std::optional<GameRecord> OpenGame(const QString& path, QString& error, QString* note) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.read(MaxRecordBytes + 1);
    if (bytes.size() > MaxRecordBytes) {
        error = QStringLiteral("файл слишком велик для записи партии");
        return std::nullopt;
    }
    const QString text = QString::fromUtf8(bytes);
    QString shown;
    std::optional<GameRecord> game;
    switch (FormatOfPath(path).value_or(GameFormat::Record)) {
    case GameFormat::Mat:
        game = ReadMat(text, error, shown);
        break;
    case GameFormat::Sgf:
        game = ReadSgf(text, error, shown);
        break;
    case GameFormat::Record:
        if (auto stored = ReadStored(text, error)) {
            if (stored->match)
                shown = FirstGameNote(int(stored->match->games.size()));
            game = std::move(stored->game);
        }
        break;
    }
    if (note) {
        *note = shown;
    }
    return game;
}

std::optional<StoredRecord> ReadStored(const QString& text, QString& error) {
    StoredRecord stored;
    if (IsMatchText(text)) {
        stored.match = ReadMatch(text, true, error);
        if (!stored.match)
            return std::nullopt;
        stored.game = stored.match->games.front().game;
        return stored;
    }
    auto game = ReadRecord(text, error);
    if (!game)
        return std::nullopt;
    stored.game = std::move(*game);
    return stored;
}

QString StoredFileText(const StoredRecord& record, GameFormat format, QString& error) {
    return record.match ? MatchFileText(*record.match, format, error)
                        : GameFileText(record.game, format, error);
}

bool WriteStored(const StoredRecord& record, GameFormat format, const QString& path,
                 QString& error) {
    return WriteAtomically(StoredFileText(record, format, error), path, error);
}

bool SaveStored(const StoredRecord& record, const QString& path, QString& error) {
    const auto format = SavedFormat(path, error);
    return format && WriteStored(record, *format, path, error);
}

} // namespace record
