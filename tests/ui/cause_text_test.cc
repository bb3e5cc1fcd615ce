// Why an item failed reads in the installed language, with file names and tools' words intact.
#include <gtest/gtest.h>

#include <cerrno>

#include "separation/write_failure.h"
#include "tests/ui/ui_fixture.h"
#include "ui/cause_text.h"

namespace ui_test {
namespace {

TEST(CauseTextTest, EveryShapeOfTheJobsCausesReadsInTheInstalledLanguage) {
  const std::string partial = separation::WriteFailure("/out/歌 %1.wav", ENOSPC).what();
  const struct {
    std::string cause;
    const char* chinese;
  } cases[] = {
      {"cancelled", "已取消"},
      {partial, "/out/歌 %1.wav 无法写入：磁盘已满"},
      {separation::WriteFailure("/o/a.wav", EFBIG).what(), "/o/a.wav 无法写入：文件将超出文件大小的上限"},
      {separation::WriteFailure("/o/a.wav", ENOENT).what(), "/o/a.wav 无法写入：所在的文件夹已不存在"},
      {separation::WriteFailure("/o/a.wav", ENOTDIR).what(), "/o/a.wav 无法写入：所在的文件夹是一个文件，不是文件夹"},
      {separation::WriteFailure("/o/a.wav", EACCES).what(), "/o/a.wav 无法写入：该文件夹不允许写入"},
      {separation::WriteFailure("/o/a.wav", EROFS).what(), "/o/a.wav 无法写入：磁盘是只读的"},
      {separation::WriteFailure("/o/a.wav", EIO).what(), "/o/a.wav 无法写入：磁盘报告了错误"},
      {separation::WriteFailure("/o/a.wav", 0).what(), "/o/a.wav 无法写入：写入失败"},
      {partial + "; the WAV result stays at /out/b.wav", "/out/歌 %1.wav 无法写入：磁盘已满；WAV 结果保留为 /out/b.wav"},
      {"the conversion to mp3 failed: /usr/bin/ffmpeg exited with status 1: Invalid data found",
       "转换为 mp3 失败：/usr/bin/ffmpeg 以状态 1 退出：Invalid data found"},
      {"soundstretch failed: /my tools/soundstretch was stopped by signal 9 (Killed)",
       "soundstretch 失败：/my tools/soundstretch 被信号 9（Killed）终止"},
      {"the conversion to flac could not be started: No such file or directory",
       "转换为 flac 无法启动：No such file or directory"},
      {"the conversion to ogg was cancelled", "转换为 ogg 已取消"},
      {"ffmpeg exited with status 183 without finishing the conversion: x.mp3: Invalid data",
       "ffmpeg 以状态 183 退出，转换没有完成：x.mp3: Invalid data"},
      {"ffmpeg was stopped by signal 25 without finishing the conversion", "ffmpeg 被信号 25 终止，转换没有完成"},
      {"soundstretch was not found beside the program or on PATH", "程序所在的文件夹和 PATH 中都找不到 soundstretch"},
      {"the file /in/\n-x.mp3 no longer exists or is not a file", "文件 /in/\n-x.mp3 已不存在或不是文件"},
      {"the output folder /ro cannot be written", "输出文件夹 /ro 无法写入"},
      {"the temporary folder /t cannot be written", "临时文件夹 /t 无法写入"},
      {"'wma' is not an output format", "“wma”不是输出格式"},
      {"Unable to open /x.wav (Returned: 2)", "Unable to open /x.wav (Returned: 2)"},  // no known shape
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cause);
    // English is the jobs' own text, rebuilt word for word from the translation.
    EXPECT_EQ(ui::CauseText(c.cause).toStdString(), Shown(c.chinese, c.cause.c_str()).toStdString());
  }
}

}  // namespace
}  // namespace ui_test
