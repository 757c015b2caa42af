#include "client/ClientSession.h"

namespace client {

ClientSession::ClientSession(SessionOptions options, LogSink log, QObject* parent)
    : QObject(parent), options_(options), log_(std::move(log)), picker_(options.seed) {
    connect(&link_, &ServerLink::Connected, this, [this] {
        Log(QStringLiteral("connected"));
        emit ConnectedToServer();
    });
    connect(&link_, &ServerLink::Failed, this, [this](const QString& reason) {
        Log(QStringLiteral("error: ") + reason);
        emit ConnectFailed(reason);
    });
    connect(&link_, &ServerLink::ForeignServer, this, [this](uint uid) {
        Log(QStringLiteral("error: the referee belongs to another account (uid %1)").arg(uid));
        emit ForeignServer();
    });
    connect(&link_, &ServerLink::BytesArrived, this, &ClientSession::OnBytes);
    connect(&link_, &ServerLink::ClosedByServer, this, [this] {
        model_.SetGameOver();
        record_.Finish();
        Log(QStringLiteral("closed"));
        emit Changed();
        emit GameOver();
    });
}

void ClientSession::Start(quint16 port, int windowMs) {
    link_.Open(QHostAddress::LocalHost, port, windowMs);
}

void ClientSession::ClickCell(int32_t cell) {
    if (!match_.ResignPending()) {
        Act(model_.Click(cell));
    }
}

void ClientSession::MoveFocus(int step) {
    if (model_.MoveFocus(step)) {
        emit Changed();
    }
}

void ClientSession::PickFocused() {
    if (!match_.ResignPending()) {
        Act(model_.PickFocused());
    }
}

bool ClientSession::Offers(proc::Command command) const {
    return Connected() && match_.Offers(command, model_.AwaitingPerson());
}

void ClientSession::SendCommand(proc::Command command, int level) {
    if (!Offers(command) || (command == proc::Command::Resign && (level < 1 || level > 3))) {
        return;
    }
    // Named as the log's lines of the referee's messages are.
    static const char* const names[] = {"",     "move",   "roll",   "double", "take",
                                        "pass", "resign", "accept", "refuse"};
    const bool sent = link_.Send(proc::BuildClientCommand(command, level));
    QString line =
        QStringLiteral("%1 %2").arg(sent ? "sent" : "unsent", names[static_cast<size_t>(command)]);
    if (command == proc::Command::Resign) {
        line += QStringLiteral(" %1").arg(level);
    }
    Log(line);
    match_.Sent(command);
    emit Changed();
}

// The automatic player rolls, takes every double and accepts every
// resignation, so a match never waits on it.
void ClientSession::AutoAnswer() {
    for (proc::Command command :
         {proc::Command::Roll, proc::Command::Take, proc::Command::Accept}) {
        if (Offers(command)) {
            SendCommand(command);
        }
    }
}

void ClientSession::CancelPick() {
    if (model_.CancelPick()) {
        emit Changed();
    }
}

void ClientSession::Act(const ClickResult& result) {
    if (result.send) {
        SendMove(*result.send);
    }
    if (result.changed) {
        emit Changed();
    }
}

void ClientSession::Close() {
    link_.Close();
}

void ClientSession::ShowRecord(const GameRecord& record) {
    record_ = record;
    model_ = BoardModel();
    for (const Message& message : record.Messages()) {
        model_.Apply(message);
    }
    model_.SetGameOver();
    emit Changed();
    emit GameOver();
}

void ClientSession::OnBytes(const QByteArray& bytes) {
    QStringList problems;
    const std::vector<Message> messages = decoder_.Feed(bytes, problems);
    for (const QString& problem : problems) {
        Log(QStringLiteral("error: ") + problem);
    }
    for (const Message& message : messages) {
        Log(DescribeMessage(message));
        record_.Add(message);
        match_.Apply(message);
        if (std::holds_alternative<GameOverInfo>(message)) {
            record_.Finish();
        }
        const auto shown = model_.Apply(message);
        if (shown) {
            emit MoveShown(*shown);
        }
        if (options_.autoPlay) {
            AutoAnswer();
        }
        if (options_.autoPlay && model_.AwaitingPerson()) {
            if (const auto move = picker_.Pick(model_.LegalMoves())) {
                // Through the model, as a person's two clicks would go.
                model_.Click(move->from);
                const ClickResult result = model_.Click(move->to);
                if (result.send) {
                    SendMove(*result.send);
                }
            }
        }
    }
    if (!messages.empty()) {
        emit Changed();
    }
}

void ClientSession::SendMove(proc::Move move) {
    const bool sent = link_.Send(proc::BuildClientMoveMessage(move));
    Log(QStringLiteral("%1 %2-%3").arg(sent ? "sent" : "unsent").arg(move.from).arg(move.to));
}

void ClientSession::Log(const QString& line) const {
    if (log_) {
        log_(line);
    }
}

} // namespace client
