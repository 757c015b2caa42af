#include "shell/MessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace shell {

namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

// Parentless boxes are centred on the screen by Qt; they stay above the
// program's topmost dialogs.
void Prepare(QMessageBox& box, const QString& caption, const QString& text) {
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void AddOkButton(QMessageBox& box) {
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
}

void ShowOk(BoxKind kind, const QString& caption, const QString& text, QMessageBox::Icon icon) {
    if (Hook()) {
        Hook()(kind, caption, text);
        return;
    }
    QMessageBox box;
    Prepare(box, caption, text);
    box.setIcon(icon);
    AddOkButton(box);
    box.exec();
}

} // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

void ShowNotice(const QString& text) {
    ShowOk(BoxKind::Notice, QString::fromUtf8(ApplicationTitle), text, QMessageBox::NoIcon);
}

void ShowNoticeWithoutWaiting(const QString& text) {
    auto* box = new QMessageBox;
    Prepare(*box, QString::fromUtf8(ApplicationTitle), text);
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    AddOkButton(*box);
    box->show();
}

void ShowError(const QString& text) {
    ShowOk(BoxKind::Error, QStringLiteral("Error"), text, QMessageBox::Critical);
}

bool AskConfirm(const QString& text) {
    const QString caption = QStringLiteral("Confirm");
    if (Hook())
        return Hook()(BoxKind::Confirm, caption, text);
    QMessageBox box;
    Prepare(box, caption, text);
    box.setIcon(QMessageBox::Question);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace shell
