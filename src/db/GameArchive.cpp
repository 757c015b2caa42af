#include "db/GameArchive.h"

#include "db/Corrections.h"
#include "db/DbError.h"
#include "db/Tables.h"
#include "db/Unit6.h"
#include "record/PackedRecord.h"

#include <QDebug>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <utility>

namespace db {

bool ArchiveExists(TDModule& module) {
    return Scalar(module, sql::ArchiveProbe()) > 0;
}

bool PrepareArchive(TDModule& module) {
    std::string refusal;
    if (PrepareTables(module, sql::ArchiveProbe(), sql::ArchiveSchema, &refusal))
        return true;
    static bool told = false;
    if (!std::exchange(told, true))
        qWarning("vertan: games are recorded without their records: %s", refusal.c_str());
    return false;
}

void StoreRecord(TDModule& module, const QString& gameCode, const ArchivedGame& game) {
    module.QRWork.SetSQL(sql::InsertRecord(gameCode, game.identity, record::PackRecord(game.text)));
    module.QRWork.ExecSQL();
}

std::optional<QString> ReadGameRecord(TDModule& module, qint64 gameCode) {
    if (!ArchiveExists(module)) {
        return std::nullopt;
    }
    module.QRWork.SetSQL(sql::RecordOfGame(gameCode));
    module.QRWork.Open();
    if (module.QRWork.Eof()) {
        return std::nullopt;
    }
    // The bytes as stored: a text field would not carry them.
    return record::UnpackRecord(module.QRWork.Model()->record(0).value(0).toByteArray());
}

void ClearJournal(TDModule& module, const QString& playerCode) {
    const bool archive = ArchiveExists(module);
    const bool corrections = CorrectionsExist(module);
    // Clearing changes no player: the ratings grid keeps its rows and its row.
    TDModule::Transaction transaction(module, true);
    if (archive) {
        module.QRWork.SetSQL(playerCode.isEmpty() ? sql::ClearRecords()
                                                  : sql::ClearPlayerRecords(playerCode));
        module.QRWork.ExecSQL();
    }
    module.IBGames.SetSQL(playerCode.isEmpty() ? sql::ClearGames()
                                               : sql::ClearPlayerGames(playerCode));
    module.IBGames.ExecSQL();
    if (corrections)
        ForgetClearedGames(module);
    transaction.Commit();
}

} // namespace db
