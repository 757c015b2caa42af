// Both directions of the protocol fed with arbitrary bytes: the board client's
// stream decoder (whatever a broken or hostile referee sends) and the
// referee's reading of one client receive.
#include "client/BoardModel.h"
#include "client/MessageDecoder.h"
#include "proc/proc.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const proc::ClientMessage received = proc::ParseClientMessage(data, size);
    if (received.isMove != (size > 0 && data[0] == 1))
        std::abort();
    if (received.complete && (received.move.from < 1 || received.move.from > 256 ||
                              received.move.to < 1 || received.move.to > 256))
        std::abort();

    // The stream cut in two at a point taken from the data itself.
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype cut = size > 0 ? data[0] % (size + 1) : 0;
    client::MessageDecoder decoder;
    client::BoardModel model;
    QStringList problems;
    for (QByteArrayView part : {bytes.first(cut), bytes.sliced(cut)}) {
        for (const client::Message& message : decoder.Feed(part, problems)) {
            model.Apply(message);
            client::DescribeMessage(message);
        }
    }
    if (decoder.Pending() > static_cast<qsizetype>(size))
        std::abort();
    return 0;
}
