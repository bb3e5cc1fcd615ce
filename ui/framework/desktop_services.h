// The file dialogs and the desktop's opener, behind one interface that tests replace.
#ifndef UI_FRAMEWORK_DESKTOP_SERVICES_H_
#define UI_FRAMEWORK_DESKTOP_SERVICES_H_

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>

namespace ui {

class DesktopServices {
 public:
  virtual ~DesktopServices() = default;
  // Files chosen in the open-file dialog, in its order; empty when cancelled. `filter` is a
  // Qt name filter such as "支持格式(*.mp3 *.wav)".
  virtual QStringList OpenFileNames(QWidget* parent, const QString& filter) = 0;
  virtual QString OpenFileName(QWidget* parent, const QString& filter) = 0;
  virtual QString ExistingDirectory(QWidget* parent, const QString& title) = 0;
  // Opens a web page, a folder or a file with the desktop's opener.
  virtual bool OpenUrl(const QUrl& url) = 0;

  // The installed services; the real dialogs and opener unless a test installed its own.
  static DesktopServices& Instance();
  // `services` is not owned; nullptr restores the real ones.
  static void SetInstance(DesktopServices* services);
};

}  // namespace ui

#endif  // UI_FRAMEWORK_DESKTOP_SERVICES_H_
