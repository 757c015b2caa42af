// testclient: a console board client for tests and demonstrations.
#include "TestClient.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testclient::Options options;
    uint16_t port = 0;
    QString error;
    if (!testclient::ParseTestClientArguments(app.arguments().mid(1), options, port, error)) {
        std::fprintf(stderr,
                     "testclient: %s\nusage: testclient --port P [--pick first|last|random] "
                     "[--seed S] [--garbage] [--short] [--outside-list] [--out-of-range] "
                     "[--faulty-lists N] [--disconnect-after N] [--watch]\n",
                     error.toLocal8Bit().constData());
        return 2;
    }
    testclient::TestClient client(options);
    client.OnLogLine = [](const QString& line) {
        std::printf("%s\n", line.toUtf8().constData());
        std::fflush(stdout);
    };
    QObject::connect(&client, &testclient::TestClient::ConnectionEnded, &app,
                     [&] { app.exit(client.EverConnected() ? 0 : 1); });
    client.ConnectTo(port);
    return app.exec();
}
