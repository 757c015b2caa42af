// The three message boxes of the program, modal and centred, with a hook
// through which tests answer them.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace shell {

/*! The application title: caption of plain notices and of the task bar entry. */
inline constexpr char ApplicationTitle[] = "Вертан";

enum class BoxKind { Notice, Error, Confirm };

/*! Called instead of showing a box: gets the kind, caption and text; its
    result is the answer of a confirmation (true = Yes). */
using MessageBoxHook = std::function<bool(BoxKind, const QString& caption, const QString& text)>;
void SetMessageBoxHook(MessageBoxHook hook);

/*! Plain notice: caption ApplicationTitle, no icon, "OK". */
void ShowNotice(const QString& text);
/*! The plain notice without the wait: shown, not modal, and the caller goes
    on (a game's timer keeps running); it deletes itself once closed. The
    hook never gets it: nothing waits on its answer. */
void ShowNoticeWithoutWaiting(const QString& text);
/*! Error box: caption "Error", error icon, "OK". */
void ShowError(const QString& text);
/*! Confirmation: caption "Confirm", question icon, Yes (default) and No; Esc answers No. */
bool AskConfirm(const QString& text);

} // namespace shell
