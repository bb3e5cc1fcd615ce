// Takes a picture of every window of the program in a realistic state: each page filled with
// generated files whose items ran to their end states, each dialog and each menu. Run it under
// Xvfb with tools/screenshots/run OUT_DIR, once per language (it follows LANG as the program does).
#include <glog/logging.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "jobs/child_process.h"
#include "jobs/tool_locator.h"
#include "jobs/trace.h"
#include "shell/ui_language.h"
#include "ui/batch_notifier.h"
#include "ui/feedback_dialog.h"
#include "ui/framework/translation.h"
#include "ui/item_player.h"
#include "ui/main_wnd.h"
#include "ui/message_box.h"
#include "ui/messages.h"
#include "ui/popup_menus.h"
#include "ui/seting_dialog.h"
#include "ui/upgrade_dialogs.h"
#include "tools/service/service.h"

namespace {

namespace fs = std::filesystem;
QString g_out;

void Wait(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 50);
  return done();
}

// The screen area around `w` (with its shadow), or the widget alone offscreen.
void Shoot(QWidget* w, const QString& name, int margin = 16) {
  Wait(150);
  QPixmap picture;
  if (QScreen* screen = w->screen(); screen && QGuiApplication::platformName() == "xcb") {
    const QRect r = w->frameGeometry().adjusted(-margin, -margin, margin, margin);
    picture = screen->grabWindow(0, r.x(), r.y(), r.width(), r.height());
  } else {
    picture = w->grab();
  }
  const QString path = g_out + "/" + name + ".png";
  picture.save(path);
  std::printf("%s\n", path.toUtf8().constData());
}

// Grabs the next modal dialog, lets `act` drive it, then shoots it before it closes.
void ShootModal(const QString& name, std::function<void(QWidget*)> act = {}) {
  auto* timer = new QTimer();
  QObject::connect(timer, &QTimer::timeout, [timer, name, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    if (act) act(modal);
    Shoot(modal, name);
    if (auto* close = modal->findChild<QAbstractButton*>("closebtn")) {
      close->click();
    } else if (auto* ok = modal->findChild<QAbstractButton*>("msgConfirm")) {
      ok->click();
    } else {
      modal->close();
    }
  });
  timer->start(50);
}

std::string MakeMedia(const std::string& path, const std::vector<std::string>& args) {
  std::vector<std::string> argv{jobs::FindTool("ffmpeg"), "-y", "-v", "error"};
  argv.insert(argv.end(), args.begin(), args.end());
  argv.push_back(path);
  jobs::RunAndWait(argv);
  return path;
}

