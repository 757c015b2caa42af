#include "shell/ConfigEditor.h"

#include <array>

namespace shell {

namespace {
struct ResolutionItem {
    const char* shown;
    const char* width;
    const char* height;
    const char* key; // what the scan looks for in the width line
};
const std::array<ResolutionItem, 4> Resolutions = {{
    {"320х240", "width 320", "height 240", "320"},
    {"640х480", "width 640", "height 480", "640"},
    {"800х600", "width 800", "height 600", "800"},
    {"1024х768", "width 1024", "height 768", "1024"},
}};
} // namespace

QStringList ResolutionNames() {
    QStringList names;
    for (const auto& item : Resolutions)
        names << QString::fromUtf8(item.shown);
    return names;
}

void ConfigEditor::Scan(const QString& portText, const std::function<void()>& save) {
    const int count = ConfigText.CountWithoutFinalBreak();
    for (int i = 0; i < count; ++i) {
        // The buffer is read live: edits made earlier in the scan are seen.
        if (ConfigText.Line(i).contains(QLatin1String("video"))) {
            VideoLine = i;
            const QString widthLine = ConfigText.Line(i + 2);
            for (int k = 0; k < static_cast<int>(Resolutions.size()); ++k)
                if (widthLine.contains(QLatin1String(Resolutions[k].key)))
                    Resolution = k;
            const QString modeLine = ConfigText.Line(i + 4);
            if (modeLine.contains(QLatin1String("true")))
                SetFullScreen(true);
            if (modeLine.contains(QLatin1String("false")))
                SetFullScreen(false);
        }
        if (ConfigText.Line(i).contains(QLatin1String("net"))) {
            ConfigText.SetLine(i + 3, QStringLiteral("server_port ") + portText);
            save();
        }
    }
}

void ConfigEditor::ComboBox1Change(int index) {
    if (index < 0 || index >= static_cast<int>(Resolutions.size()))
        return;
    Resolution = index;
    ConfigText.SetLine(VideoLine + 2, QLatin1String(Resolutions[index].width));
    ConfigText.SetLine(VideoLine + 3, QLatin1String(Resolutions[index].height));
}

void ConfigEditor::CheckBox1Click(bool ticked) {
    FullScreen = ticked;
    ConfigText.SetLine(VideoLine + 4, ticked ? QStringLiteral("fullscreen true")
                                             : QStringLiteral("fullscreen false"));
}

// Only a change of state runs the click handler, as with the check box itself.
void ConfigEditor::SetFullScreen(bool ticked) {
    if (FullScreen != ticked)
        CheckBox1Click(ticked);
}

} // namespace shell
