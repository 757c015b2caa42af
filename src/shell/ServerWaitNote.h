// The small window that tells the user the program waits for the database
// server, with "Отмена" where the step may be given up.
#pragma once

#include "db/ServerWatch.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace shell {

/*! The text of the note. */
inline const QString ServerWaitText = QStringLiteral("Ожидание сервера базы данных…");

class ServerWaitNote : public db::WaitNote {
  public:
    ~ServerWaitNote() override;
    void Show(const std::function<void()>& cancel) override;
    void Hide() override;

  private:
    QPointer<QWidget> window_;
};

} // namespace shell
