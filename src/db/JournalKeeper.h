// Keeps an open journal open across a write step.
#pragma once

#include "db/Statements.h"

namespace db {

class TQuery;

/*! A write step's transaction closes the journal's query (IBGames); a
    journal that was open when the keeper was made shows its statement's
    current rows again when the keeper goes, whether the step succeeded or
    failed. A failing reopening leaves it closed; the step's own error stays
    the one reported. */
class JournalKeeper {
  public:
    explicit JournalKeeper(TQuery& games);
    ~JournalKeeper();
    JournalKeeper(const JournalKeeper&) = delete;
    JournalKeeper& operator=(const JournalKeeper&) = delete;

  private:
    TQuery& games_;
    Statement statement_;
    bool wasOpen_;
};

} // namespace db
