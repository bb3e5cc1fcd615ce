#include "ui/framework/desktop_services.h"

#include <QDesktopServices>
#include <QFileDialog>

namespace ui {
namespace {

class RealDesktopServices : public DesktopServices {
 public:
  QStringList OpenFileNames(QWidget* parent, const QString& filter) override {
    return QFileDialog::getOpenFileNames(parent, QString(), QString(), filter);
  }
  QString OpenFileName(QWidget* parent, const QString& filter) override {
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
  }
  QString ExistingDirectory(QWidget* parent, const QString& title) override {
    return QFileDialog::getExistingDirectory(parent, title);
  }
  bool OpenUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

DesktopServices* g_installed = nullptr;

}  // namespace

DesktopServices& DesktopServices::Instance() {
  static RealDesktopServices real;
  return g_installed ? *g_installed : real;
}

void DesktopServices::SetInstance(DesktopServices* services) { g_installed = services; }

}  // namespace ui
