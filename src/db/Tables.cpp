#include "db/Tables.h"

#include "db/DbError.h"
#include "db/Unit6.h"

#include <QSqlQueryModel>
#include <QSqlRecord>

namespace db {

qint64 Scalar(TDModule& module, const Statement& statement) {
    module.QRWork.SetSQL(statement);
    module.QRWork.Open();
    const qint64 value =
        module.QRWork.Eof() ? 0 : module.QRWork.Model()->record(0).value(0).toLongLong();
    module.QRWork.Close();
    return value;
}

bool PrepareTables(TDModule& module, const Statement& probe, QStringList (*schema)(Dialect),
                   std::string* refusal) {
    if (Scalar(module, probe) > 0)
        return true;
    try {
        for (const QString& statement : schema(module.Engine()))
            module.Run(Statement(statement));
        return true;
    } catch (const DbError& error) {
        // Only a role refused the right to create tables goes without them;
        // anything else (a silent server, a full disk) fails the step.
        if (error.Code() != InsufficientPrivilege)
            throw;
        if (refusal)
            *refusal = error.what();
        return false;
    }
}

} // namespace db
