// referee: referees one game over the board client protocol, without windows.
#include "Referee.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>

namespace {

// Like the program: an error that escapes a handler stops that handler only.
class RefereeApplication : public QCoreApplication {
  public:
    using QCoreApplication::QCoreApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QCoreApplication::notify(receiver, event);
        } catch (const std::exception&) {
            return false;
        }
    }
};

void PrintLine(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    RefereeApplication app(argc, argv);
    referee::RefereeOptions options;
    QString error;
    if (!referee::ParseRefereeArguments(app.arguments().mid(1), options, error)) {
        std::fprintf(stderr,
                     "referee: %s\nusage: referee --port P --first NAME --second NAME "
                     "[--program-folder DIR] [--pause-scale X] [--tick MS] [--record]\n",
                     error.toLocal8Bit().constData());
        return 2;
    }
    referee::Referee referee(options);
    referee.Print = PrintLine;
    QObject::connect(&referee, &referee::Referee::Finished, &app,
                     [&app](int code, const QString& line) {
                         PrintLine(line);
                         app.exit(code);
                     });
    try {
        referee.Start();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "referee: %s\n", e.what());
        return 2;
    }
    PrintLine(QString("listening on port %1").arg(referee.Port()));
    return app.exec();
}
