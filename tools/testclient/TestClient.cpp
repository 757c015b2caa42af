#include "TestClient.h"

#include "text/Win1251.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <algorithm>

namespace testclient {

namespace {

QString Describe(const clientproto::Message& m) {
    const clientproto::LabelText labelText = [](std::string_view bytes) {
        return text::FromWin1251(bytes).toStdString();
    };
    return QString::fromStdString(clientproto::Describe(m, labelText));
}

QString MoveText(proc::Move move) {
    return QString::fromStdString(clientproto::DescribeMove(move));
}

bool Contains(const std::vector<proc::Move>& list, proc::Move move) {
    return std::find(list.begin(), list.end(), move) != list.end();
}

} // namespace

TestClient::TestClient(Options options, QObject* parent)
    : QObject(parent), options_(std::move(options)), socket_(new QTcpSocket(this)),
      random_(options_.seed) {
    connect(socket_, &QTcpSocket::readyRead, this, &TestClient::ReadAll);
    connect(socket_, &QAbstractSocket::connected, this, [this] {
        everConnected_ = true;
        socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        AddLog(QStringLiteral("- connected"));
    });
    connect(socket_, &QAbstractSocket::disconnected, this, &TestClient::End);
    connect(socket_, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (socket_->state() != QAbstractSocket::ConnectedState)
            End();
    });
}

void TestClient::ConnectTo(uint16_t port) {
    socket_->connectToHost(QHostAddress::LocalHost, port);
}

bool TestClient::Connected() const {
    return socket_->state() == QAbstractSocket::ConnectedState;
}

void TestClient::Send(const proc::ByteArray& bytes) {
    socket_->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    socket_->flush();
}

void TestClient::Disconnect() {
    AddLog(QStringLiteral("> disconnect"));
    socket_->disconnectFromHost();
}

void TestClient::End() {
    if (finished_)
        return;
    finished_ = true;
    AddLog(QStringLiteral("- connection ended"));
    emit ConnectionEnded();
}

void TestClient::AddLog(const QString& line) {
    log_.append(line);
    if (OnLogLine)
        OnLogLine(line);
}

void TestClient::SendLogged(const proc::ByteArray& bytes, const QString& what) {
    AddLog("> " + what);
    Send(bytes);
}

void TestClient::ReadAll() {
    const QByteArray data = socket_->readAll();
    const bool wasBroken = splitter_.Broken();
    bytesReceived_ += data.size();
    splitter_.Append(reinterpret_cast<const uint8_t*>(data.constData()),
                     static_cast<size_t>(data.size()));
    while (std::optional<clientproto::Message> m = splitter_.Next()) {
        messages_.push_back(*m);
        AddLog("< " + Describe(*m));
        if (OnMessage)
            OnMessage(*m);
        Handle(*m);
        if (finished_)
            return;
    }
    if (splitter_.Broken() && !wasBroken)
        AddLog(QStringLiteral("< unframed bytes from here on"));
}

void TestClient::Handle(const clientproto::Message& m) {
    if (m.type == proc::MoveListMessage) {
        list_ = m.moves;
    } else if (m.type == proc::DiceMessage || m.type == proc::MoveMessage) {
        // A new roll or an echo: the next list is a new one.
        list_.clear();
        faultIndex_ = 0;
    }
    if (options_.disconnectAfter > 0 &&
        messages_.size() >= static_cast<size_t>(options_.disconnectAfter)) {
        Disconnect();
        return;
    }
    if (m.type == proc::MoveListMessage && options_.autoPlay)
        AnswerList();
    // In a match a playing client rolls at once, takes every double and
    // refuses every resignation put to it.
    if (options_.autoPlay && m.type == proc::CubeTurnMessage)
        Send(proc::BuildClientCommand(proc::Command::Roll));
    if (options_.autoPlay && m.type == proc::DoubleMessage && m.bytes[3] != 0)
        Send(proc::BuildClientCommand(proc::Command::Take));
    if (options_.autoPlay && m.type == proc::ResignMessage && m.bytes[3] != 0)
        Send(proc::BuildClientCommand(proc::Command::Refuse));
}

