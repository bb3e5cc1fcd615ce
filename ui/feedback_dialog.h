// The feedback dialog: a message and contact details sent to the vendor's web service.
#ifndef UI_FEEDBACK_DIALOG_H_
#define UI_FEEDBACK_DIALOG_H_

#include "ui/framework/window_impl_base.h"

namespace ui {

class FeedbackDialog : public WindowImplBase {
  Q_OBJECT

 public:
  explicit FeedbackDialog(QWidget* owner);

 protected:
  QString GetSkinFile() const override { return "Feedback.xml"; }
  QString GetWindowClassName() const override { return "意见反馈"; }
  void InitWindow() override;
  void Notify(const Notification& notification) override;

 private:
  void Send();
};

}  // namespace ui

#endif  // UI_FEEDBACK_DIALOG_H_