// The program's entry as an application menu shows it: the icon, with the desktop entry's name
// and comment in the language of the locale.
void ShootMenuEntry(const QString& desktop_file, const QString& icon) {
  QFile file(desktop_file);
  if (!file.open(QIODevice::ReadOnly)) return;
  const QString suffix = ui::InstalledLanguage() == shell::UiLanguage::kChinese ? "[zh_CN]=" : "=";
  QString name, generic, comment;
  for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
    if (line.startsWith("Name" + suffix)) name = line.mid(4 + suffix.size());
    if (line.startsWith("GenericName" + suffix)) generic = line.mid(11 + suffix.size());
    if (line.startsWith("Comment" + suffix)) comment = line.mid(7 + suffix.size());
  }
  QWidget entry;
  entry.setWindowFlags(Qt::FramelessWindowHint);
  entry.setStyleSheet("background: #ffffff; color: #222222;");
  auto* layout = new QHBoxLayout(&entry);
  auto* picture = new QLabel;
  picture->setPixmap(QPixmap(icon).scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  auto* text = new QLabel(QString("<b>%1</b><br><span style='color:#666'>%2</span><br><small>%3</small>")
                              .arg(name.toHtmlEscaped(), generic.toHtmlEscaped(), comment.toHtmlEscaped()));
  layout->addWidget(picture);
  layout->addWidget(text, 1);
  entry.resize(entry.sizeHint().expandedTo(QSize(420, 0)));
  entry.show();
  Shoot(&entry, "00-menu-entry", 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vantu-screenshots OUT_DIR [DESKTOP_FILE]\n");
    return 2;
  }
  // Settings, logs and outputs go to a scratch home, never the user's.
  const std::string home = fs::temp_directory_path() / ("vantu-shots-" + std::to_string(::getpid()));
  fs::create_directories(home);
  setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
  FLAGS_logtostderr = true;
  FLAGS_minloglevel = google::GLOG_ERROR;
  google::InitGoogleLogging(argv[0]);
  jobs::SetTraceEnabled(false);

  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  ui::InstallTranslation(app, shell::ChooseUiLanguage());
  g_out = QDir(argv[1]).absolutePath();
  QDir().mkpath(g_out);
  QDir::addSearchPath("skin", ui::SkinDir());
  QFile style(ui::SkinDir() + "/style.qss");
  if (style.open(QIODevice::ReadOnly)) app.setStyleSheet(QString::fromUtf8(style.readAll()));
  app.setFont(QFont("Noto Sans CJK SC", 10));
  ui::SetEndProgram([](int) {});

  const std::string media = home + "/media";
  fs::create_directories(media);
  const std::string songs[] = {
      MakeMedia(media + "/夜空中最亮的星.mp3", {"-f", "lavfi", "-i", "sine=frequency=330:duration=8", "-ac", "2"}),
      MakeMedia(media + "/Morning Coffee (live).wav", {"-f", "lavfi", "-i", "sine=frequency=440:duration=5"}),
      MakeMedia(media + "/podcast-episode-12.m4a", {"-f", "lavfi", "-i", "sine=frequency=220:duration=245"}),
  };
  const std::string broken = media + "/damaged.mp3";
  {
    std::FILE* f = std::fopen(broken.c_str(), "w");
    if (f) {
      std::fputs("not audio", f);
      std::fclose(f);
    }
  }

  jobs::JobEnvironment env = jobs::JobEnvironment::Default();
  const std::string out_dir = home + "/out";
  fs::create_directories(out_dir);
  env.output_dir = [out_dir] { return out_dir; };
  ui::CMainWnd window(env, /*upgrade_check=*/false);
  window.Create();
  window.resize(1120, 720);
  window.CenterWindow();
  window.show();
  int finished = 0;
  QObject::connect(&window, &ui::CMainWnd::itemFinished, [&finished](int, bool) { ++finished; });

  if (argc > 2) ShootMenuEntry(QString::fromLocal8Bit(argv[2]), ui::SkinDir() + "/icons/app.png");
  Shoot(&window, "00-main-empty");
  qobject_cast<QComboBox*>(window.FindControl("audio-compress-format"))->setCurrentText("mp3");
  qobject_cast<QSlider*>(window.FindControl("audio-tempo-slider"))->setValue(25);
  qobject_cast<QLineEdit*>(window.FindControl("album-edit"))->setText("Summer Sessions");
  qobject_cast<QLineEdit*>(window.FindControl("artist-edit"))->setText("The Quiet Room");
  const char* const pages[] = {"extract", "pitch", "tempo", "silence", "compress", "reverse", "metadata"};
  int32_t first_good = -1;
  for (int p = 0; p < jobs::kPageCount; ++p) {
    const auto page = static_cast<jobs::PageKind>(p);
    qobject_cast<QRadioButton*>(window.FindControl(jobs::NamesOf(page).option))->setChecked(true);
    const int32_t good = window.AddListItem(page, QString::fromStdString(songs[1]));
    if (p == 0) first_good = good;
    const int32_t bad = window.AddListItem(page, QString::fromStdString(broken));
    window.AddListItem(page, QString::fromStdString(songs[p % 2 == 0 ? 0 : 2]));
    const int before = finished;
    window.StartItem(page, good);
    WaitFor([&] { return finished == before + 1; }, 60000);
    window.StartItem(page, bad);
    WaitFor([&] { return finished == before + 2; }, 60000);
    Shoot(&window, QString("%1-main-%2").arg(p + 1, 2, 10, QChar('0')).arg(pages[p]));
  }

  // A running item, as it looks while its job works.
  qobject_cast<QRadioButton*>(window.FindControl("audio-reverse"))->setChecked(true);
  const int32_t running = window.AddListItem(jobs::Reverse, QString::fromStdString(songs[2]));
  window.StartItem(jobs::Reverse, running);
  Wait(400);
  Shoot(&window, "08-main-running");

  QWidget* menu_button = window.FindElement(jobs::Reverse, running)->findChild<QWidget*>("reverseListMenuBtn");
  const QPoint at = menu_button->mapToGlobal(menu_button->rect().bottomLeft());
  QWidget* pop = ui::ItemPopMenu::ShowAt(jobs::Reverse, &window, menu_button, at);
  Shoot(pop, "09-item-menu");
  pop->close();
  QWidget* tray = ui::CMainTaskMenu::PlaceMenu(&window, window.frameGeometry().center());
  Shoot(tray, "10-tray-menu");
  tray->close();

  // Listening: a folder added to the separation page, and its finished item playing.
  {
    std::FILE* f = std::fopen((media + "/readme.txt").c_str(), "w");
    if (f) std::fclose(f);
  }
  qobject_cast<QRadioButton*>(window.FindControl("audio-extract"))->setChecked(true);
  window.AddPaths(jobs::Extract, {QString::fromStdString(media)});
  WaitFor([&] { return !window.AddingFiles(); }, 30000);
  qobject_cast<QAbstractButton*>(window.FindElement(jobs::Extract, first_good)->findChild<QWidget*>("play-btn"))
      ->click();
  WaitFor([&] { return window.player().playing() && window.player().position() > 1500; }, 10000);
  Shoot(&window, "16-main-playing");
  window.player().Stop();

  // The word when a batch ends out of sight: there is no notification service under Xvfb, so
  // its title and text are written down.
  QObject::connect(&window.notifier(), &ui::BatchNotifier::shown, [](int, const QString& title, const QString& text) {
    QFile file(g_out + "/17-notification.txt");
    if (file.open(QIODevice::WriteOnly)) file.write((title + "\n" + text + "\n").toUtf8());
  });
  {
    const int32_t good = window.AddListItem(jobs::Silence, QString::fromStdString(songs[1]));
    const int32_t bad = window.AddListItem(jobs::Silence, QString::fromStdString(broken));
    window.showMinimized();
    const int before = finished;
    window.StartItem(jobs::Silence, good);
    window.StartItem(jobs::Silence, bad);
    WaitFor([&] { return finished == before + 2; }, 60000);
    window.ShowPage(jobs::Silence);
    Wait(300);
  }

  ShootModal("11-settings");
  ui::SetingDialog::Open(&window);
  ShootModal("12-message-box");
  ui::MessageBoxDialog::Ask(&window, ui::ShownText("发现新版本啦!"));
  ShootModal("13-prompt-box");
  ui::PromptBoxDialog::Show(&window, ui::ShownText("已经有任务在处理中!"));
  ShootModal("14-feedback", [](QWidget* dialog) {
    dialog->findChild<QPlainTextEdit*>("feedbackContent")->setPlainText("导出 flac 时能否保留原来的封面?");
    dialog->findChild<QLabel*>("feedbackErrorTips")->setText(ui::ShownText("联系方式不能为空!"));
  });
  {
    ui::FeedbackDialog feedback(&window);
    feedback.Create();
    feedback.CenterWindow();
    feedback.ShowModal();
  }
  // The download dialog of an upgrade, against the reference service holding the transfer at half.
  const std::string offered = home + "/offered";
  fs::create_directories(offered);
  {
    std::FILE* f = std::fopen((offered + "/VantuVoiceSeparate-1.3.0.run").c_str(), "w");
    if (f) {
      const std::string block(1 << 20, 'x');
      std::fwrite(block.data(), 1, block.size(), f);
      std::fclose(f);
    }
  }
  vantu_service::Options service_options;
  service_options.download_dir = offered;
  vantu_service::Service service(service_options);
  service.Start();
  service.SetFault(vantu_service::Fault::kStallDownload);
  ShootModal("15-download", [](QWidget* dialog) {
    WaitFor([dialog] { return dialog->findChild<QLabel*>("download-text")->text() == "50%"; }, 5000);
    dialog->findChild<QAbstractButton*>("cancel")->click();
  });
  {
    ui::DownloadDialog download(&window, service.BaseUrl() + "/download/VantuVoiceSeparate-1.3.0.run", false);
    download.Create();
    download.CenterWindow();
    download.ShowModal();
  }
  service.Stop();
  window.PostMessage(ui::WM_MENU_QUIT);
  Wait(200);
  fs::remove_all(home);
  return 0;
}
