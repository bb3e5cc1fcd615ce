// The two small modal dialogs of the program: a question with confirm and cancel, and a
// notice with a single confirm button.
#ifndef UI_MESSAGE_BOX_H_
#define UI_MESSAGE_BOX_H_

#include "ui/framework/window_impl_base.h"
#include "ui/wnd_shadow.h"

namespace ui {

class MessageBoxDialog : public WindowImplBase {
  Q_OBJECT

 public:
  MessageBoxDialog(QWidget* owner, const QString& text);
  // Shows the dialog centred on `owner`: 1 for confirm, 0 for cancel or close.
  static int Ask(QWidget* owner, const QString& text);

 protected:
  QString GetSkinFile() const override { return "MessageBox.xml"; }
  QString GetWindowClassName() const override { return "MessageBoxDialog"; }
  void InitWindow() override;
  void Notify(const Notification& notification) override;

 private:
  QString text_;
  CWndShadow shadow_;
};

class PromptBoxDialog : public WindowImplBase {
  Q_OBJECT

 public:
  PromptBoxDialog(QWidget* owner, const QString& text);
  // Shows the notice centred on `owner` until it is confirmed; returns 1.
  static int Show(QWidget* owner, const QString& text);

  static constexpr int kWidth = 200;
  static constexpr int kHeight = 100;

 protected:
  QString GetSkinFile() const override { return "PromptBox.xml"; }
  QString GetWindowClassName() const override { return "PromptBoxDialog"; }
  void InitWindow() override;
  void Notify(const Notification& notification) override;

 private:
  QString text_;
  CWndShadow shadow_;
};

}  // namespace ui

#endif  // UI_MESSAGE_BOX_H_
