// The RTF reader on any bytes: never crashes, never hangs.
#include "shell/RtfReader.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv); // fonts for the document
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // One document for every input, as the about window keeps one: the reader
    // clears it first. A new document per input cost most of the time.
    static QTextDocument document;
    shell::LoadRichOrPlainText(bytes, &document);
    // A document that claims to be RTF is read as such, whatever follows.
    if (shell::ReadRtf("{\\rtf1 " + bytes, &document) != true)
        std::abort();
    return 0;
}
