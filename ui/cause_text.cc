#include "ui/cause_text.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>
#include <vector>

namespace ui {
namespace {

// One shape of cause: the jobs' English words as a pattern, and the words shown, with %1... for
// the captures. `nested` flags the captures that are causes themselves (translated in turn);
// the others (file names, the tools' own words) stay as they are.
struct Shape {
  const char* pattern;
  const char* text;
  unsigned nested;
};

#define EXIT_TEXT "(exited with status -?\\d+|was stopped by signal \\d+(?: \\([^)]*\\))?)"

// Shapes that hold another cause come before the ones they hold, so the outer one matches.
const Shape kShapes[] = {
    {"(.+); the WAV result stays at (.+)", QT_TRANSLATE_NOOP("Cause", "%1；WAV 结果保留为 %2"), 0b01},
    {"(.+) could not be written: (.+)", QT_TRANSLATE_NOOP("Cause", "%1 无法写入：%2"), 0b10},
    {"(.+) could not be started: (.+)", QT_TRANSLATE_NOOP("Cause", "%1 无法启动：%2"), 0b01},
    {"(.+) was cancelled", QT_TRANSLATE_NOOP("Cause", "%1 已取消"), 0b01},
    {"(.+?) failed: (.+?) " EXIT_TEXT ": (.*)", QT_TRANSLATE_NOOP("Cause", "%1 失败：%2 %3：%4"), 0b101},
    {"(.+?) failed: (.+?) " EXIT_TEXT, QT_TRANSLATE_NOOP("Cause", "%1 失败：%2 %3"), 0b101},
    {"ffmpeg " EXIT_TEXT " without finishing the conversion: (.*)",
     QT_TRANSLATE_NOOP("Cause", "ffmpeg %1，转换没有完成：%2"), 0b01},
    {"ffmpeg " EXIT_TEXT " without finishing the conversion", QT_TRANSLATE_NOOP("Cause", "ffmpeg %1，转换没有完成"),
     0b01},
    {"exited with status (-?\\d+)", QT_TRANSLATE_NOOP("Cause", "以状态 %1 退出"), 0},
    {"was stopped by signal (\\d+) \\(([^)]*)\\)", QT_TRANSLATE_NOOP("Cause", "被信号 %1（%2）终止"), 0},
    {"was stopped by signal (\\d+)", QT_TRANSLATE_NOOP("Cause", "被信号 %1 终止"), 0},
    {"the conversion to (.+)", QT_TRANSLATE_NOOP("Cause", "转换为 %1"), 0},
    {"(ffmpeg|soundstretch) was not found beside the program or on PATH",
     QT_TRANSLATE_NOOP("Cause", "程序所在的文件夹和 PATH 中都找不到 %1"), 0},
    {"the file (.+) no longer exists or is not a file", QT_TRANSLATE_NOOP("Cause", "文件 %1 已不存在或不是文件"), 0},
    {"the output folder (.+) cannot be written", QT_TRANSLATE_NOOP("Cause", "输出文件夹 %1 无法写入"), 0},
    {"the temporary folder (.+) cannot be written", QT_TRANSLATE_NOOP("Cause", "临时文件夹 %1 无法写入"), 0},
    {"'(.*)' is not an output format", QT_TRANSLATE_NOOP("Cause", "“%1”不是输出格式"), 0},
    {"cancelled", QT_TRANSLATE_NOOP("Cause", "已取消"), 0},
    // Why a file could not be written.
    {"the write failed", QT_TRANSLATE_NOOP("Cause", "写入失败"), 0},
    {"the disk is full", QT_TRANSLATE_NOOP("Cause", "磁盘已满"), 0},
    {"the file would be larger than the file size limit allows", QT_TRANSLATE_NOOP("Cause", "文件将超出文件大小的上限"),
     0},
    {"its folder no longer exists", QT_TRANSLATE_NOOP("Cause", "所在的文件夹已不存在"), 0},
    {"its folder is a file, not a folder", QT_TRANSLATE_NOOP("Cause", "所在的文件夹是一个文件，不是文件夹"), 0},
    {"the folder may not be written to", QT_TRANSLATE_NOOP("Cause", "该文件夹不允许写入"), 0},
    {"the disk is read-only", QT_TRANSLATE_NOOP("Cause", "磁盘是只读的"), 0},
    {"the disk reported an error", QT_TRANSLATE_NOOP("Cause", "磁盘报告了错误"), 0},
};

#undef EXIT_TEXT

struct CompiledShape {
  QRegularExpression pattern;
  const char* text;
  unsigned nested;
};

const std::vector<CompiledShape>& Compiled() {
  static const std::vector<CompiledShape> compiled = [] {
    std::vector<CompiledShape> all;
    for (const Shape& shape : kShapes) {
      // File names may hold anything, newlines included.
      all.push_back({QRegularExpression(QRegularExpression::anchoredPattern(QString::fromUtf8(shape.pattern)),
                                        QRegularExpression::DotMatchesEverythingOption),
                     shape.text, shape.nested});
    }
    return all;
  }();
  return compiled;
}

QString Translated(const QString& cause, int depth) {
  // Causes nest a few levels at most; the limit keeps a hostile file name from recursing far.
  if (depth > 4) return cause;
  for (const CompiledShape& shape : Compiled()) {
    const QRegularExpressionMatch match = shape.pattern.match(cause);
    if (!match.hasMatch()) continue;
    QStringList parts;
    for (int i = 1; i <= match.lastCapturedIndex(); ++i) {
      const QString part = match.captured(i);
      parts << ((shape.nested >> (i - 1) & 1u) ? Translated(part, depth + 1) : part);
    }
    // One pass over the text: a %1 inside a file name is not replaced again.
    QString shown = QCoreApplication::translate("Cause", shape.text);
    switch (parts.size()) {
      case 0: return shown;
      case 1: return shown.arg(parts[0]);
      case 2: return shown.arg(parts[0], parts[1]);
      case 3: return shown.arg(parts[0], parts[1], parts[2]);
      default: return shown.arg(parts[0], parts[1], parts[2], parts[3]);
    }
  }
  return cause;
}

}  // namespace

QString CauseText(const std::string& cause) { return Translated(QString::fromStdString(cause), 0); }

}  // namespace ui
