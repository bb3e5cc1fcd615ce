// vantu-service: the reference web service, run by hand.
//   vantu-service [--host 127.0.0.1] [--port 8080] [--manifest FILE]
//                 [--feedback-file FILE] [--download-dir DIR] [--tls-cert PEM --tls-key PEM]
#include <signal.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "tools/service/service.h"

namespace {

int Usage(const char* program) {
  std::cerr << "usage: " << program
            << " [--host ADDRESS] [--port N] [--manifest FILE] [--feedback-file FILE]"
               " [--download-dir DIR] [--tls-cert PEM --tls-key PEM]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  vantu_service::Options options;
  options.manifest_path = "manifest.json";
  options.feedback_path = "feedback.jsonl";
  options.download_dir = "downloads";
  std::string host = "127.0.0.1";
  int port = 8080;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Usage(argv[0]);
      return 0;
    }
    if (i + 1 >= argc) return Usage(argv[0]);
    const std::string value = argv[++i];
    if (arg == "--host") {
      host = value;
    } else if (arg == "--port") {
      char* end = nullptr;
      const long n = std::strtol(value.c_str(), &end, 10);
      if (end == value.c_str() || *end != '\0' || n < 0 || n > 65535) return Usage(argv[0]);
      port = static_cast<int>(n);
    } else if (arg == "--manifest") {
      options.manifest_path = value;
    } else if (arg == "--feedback-file") {
      options.feedback_path = value;
    } else if (arg == "--download-dir") {
      options.download_dir = value;
    } else if (arg == "--tls-cert") {
      options.tls_cert_path = value;
    } else if (arg == "--tls-key") {
      options.tls_key_path = value;
    } else {
      return Usage(argv[0]);
    }
  }

  // Blocked before any thread starts, so only sigwait below receives them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  vantu_service::Service service(options);
  if (!service.Start(host, port)) {
    std::cerr << "cannot listen on " << host << ":" << port << "\n";
    return 1;
  }
  std::cout << "listening on " << service.BaseUrl() << " (Ctrl+C ends)" << std::endl;
  int received = 0;
  sigwait(&signals, &received);
  service.Stop();
  return 0;
}
