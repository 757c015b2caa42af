#include "engine/Gnubg.h"

#include "engine/EnginePlay.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace engine {

namespace {

// The engine copies the socket's path into sun_path unchecked.
constexpr qsizetype LongestSocketPath = sizeof(sockaddr_un::sun_path) - 1;
// It reads a command into 256 bytes and appends a newline when none fits.
constexpr size_t LongestLine = 254;
// A play is a few moves; a longer line is not one.
constexpr size_t LongestAnswer = 255;
constexpr int ConnectRetryMs = 10;
constexpr int ExitWaitMs = 1000;
const QString SocketName = QStringLiteral("/s");
const QString FolderPattern = QStringLiteral("/vertan-gnubg-XXXXXX");

QString Executable(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

// The engine's command reader splits at blanks and may read quotes and
// backslashes; a folder whose path has any of them, or bytes beyond ASCII
// that a locale may take for blanks, is not used.
bool PlainPath(const QString& path) {
    for (const QChar c : path)
        if (c.unicode() <= ' ' || c.unicode() >= 0x7F || c == '"' || c == '\'' || c == '\\')
            return false;
    return true;
}

// A private folder (mkdtemp makes it 0700) below parent whose socket's path
// fits; empty when parent will not do.
QString MakeFolder(const QString& parent) {
    if (parent.isEmpty())
        return {};
    const QString pattern = QDir::cleanPath(parent) + FolderPattern;
    if (!PlainPath(pattern) || (pattern + SocketName).size() > LongestSocketPath)
        return {};
    QByteArray name = QFile::encodeName(pattern);
    if (mkdtemp(name.data()) == nullptr)
        return {};
    return QFile::decodeName(name);
}

QString SystemError(const char* what) {
    return QString::fromLatin1(what) + QStringLiteral(": ") +
           QString::fromLocal8Bit(strerror(errno));
}

// A peer that has gone shows as an end of data, a reset or a broken pipe.
QString ConnectionError(ssize_t n, const char* what) {
    if (n == 0 || errno == ECONNRESET || errno == EPIPE)
        return QStringLiteral("the engine closed the connection");
    return SystemError(what);
}

int Remaining(const QDeadlineTimer& deadline) {
    return static_cast<int>(deadline.remainingTime());
}

} // namespace

QString FindGnubg() {
    const QString chosen = qEnvironmentVariable("VERTAN_GNUBG");
    if (!chosen.isEmpty())
        return Executable(chosen);
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("gnubg"));
    if (!onPath.isEmpty())
        return onPath;
    return Executable(QStringLiteral("/usr/games/gnubg"));
}

struct GnubgEngine::Impl {
    explicit Impl(GnubgSettings given) : settings(std::move(given)) {
        settings.answerMs = std::max(settings.answerMs, 1);
    }
    ~Impl() {
        Close();
        if (!folder.isEmpty())
            QDir(folder).removeRecursively();
    }

    EngineAnswer Ask(const std::string& line, Question question);

    bool Start(QString& error);
    bool StartProcess(QString& error);
    bool Connect(QString& error);
    bool Send(const std::string& text, const QDeadlineTimer& deadline, QString& error);
    bool ReadLine(std::string& line, const QDeadlineTimer& deadline, QString& error);
    bool Running();
    void Kill();
    void Close();
    EngineAnswer Failure(const QString& error) {
        Kill();
        return {false, {}, error};
    }
    QString SocketPath() const { return folder + SocketName; }

    GnubgSettings settings;
    QString folder;
    std::unique_ptr<QProcess> process;
    int socket = -1;
};

bool IsCubeAnswer(const std::string& line) {
    const std::string_view word = std::string_view(line).substr(0, line.find_last_not_of(' ') + 1);
    return word == "double" || word == "roll" || word == "take" || word == "drop" ||
           word == "beaver";
}

EngineAnswer GnubgEngine::Impl::Ask(const std::string& line, Question question) {
    if (line.size() > LongestLine ||
        line.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos)
        return {false, {}, QStringLiteral("the board line is not one line of at most 254 bytes")};
    QString error;
    if (socket < 0 && !Start(error))
        return Failure(error);
    const QDeadlineTimer deadline(settings.answerMs);
    std::string answer;
    if (!Send(line + '\n', deadline, error) || !ReadLine(answer, deadline, error))
        return Failure(error);
    if (answer.starts_with("Error"))
        return {false, answer, QString::fromStdString(answer)};
    const bool fits = question == Question::Play ? ParsePlay(answer).has_value()
                                                 : IsCubeAnswer(answer);
    if (!fits)
        return Failure((question == Question::Play
                            ? QStringLiteral("an answer that is not a play: ")
                            : QStringLiteral("an answer that is no cube decision: ")) +
                       QString::fromLatin1(answer.data(), static_cast<qsizetype>(answer.size())));
    return {true, answer, {}};
}

bool GnubgEngine::Impl::Start(QString& error) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = MakeFolder(settings.socketFolder);
        if (folder.isEmpty())
            folder = MakeFolder(QDir::tempPath());
        if (folder.isEmpty()) {
            error = QStringLiteral("no private folder for the engine's socket");
            return false;
        }
    }
    // A process killed before it was connected leaves its socket behind.
    QFile::remove(SocketPath());
    return StartProcess(error) && Connect(error);
}

