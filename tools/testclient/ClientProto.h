// Decoding of the referee's messages on the client's side of the
// connection: framing of the byte stream by message type, the decoded
// fields and a one-line description. Standard C++ only.
#pragma once

#include "proc/proc.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clientproto {

struct Message {
    uint8_t type = 0;              // proc::MessageType
    proc::Side side = 0;           // types 2, 3, 4
    proc::Board board{};           // type 1
    std::string whiteLabel;        // type 1: Windows-1251 bytes, fill zeros removed
    std::string blackLabel;        // type 1
    proc::Dice dice = 0;           // type 1: the opening roll; type 2: the roll
    std::vector<proc::Move> moves; // type 3: the list; type 4: the one move
    proc::ByteArray bytes;         // the message as it came
};

/*! Length of the message at the front of data: 0 while too few bytes have come
    to tell; nothing when the first byte is no message type. */
std::optional<size_t> MessageLength(const uint8_t* data, size_t size);

/*! Decodes one whole message (exactly its length); nothing for a bad one. */
std::optional<Message> Decode(const uint8_t* data, size_t size);

/*! Cuts the byte stream of the connection into messages. After a byte that
    starts no message the stream cannot be framed again: Broken() turns true
    and the rest is kept in Rest(). */
class MessageSplitter {
  public:
    void Append(const uint8_t* data, size_t size);
    /*! The next whole message, if one has come. */
    std::optional<Message> Next();
    bool Broken() const { return broken_; }
    const proc::ByteArray& Rest() const { return pending_; }

  private:
    proc::ByteArray pending_;
    bool broken_ = false;
};

/*! Turns a label's Windows-1251 bytes into the text to show (UTF-8). */
using LabelText = std::function<std::string(std::string_view)>;

/*! One line: "start white=... black=... opening=5-2 board=1:-2 6:5 ...",
    "dice white 3-5", "list black n=2: 25-3 25-5", "move white 13-8". Sides
    are "white"/"black", moves "from-to" with one-based cells. */
std::string Describe(const Message& message, const LabelText& labelText);
std::string DescribeMove(proc::Move move);
std::string SideName(proc::Side side);

} // namespace clientproto
