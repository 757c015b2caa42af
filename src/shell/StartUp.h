// The start-up order of the program's windows and modules, and the entry's body.
#pragma once

#include <QObject>
#include <memory>
#include <vector>

namespace shell {

/*! Creates one of the program's objects, sets its global reference and keeps
    it in the start-up list, which destroys the objects in reverse order. */
template <typename T, typename... Args>
T* Create(std::vector<std::unique_ptr<QObject>>& objects, T*& global, Args&&... args) {
    auto object = std::make_unique<T>(std::forward<Args>(args)...);
    global = object.get();
    objects.push_back(std::move(object));
    return global;
}

/*! Creates every window and data module once, in the start-up order (main
    menu first; each creation handler runs at once), and sets their global
    references. Destroys them in reverse order without closing any window. */
class Program {
  public:
    enum class Start {
        Whole,     // every object at once
        MenuFirst, // the main menu, the socket module, the files the windows
                   // read at start-up and a database whose connecting may be
                   // told (each notice in its order); the rest by CreateRest
    };
    explicit Program(Start start = Start::Whole);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    /*! The windows a MenuFirst start left out, from the files it read;
        nothing when they exist. */
    void CreateRest();

  private:
    /*! The tournament window, once the database module is there. */
    void CreateTournamentWindow();
    struct Files;
    std::vector<std::unique_ptr<QObject>> objects_;
    std::unique_ptr<Files> files_; // read by a MenuFirst start, until CreateRest
};

/*! The windows a MenuFirst start left out, made now if they are still to
    come: the main menu calls it before it opens any of them. */
void CompleteStartUp();

/*! What every run of the launcher sets up first: the application title, no
    quitting when the last window closes, the design font's substitute and
    Qt's own texts in Russian. */
void PrepareApplication();

/*! The program entry after the application object exists: title, font,
    start-up, then the main menu centred and the event loop until it closes.
    Returns 0 at once when start-up asked for the program to end.
    quitWhenShown ends the loop as soon as the menu is on screen (timing). */
int RunProgram(bool quitWhenShown = false);

} // namespace shell