proc::Move TestClient::PickMove() {
    switch (options_.pick) {
    case Pick::First:
        return list_.front();
    case Pick::Last:
        return list_.back();
    case Pick::Random:
        break;
    }
    std::uniform_int_distribution<size_t> index(0, list_.size() - 1);
    return list_[index(random_)];
}

void TestClient::AnswerList() {
    if (list_.empty() || finished_)
        return;
    const proc::Move proper = PickMove();
    const bool faulty = options_.faultyLists == 0 || faultyListsDone_ < options_.faultyLists;
    if (faulty && faultIndex_ < options_.faults.size()) {
        // Every fault is refused with the list again, which this answers.
        SendFault(options_.faults[faultIndex_++], proper);
        return;
    }
    if (faultIndex_ > 0)
        ++faultyListsDone_;
    answers_.push_back(proper);
    list_.clear();
    SendLogged(proc::BuildClientMoveMessage(proper), "move " + MoveText(proper));
}

void TestClient::SendFault(Fault fault, proc::Move proper) {
    switch (fault) {
    case Fault::Garbage:
        // Garbage alone gets no answer, and read together with the next move
        // it would take that move down with it. Behind a refused move, in
        // one write, it is read in the same receive, and the list sent
        // again tells that both were.
        SendLogged({1, 0, 200, 250, 7, 1, 2, 3},
                   QStringLiteral("move out of range 201-251, garbage 07 01 02 03 behind it"));
        return;
    case Fault::Short: {
        proc::ByteArray bytes = proc::BuildClientMoveMessage(proper);
        bytes.resize(3);
        SendLogged(bytes, "short move " + MoveText(proper) + " (3 bytes)");
        return;
    }
    case Fault::OutsideList: {
        // An own checker moved to a point the list does not offer.
        proc::Move bad = proper;
        for (int32_t to = 1; to <= proc::BearOff; ++to) {
            bad = {proper.from, to};
            if (to != proper.from && !Contains(list_, bad))
                break;
        }
        SendLogged(proc::BuildClientMoveMessage(bad), "move outside the list " + MoveText(bad));
        return;
    }
    case Fault::OutOfRange:
        SendLogged({1, 0, 200, 250}, QStringLiteral("move out of range 201-251"));
        return;
    }
}

bool ParseTestClientArguments(const QStringList& args, Options& options, uint16_t& port,
                              QString& error) {
    bool havePort = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto number = [&](long long low, long long high, long long& out) {
            QString v;
            if (!value(v))
                return false;
            bool ok = false;
            out = v.toLongLong(&ok);
            if (!ok || out < low || out > high) {
                error = "bad value for " + a + ": " + v;
                return false;
            }
            return true;
        };
        long long n = 0;
        if (a == "--port") {
            if (!number(1, 65535, n))
                return false;
            port = static_cast<uint16_t>(n);
            havePort = true;
        } else if (a == "--pick") {
            QString v;
            if (!value(v))
                return false;
            if (v == "first")
                options.pick = Pick::First;
            else if (v == "last")
                options.pick = Pick::Last;
            else if (v == "random")
                options.pick = Pick::Random;
            else {
                error = "bad value for --pick: " + v;
                return false;
            }
        } else if (a == "--seed") {
            if (!number(0, UINT32_MAX, n))
                return false;
            options.seed = static_cast<uint32_t>(n);
        } else if (a == "--garbage") {
            options.faults.push_back(Fault::Garbage);
        } else if (a == "--short") {
            options.faults.push_back(Fault::Short);
        } else if (a == "--outside-list") {
            options.faults.push_back(Fault::OutsideList);
        } else if (a == "--out-of-range") {
            options.faults.push_back(Fault::OutOfRange);
        } else if (a == "--faulty-lists") {
            if (!number(0, INT32_MAX, n))
                return false;
            options.faultyLists = static_cast<int>(n);
        } else if (a == "--disconnect-after") {
            if (!number(1, INT32_MAX, n))
                return false;
            options.disconnectAfter = static_cast<int>(n);
        } else if (a == "--watch") {
            options.autoPlay = false;
        } else {
            error = "unknown option " + a;
            return false;
        }
    }
    if (!havePort)
        error = "--port is required";
    return havePort;
}

} // namespace testclient
