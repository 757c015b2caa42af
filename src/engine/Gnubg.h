// GNU Backgammon as a separate process, asked for plays over its external
// player socket: a Unix socket in a private folder, one board line sent, one
// line answered. Nothing of it is linked.
#pragma once

#include <QString>
#include <memory>
#include <string>

namespace engine {

/*! The installed program: $VERTAN_GNUBG when set (another build, tests),
    else "gnubg" on PATH, else /usr/games/gnubg. Empty when there is none. */
QString FindGnubg();

struct GnubgSettings {
    QString program;      // empty: FindGnubg()
    // Where the socket's private folder (mode 0700) is made: the user's
    // program folder. Empty, or too long a path for a socket: the temp folder.
    QString socketFolder;
    int plies = 0;        // the chequer play evaluation's plies (0, 1, 2...)
    int answerMs = 10000; // the longest wait for the start, the connection or an answer
};

/*! What one question came to: the answer line without its newline, or why
    there is none (for the log: not for the user). */
struct EngineAnswer {
    bool ok = false;
    std::string line;
    QString error;
};

/*! What a question asks for: a play for the dice, or a cube decision
    ("double" or "roll" before a roll, "take", "drop" or "beaver" when doubled). */
enum class Question { Play, Cube };

/*! Whether line is one of the engine's cube answers. */
bool IsCubeAnswer(const std::string& line);

/*! One engine process. Blocking and without an event loop, so any thread
    may own it, one at a time. */
class GnubgEngine {
  public:
    explicit GnubgEngine(GnubgSettings settings);
    /*! Asks the process to exit, kills it if it does not, removes the folder. */
    ~GnubgEngine();
    GnubgEngine(const GnubgEngine&) = delete;
    GnubgEngine& operator=(const GnubgEngine&) = delete;

    /*! Sends boardLine and waits for one answer line, starting the process
        and connecting first when there is none. Blocks at most
        settings.answerMs for each of those. A failure (no program, no start,
        no connection, the process died, no answer in time, an answer that
        is not a play ParsePlay reads, or not a cube answer for a cube
        question) stops the process: the next call
        starts a new one. An answer beginning "Error" is not ok; the process
        is kept. A board line longer than the engine reads (254 bytes) or
        holding a line break is refused without asking. */
    EngineAnswer Ask(const std::string& boardLine, Question question = Question::Play);

    /*! The private folder holding the socket while the process runs. */
    QString SocketFolder() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace engine
