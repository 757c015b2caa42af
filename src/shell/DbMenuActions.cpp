#include "shell/DbMenuActions.h"

#include "db/DbError.h"
#include "db/Outbox.h"
#include "db/ServerWatch.h"
#include "db/Unit6.h"
#include "shell/AppOptions.h"
#include "shell/ExceptionSink.h"
#include "shell/StartUp.h"
#include "shell/MessageBoxes.h"
#include "shell/ServerAway.h"
#include "shell/ServerWaitNote.h"
#include "shell/Unit5.h"
#include "shell/Unit7.h"
#include "shell/Unit8.h"

#include <QApplication>
#include <QSet>

namespace shell {

namespace {

db::TDModule& Module() {
    if (!db::DModule)
        throw db::DbError("no database module");
    return *db::DModule;
}

// Results kept while the database could not take them go in first, in their
// order; what cannot be recorded is told in the window.
void DeliverWaitingResults() {
    if (ProgramFolder.isEmpty())
        return;
    db::Outbox outbox(ProgramFolder);
    NoticeAnnouncer().OutboxTrouble(db::DeliverOutbox(Module(), outbox));
}
} // namespace

namespace {

void ConnectDatabase(db::TDModule* module) {
    // While a step waits for the server, the windows paint and the cursor says why.
    db::SetWaitIndicator([](bool waiting) {
        if (waiting)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    // After a second of waiting, a note says why, with "Отмена" where it may.
    static ServerWaitNote note;
    db::SetWaitNote(&note);
    DropErrors([module] {
        try {
            const db::ResponsiveStep responsive;
            module->DataModuleCreate();
            DeliverWaitingResults();
        } catch (const db::ConnectionError& error) {
            // A server the club relies on is out of reach: say so once, with
            // its own words; then the program runs as without a database.
            ShowNotice(StartUpServerAwayText(QString::fromUtf8(error.what())));
        }
    });
}

} // namespace

void CreateDatabaseObjects(std::vector<std::unique_ptr<QObject>>& objects) {
    ConnectDatabase(Create(objects, db::DModule, ProgramFolder));
    CreateDatabaseWindows(objects);
}

std::optional<db::DatabaseChoice> CreateToldDatabaseModule(
    std::vector<std::unique_ptr<QObject>>& objects) {
    try {
        db::DatabaseChoice choice = db::ChooseDatabase(ProgramFolder);
        if (choice.dialect == db::Dialect::SQLite)
            return choice;
        ConnectDatabase(Create(objects, db::DModule, choice));
    } catch (const db::ConnectionError&) {
        // The module tells why Database.cfg cannot be used as it connects.
        ConnectDatabase(Create(objects, db::DModule, ProgramFolder));
    }
    return std::nullopt;
}

void CreateDatabaseModule(std::vector<std::unique_ptr<QObject>>& objects,
                          const db::DatabaseChoice& choice) {
    ConnectDatabase(Create(objects, db::DModule, choice));
}

void CreateDatabaseWindows(std::vector<std::unique_ptr<QObject>>& objects) {
    Create(objects, Form5, Module());
    Create(objects, Form7, Module());
    Create(objects, Form8, Module());
}

void OpenRegistration() {
    if (Form5)
        Form5->OpenRegistration();
}

void OpenRatings() {
    if (!Form7)
        return;
    RunServerStep([] {
        try {
            DeliverWaitingResults();
            Form7->OpenRatings();
        } catch (const db::DbError& e) {
            // A server out of reach is told by the step; one that went silent
            // or away is told here; other failures stay with the sink.
            if (dynamic_cast<const db::ConnectionError*>(&e) || !Module().ServerLost())
                throw;
            ShowError(Module().FailureText(e));
        }
    });
}

void NoticeAnnouncer::Announce(const QString& text) {
    ShowNotice(text);
}

void NoticeAnnouncer::OutboxTrouble(const db::DeliveryReport& report) {
    db::Announcer::OutboxTrouble(report);
    // A file that cannot be read, or a refusal, comes back at every step:
    // the user hears of each once.
    static QSet<QString> told;
    db::DeliveryReport untold;
    for (const QString& problem : report.problems)
        if (!told.contains(problem))
            untold.problems << problem;
    if (!told.contains(report.refused))
        untold.refused = report.refused;
    const QString text = db::OutboxTroubleText(untold);
    if (text.isEmpty())
        return;
    told.unite(QSet<QString>(untold.problems.begin(), untold.problems.end()));
    told.insert(untold.refused);
    ShowError(text);
}

bool RecordGameResult(int32_t r, const QString& whiteName, const QString& blackName,
                      bool whiteHuman, bool blackHuman, const db::ArchivedGame& archived,
                      const QString& pairing) {
    NoticeAnnouncer announcer;
    // A game that is lost to the journal must not pass in silence.
    try {
        // Not cancellable: a commit given up might or might not have been made.
        const db::ResponsiveStep responsive(false);
        db::Outbox outbox(ProgramFolder);
        const db::Recorded recorded =
            db::RecordResult(Module(), announcer, r, whiteName, blackName, whiteHuman, blackHuman,
                             db::TodayShortDate, archived, ProgramFolder.isEmpty() ? nullptr : &outbox,
                             pairing);
        if (recorded == db::Recorded::Queued)
            ShowNotice(db::QueuedText);
        else if (recorded == db::Recorded::Held)
            ShowNotice(db::HeldText);
        return recorded != db::Recorded::Nothing;
    } catch (const db::ConnectionError& e) {
        ShowError(db::RecordingFailedText(ServerAwayText(QString::fromUtf8(e.what()))));
    } catch (const db::DbError& e) {
        ShowError(db::RecordingFailedText(Module().FailureText(e)));
    }
    return false;
}

} // namespace shell
