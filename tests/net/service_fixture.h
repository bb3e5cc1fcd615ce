#ifndef TESTS_NET_SERVICE_FIXTURE_H_
#define TESTS_NET_SERVICE_FIXTURE_H_

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "net/http_client.h"
#include "shell/unique_fd.h"
#include "tests/support/temp_dir.h"
#include "tools/service/service.h"

namespace net_testing {

// Short limits, so a silent peer costs a test about a second.
inline const net::HttpTimeouts kShortTimeouts{std::chrono::seconds(1), std::chrono::seconds(1)};

// A loopback port nobody listens on: bound, read back and released again.
inline int UnusedLoopbackPort() {
  shell::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    return 9;  // discard: nothing listens there on a test machine
  }
  return ntohs(address.sin_port);
}

// A self-signed certificate for 127.0.0.1, cert.pem and key.pem in `dir`; false without openssl.
inline bool MakeCertificate(const testing_support::TempDir& dir) {
  const std::string command =
      "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 "
      "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout " + dir.File("key.pem") +
      " -out " + dir.File("cert.pem") + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

inline std::string UnreachableBaseUrl() {
  return "http://127.0.0.1:" + std::to_string(UnusedLoopbackPort());
}

// The reference service on 127.0.0.1 with an ephemeral port, files in a fresh folder.
class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(service_.Start()) << "cannot start the service"; }

  std::string base() const { return service_.BaseUrl(); }
  void WriteManifest(const std::string& json) {
    testing_support::WriteFile(dir_.File("manifest.json"), json);
  }

  testing_support::TempDir dir_;
  vantu_service::Service service_{{dir_.File("manifest.json"), dir_.File("feedback.jsonl"),
                                   dir_.path(), "", ""}};
};

}  // namespace net_testing

#endif  // TESTS_NET_SERVICE_FIXTURE_H_