bool GnubgEngine::Impl::StartProcess(QString& error) {
    const QString program = settings.program.isEmpty() ? FindGnubg() : settings.program;
    if (program.isEmpty()) {
        error = QStringLiteral("GNU Backgammon is not installed");
        return false;
    }
    process = std::make_unique<QProcess>();
    process->setProgram(program);
    process->setArguments({QStringLiteral("-t"), QStringLiteral("-q")});
    // Nothing reads what it prints: a pipe left unread would fill and stop it.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted(settings.answerMs)) {
        error = QStringLiteral("cannot start ") + program + QStringLiteral(": ") +
                process->errorString();
        return false;
    }
    const QByteArray commands = "set evaluation chequerplay evaluation plies " +
                                QByteArray::number(settings.plies) + "\nexternal " +
                                QFile::encodeName(SocketPath()) + '\n';
    process->write(commands);
    if (!process->waitForBytesWritten(settings.answerMs)) {
        error = QStringLiteral("the engine did not read its commands");
        return false;
    }
    return true;
}

bool GnubgEngine::Impl::Connect(QString& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(SocketPath());
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const QDeadlineTimer deadline(settings.answerMs);
    for (;;) {
        socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (socket < 0) {
            error = SystemError("socket");
            return false;
        }
        if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return true;
        const int failure = errno;
        ::close(socket);
        socket = -1;
        // Not there yet, or bound but not yet listening.
        if (failure != ENOENT && failure != ECONNREFUSED && failure != EINTR) {
            errno = failure;
            error = SystemError("connect");
            return false;
        }
        if (!Running()) {
            error = QStringLiteral("the engine ended before it listened");
            return false;
        }
        if (deadline.hasExpired()) {
            error = QStringLiteral("the engine did not listen within %1 ms").arg(settings.answerMs);
            return false;
        }
        poll(nullptr, 0, std::min(ConnectRetryMs, Remaining(deadline)));
    }
}

bool GnubgEngine::Impl::Send(const std::string& text, const QDeadlineTimer& deadline,
                             QString& error) {
    size_t sent = 0;
    while (sent < text.size()) {
        pollfd writable{socket, POLLOUT, 0};
        const int ready = poll(&writable, 1, Remaining(deadline));
        if (ready == 0) {
            error =
                QStringLiteral("the engine took no question within %1 ms").arg(settings.answerMs);
            return false;
        }
        const ssize_t n =
            ready < 0 ? -1 : ::send(socket, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR && errno != EAGAIN) {
            error = ConnectionError(n, "send");
            return false;
        }
        sent += n > 0 ? static_cast<size_t>(n) : 0;
    }
    return true;
}

bool GnubgEngine::Impl::ReadLine(std::string& line, const QDeadlineTimer& deadline,
                                 QString& error) {
    line.clear();
    for (;;) {
        pollfd readable{socket, POLLIN, 0};
        const int ready = poll(&readable, 1, Remaining(deadline));
        if (ready == 0) {
            error = QStringLiteral("no answer within %1 ms").arg(settings.answerMs);
            return false;
        }
        char buffer[256];
        const ssize_t n = ready < 0 ? -1 : ::recv(socket, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            error = ConnectionError(n, "recv");
            return false;
        }
        line.append(buffer, static_cast<size_t>(n));
        const size_t end = line.find('\n');
        if (end != std::string::npos) {
            line.resize(end > 0 && line[end - 1] == '\r' ? end - 1 : end);
            return true;
        }
        if (line.size() > LongestAnswer) {
            error = QStringLiteral("an answer longer than a play");
            return false;
        }
    }
}

bool GnubgEngine::Impl::Running() {
    // Without an event loop the process's end is seen only when waited for.
    return process && process->state() != QProcess::NotRunning && !process->waitForFinished(0);
}

void GnubgEngine::Impl::Kill() {
    if (socket >= 0) {
        ::close(socket);
        socket = -1;
    }
    if (process) {
        process->kill();
        process->waitForFinished(ExitWaitMs);
        process.reset();
    }
}

void GnubgEngine::Impl::Close() {
    if (socket >= 0) {
        ::close(socket);
        socket = -1;
    }
    if (process && Running()) {
        // While it serves the socket the engine reads no commands: "exit"
        // ends one that never got that far, the signal one that did.
        process->write("exit\n");
        process->waitForBytesWritten(ExitWaitMs);
        process->closeWriteChannel();
        process->terminate();
        if (!process->waitForFinished(ExitWaitMs))
            Kill();
    }
    process.reset();
}

GnubgEngine::GnubgEngine(GnubgSettings settings)
    : impl_(std::make_unique<Impl>(std::move(settings))) {}

GnubgEngine::~GnubgEngine() = default;

EngineAnswer GnubgEngine::Ask(const std::string& boardLine, Question question) {
    return impl_->Ask(boardLine, question);
}

QString GnubgEngine::SocketFolder() const {
    return impl_->folder;
}

} // namespace engine
