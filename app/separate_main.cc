// vantu-separate: separates one WAV file into its vocals or its accompaniment, exactly as the
// program's separation job does, for scripting and checks.
#include <glog/logging.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "separation/separator.h"
#include "shell/program_dir.h"

namespace {

constexpr char kUsage[] =
    "Usage: vantu-separate IN.wav OUT_DIR [--vocals|--accompaniment] [--verbose]\n"
    "\n"
    "Separates the singing voice from the accompaniment of a PCM WAV file and writes one stem\n"
    "as a 16-bit WAV file into OUT_DIR: IN-人声.wav (--vocals, the default) or IN-伴奏.wav\n"
    "(--accompaniment). OUT_DIR is created when its parent folder exists.\n"
    "\n"
    "  --vocals         write the vocals\n"
    "  --accompaniment  write the accompaniment\n"
    "  --verbose        log the engine's steps to the error stream\n"
    "  --help           show this text\n";

int Fail(const std::string& message) {
  std::cerr << "vantu-separate: " << message << '\n';
  return 1;
}

// The text between the last "/" and the last "." of a path.
std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

int main(int argc, char** argv) {
  // Past a file-size limit a write then fails with EFBIG, which the jobs report, instead of
  // the signal ending the whole program. Children start with the default again.
  signal(SIGXFSZ, SIG_IGN);
  std::string input, output_dir;
  bool vocals = true, verbose = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--vocals") {
      vocals = true;
    } else if (arg == "--accompaniment") {
      vocals = false;
    } else if (arg == "--verbose") {
      verbose = true;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      std::cerr << "vantu-separate: unknown option '" << arg << "'\n" << kUsage;
      return 2;
    } else if (input.empty()) {
      input = arg;
    } else if (output_dir.empty()) {
      output_dir = arg;
    } else {
      std::cerr << "vantu-separate: too many arguments\n" << kUsage;
      return 2;
    }
  }
  if (input.empty() || output_dir.empty()) {
    std::cerr << kUsage;
    return 2;
  }

  google::InitGoogleLogging(argv[0]);
  FLAGS_logtostderr = true;
  // The one error line below says what went wrong; the engine's log is for --verbose.
  FLAGS_minloglevel = verbose ? google::GLOG_INFO : google::GLOG_FATAL;

  if (access(input.c_str(), R_OK) != 0) return Fail("cannot read '" + input + "': " + std::strerror(errno));
  std::error_code ec;
  if (std::filesystem::is_directory(output_dir, ec) && access(output_dir.c_str(), W_OK) != 0) {
    return Fail("cannot write into the folder '" + output_dir + "': " + std::strerror(errno));
  }

  const separation::SeparatorOptions options =
      separation::StemOptions(input, output_dir, shell::DataDir() + "models/2stems/saved_model", vocals,
                              BaseName(input) + (vocals ? "-人声" : "-伴奏"));

  try {
    separation::SeparatorApp app(options);
    app.Run();
  } catch (const std::filesystem::filesystem_error&) {
    return Fail("cannot create the output folder '" + output_dir + "' (its parent folder must exist)");
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  std::cout << output_dir << "/" << options.stem_name << ".wav\n";
  return 0;
}
