#include "ui/message_box.h"

#include <QLabel>

namespace ui {
namespace {

// The dialogs' shadow: 4 pixels wide, centred, grey.
void SetUpShadow(CWndShadow& shadow, QWidget* window) {
  shadow.Create(window);
  shadow.SetSize(4);
  shadow.SetPosition(0, 0);
  shadow.SetColor(QColor("#9E9D9D"));
}

}  // namespace

MessageBoxDialog::MessageBoxDialog(QWidget* owner, const QString& text)
    : WindowImplBase(owner, Qt::Dialog), text_(text) {}

int MessageBoxDialog::Ask(QWidget* owner, const QString& text) {
  MessageBoxDialog dialog(owner, text);
  dialog.Create();
  dialog.CenterWindow();
  return dialog.ShowModal();
}

void MessageBoxDialog::InitWindow() {
  SetUpShadow(shadow_, this);
  if (auto* label = FindControl<QLabel>("msgText")) label->setText(text_);
}

void MessageBoxDialog::Notify(const Notification& n) {
  if (n.type == "click" && n.senderName() == "msgConfirm") return Close(1);
  if (n.type == "click" && n.senderName() == "msgCancel") return Close(0);
  WindowImplBase::Notify(n);
}

PromptBoxDialog::PromptBoxDialog(QWidget* owner, const QString& text)
    : WindowImplBase(owner, Qt::Dialog), text_(text) {}

int PromptBoxDialog::Show(QWidget* owner, const QString& text) {
  PromptBoxDialog dialog(owner, text);
  dialog.Create();
  dialog.CenterWindow();
  return dialog.ShowModal();
}

void PromptBoxDialog::InitWindow() {
  // The notice has a fixed client area whatever its skin says.
  setFixedSize(kWidth, kHeight);
  SetUpShadow(shadow_, this);
  if (auto* label = FindControl<QLabel>("msgText")) label->setText(text_);
}

void PromptBoxDialog::Notify(const Notification& n) {
  // However it is closed, a notice has been seen.
  if (n.type == "click" && (n.senderName() == "msgConfirm" || n.senderName() == "closebtn")) return Close(1);
  WindowImplBase::Notify(n);
}

}  // namespace ui
