#include "WholeGame.h"

#include "proc/proc.h"
#include "shell/Unit1.h"
#include "shell/Unit2.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>

namespace apptest {

uint16_t FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

GameFolder::GameFolder() : port_(FreePort()) {
    WriteStandard();
    WriteOptions(QStringLiteral("./client"));
    QFile::copy(QStringLiteral(VERTAN_PROGRAM_DIR "/Data/Ratings.mdb"), DatabasePath());
    QFile::setPermissions(DatabasePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    Write(QStringLiteral("Data/Board.cfg"), ReadShipped(QStringLiteral("Data/Board.cfg")));
}

void GameFolder::WriteOptions(const QString& clientPath) const {
    Write(QStringLiteral("Data/Options.cfg"), "clYellow\r\nData/Menu.jpg\r\nData/Dialog.bmp\r\n" +
                                                  QByteArray::number(port_) + "\r\n" +
                                                  clientPath.toUtf8() + "\r\n");
}

namespace {
QByteArray TestClientLine(uint16_t port, const QByteArray& options) {
    return "'" VERTAN_PROGRAM_DIR "/testclient' --port " + QByteArray::number(port) + " " +
           options + " >/dev/null";
}
} // namespace

void GameFolder::WriteLauncher(const QByteArray& options) const {
    Write(QStringLiteral("client"),
          "#!/bin/sh\n" + TestClientLine(port_, options) + " &\nexit 0\n");
    QFile::setPermissions(File(QStringLiteral("client")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void GameFolder::WriteClient(const QByteArray& options) const {
    Write(QStringLiteral("client"), "#!/bin/sh\nexec " + TestClientLine(port_, options) + "\n");
    QFile::setPermissions(File(QStringLiteral("client")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QByteArray GameFolder::ReadShipped(const QString& relative) {
    QFile file(QStringLiteral(VERTAN_PROGRAM_DIR "/") + relative);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void FirstListPlaysWhite(bool first) {
    uint32_t opening = 1;
    for (;; ++opening) {
        const proc::Dice d = proc::RollDiceFrom(opening);
        if (first ? proc::FirstDie(d) > proc::SecondDie(d) : proc::FirstDie(d) < proc::SecondDie(d))
            break;
    }
    proc::SetDiceClock([next = opening]() mutable { return next++; });
}

QByteArray WhiteWinsAtOnce(int blackLeft) {
    QByteArray cells = "1";
    for (int point = 2; point <= 23; ++point)
        cells += " 0";
    return cells + " " + QByteArray::number(-blackLeft) + "\r\n";
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return done();
}

bool OpenDialog() {
    Form1->Label2Click();
    return WaitFor([] { return Form2->ComboBox1->count() > 0; }, 5000);
}

bool Pick(QComboBox* box, const QString& name) {
    const int index = box->findText(name);
    if (index < 0)
        return false;
    box->setCurrentIndex(index);
    emit box->activated(index);
    return true;
}

} // namespace apptest
