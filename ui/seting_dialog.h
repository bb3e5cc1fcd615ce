// The settings dialog: the output folder of all jobs (with a write test) and what the main
// window's close button does. Every change is stored at once.
#ifndef UI_SETING_DIALOG_H_
#define UI_SETING_DIALOG_H_

#include "ui/framework/window_impl_base.h"

namespace ui {

class SetingDialog : public WindowImplBase {
  Q_OBJECT

 public:
  explicit SetingDialog(QWidget* owner);
  // Shows the dialog modally, centred on `owner`.
  static void Open(QWidget* owner);

  // The message shown when a chosen folder cannot be written.
  static constexpr char kNotWritable[] = QT_TRANSLATE_NOOP("ui::SetingDialog", "该目录没有写入权限!");

 protected:
  QString GetSkinFile() const override { return "Seting.xml"; }
  QString GetWindowClassName() const override { return "系统设置"; }
  void InitWindow() override;
  void Notify(const Notification& notification) override;

 private:
  void ChooseFolder();
};

// Whether a file can be created in `folder` (the file is removed again).
bool FolderIsWritable(const QString& folder);

}  // namespace ui

#endif  // UI_SETING_DIALOG_H_
