// The one place where errors that escape a handler are dropped.
#pragma once

#include <QApplication>
#include <functional>

namespace shell {

/*! Runs a handler; an error escaping it ends the handler and is dropped
    without a message. Creation handlers run through this. */
void DropErrors(const std::function<void()>& handler);

/*! A slot for connect(): runs object's handler through DropErrors, whatever
    the signal carries, so no error travels back through Qt's own frames. */
template <typename T> auto Dropping(T* object, void (T::*handler)()) {
    return [object, handler](auto&&...) { DropErrors([&] { (object->*handler)(); }); };
}

/*! The application whose event dispatch drops every error escaping an
    event handler, so the program goes on with the next event. */
class SinkApplication : public QApplication {
    Q_OBJECT
  public:
    SinkApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace shell
