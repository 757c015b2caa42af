// The referee's messages as they come off the stream. They arrive back to back
// with no length field; the type byte fixes each length, so the decoder keeps
// the bytes of an unfinished message until the rest arrives.
#pragma once

#include "proc/proc.h"
#include "record/GameEvents.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <variant>
#include <vector>

namespace client {

using record::CubeTurnInfo;
using record::DiceInfo;
using record::DoubleAnswerInfo;
using record::DoubleInfo;
using record::GameOverInfo;
using record::MatchStateInfo;
using record::Message;
using record::MoveInfo;
using record::MoveListInfo;
using record::ResignAnswerInfo;
using record::ResignInfo;
using record::StartInfo;

/*! Length of the message at the head of bytes: 0 when its type is unknown or
    its count byte is impossible (the stream is lost), -1 while too few bytes
    came to tell. */
int MessageLength(QByteArrayView bytes);

/*! Decodes one whole message of the length MessageLength gave. A field out of
    range (side, die, cell, cube, level, flag) gives nothing and a reason in problem. */
std::optional<Message> DecodeMessage(QByteArrayView bytes, QString& problem);

/*! One line of text for the log: "start ...", "dice ...", "list ...", "move ...". */
QString DescribeMessage(const Message& message);

class MessageDecoder {
  public:
    /*! Adds bytes from the stream and returns every message completed by them,
        in order. A message with a bad field is skipped with a problem; an unknown
        type byte loses the framing, so the whole buffer is dropped with a problem. */
    std::vector<Message> Feed(QByteArrayView bytes, QStringList& problems);
    /*! Bytes of an unfinished message held for the next Feed. */
    qsizetype Pending() const { return buffer_.size(); }

  private:
    QByteArray buffer_;
};

} // namespace client
