// The base of every window and dialog: a frameless top-level widget built from a skin file
// (a Qt Designer form in the skin folder), whose controls report to Notify and which receives
// numbered messages from any thread through PostMessage.
#ifndef UI_FRAMEWORK_WINDOW_IMPL_BASE_H_
#define UI_FRAMEWORK_WINDOW_IMPL_BASE_H_

#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <mutex>

#include "jobs/job_host.h"
#include "ui/framework/notification.h"

namespace ui {

// The skin folder: skin/ in the program's data folder (shell::DataDir) unless set (tests set it).
QString SkinDir();
void SetSkinDir(const QString& dir);

class WindowImplBase;

// Thread-safe poster of messages to one window; posts after the window is gone are dropped.
class WindowPoster : public jobs::MessagePoster {
 public:
  explicit WindowPoster(WindowImplBase* window) : window_(window) {}
  void PostMessage(uint32_t message, std::unique_ptr<jobs::MessageRecord> record) override;
  // REQUIRES: the window's thread, from its destructor.
  void Detach();

 private:
  std::mutex mutex_;
  WindowImplBase* window_;
};

class WindowImplBase : public QWidget {
  Q_OBJECT

 public:
  explicit WindowImplBase(QWidget* owner = nullptr, Qt::WindowFlags type = Qt::Window);
  ~WindowImplBase() override;

  // Loads the skin, wires its controls and calls InitWindow. A failure throws
  // std::runtime_error naming the class and the step ("X::GetSkinFile", "X::Init").
  void Create();

  QWidget* FindControl(const QString& name) const;
  template <typename T>
  T* FindControl(const QString& name) const {
    return qobject_cast<T*>(FindControl(name));
  }

  // Shows the window modally and returns the value given to Close.
  int ShowModal();
  // Closes the window; a modal loop returns `result`.
  void Close(int result = 0);
  // Centres the window on its owner, or on the screen without one.
  void CenterWindow();

  // Thread-safe: `message` reaches HandleCustomMessage on the window's thread.
  void PostMessage(uint32_t message, std::unique_ptr<jobs::MessageRecord> record = nullptr);
  std::shared_ptr<WindowPoster> poster() const { return poster_; }

  // Connects the notifications of `root` and its descendants (controls added later, such as
  // list elements, are wired with this too).
  void WireControls(QWidget* root);

 protected:
  virtual QString GetSkinFile() const = 0;
  virtual QString GetWindowClassName() const = 0;
  virtual void InitWindow() {}
  // The caption buttons "closebtn", "minbtn" and "maxbtn" are handled here.
  virtual void Notify(const Notification& notification);
  virtual void HandleCustomMessage(uint32_t message, std::unique_ptr<jobs::MessageRecord> record, bool& handled);
  // `reason` is what Close or CloseFor gave (0 for the caption button). False keeps it open.
  virtual bool OnClose(uint32_t reason);
  virtual void OnDestroy() {}
  virtual void OnFinalMessage() {}

  // Closes with a reason that OnClose sees.
  void CloseFor(uint32_t reason);

  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Emit(const QString& type, QWidget* sender);

  QWidget* form_ = nullptr;
  QEventLoop* modal_loop_ = nullptr;
  int modal_result_ = 0;
  uint32_t close_reason_ = 0;
  bool final_sent_ = false;
  QPoint drag_offset_;
  bool dragging_ = false;
  std::shared_ptr<WindowPoster> poster_;
};

}  // namespace ui

#endif  // UI_FRAMEWORK_WINDOW_IMPL_BASE_H_
