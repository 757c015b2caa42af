// The board client's settings file, edited at fixed lines below its
// "video" and "net" anchors; everything else is left as it is.
#pragma once

#include "text/LineBuffer.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace shell {

/*! The resolutions offered, in list order; "х" is the Cyrillic letter. */
QStringList ResolutionNames();

class ConfigEditor {
  public:
    text::LineBuffer ConfigText; // the whole file
    int VideoLine = 0;           // last line containing "video"
    int Resolution = 0;          // selected item of ResolutionNames()
    bool FullScreen = false;     // state of the full-screen check box

    /*! The start-up scan over the lines of ConfigText (count taken once,
        final empty line left out): a "video" line sets VideoLine, picks the
        resolution from line +2 by "320", "640", "800", "1024" (last match
        wins) and sets the check box from line +4 ("true", then "false"); a
        "net" line gets line +3 = "server_port " + portText, then save() runs.
        Errors from save() propagate. */
    void Scan(const QString& portText, const std::function<void()>& save);

    /*! The user picked resolution `index`: lines VideoLine + 2 and + 3. */
    void ComboBox1Change(int index);
    /*! The check box changed: line VideoLine + 4. */
    void CheckBox1Click(bool ticked);

  private:
    void SetFullScreen(bool ticked);
};

} // namespace shell
