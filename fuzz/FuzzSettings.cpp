// The settings scan and the user's edits on any Config.cfg: the buffer keeps
// its line count, and only the anchored lines change.
#include "shell/ConfigEditor.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const QString file = QString::fromLatin1(reinterpret_cast<const char*>(data + 2),
                                             static_cast<qsizetype>(size - 2));
    shell::ConfigEditor editor;
    editor.ConfigText.SetText(file);
    const int lines = editor.ConfigText.Count();
    int saves = 0;
    editor.Scan(QStringLiteral("$1F90"), [&] { ++saves; });
    if (editor.ConfigText.Count() != lines)
        std::abort();
    if (editor.Resolution < 0 || editor.Resolution > 3)
        std::abort();
    if (editor.VideoLine < 0 || (lines > 0 && editor.VideoLine >= lines))
        std::abort();
    editor.ComboBox1Change(data[0] % 6 - 1);
    editor.CheckBox1Click(data[1] & 1);
    if (editor.ConfigText.Count() != lines)
        std::abort();
    return 0;
}
