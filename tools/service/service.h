#ifndef TOOLS_SERVICE_SERVICE_H_
#define TOOLS_SERVICE_SERVICE_H_

#include <memory>
#include <string>
#include <vector>

// A stand-in for the vendor's web service, for tests and for trying the program by hand:
//   POST /v2/upgrade_check  {"ret":0,"data":<manifest>} from the manifest file
//   POST /v2/feedback       appends {"content","contact","time"} as one JSON line, {"ret":0}
//   GET  /help              a small HTML page
//   GET  /download/<name>   the file <name> of the download folder (HEAD gives its size)
namespace vantu_service {

struct Options {
  std::string manifest_path;  // JSON object: "app_version", "download_url", "force_upgrade"
  std::string feedback_path;  // where feedback lines go; empty: feedback is refused
  std::string download_dir;   // files offered below /download/
  // Both set: the service speaks HTTPS with this certificate (PEM files).
  std::string tls_cert_path;
  std::string tls_key_path;
};

// Ways to misbehave on purpose, so clients can be tested against them.
enum class Fault {
  kNone,
  kNeverAnswer,        // every request is read and left unanswered until Stop()
  kStallDownload,      // a download sends half of the file, then nothing until Stop()
  kTruncatedDownload,  // a download announces the whole size, sends half and hangs up
  kNoContentLength,    // a download comes without a size and ends when the connection closes
};

// One request as it arrived.
struct RecordedRequest {
  std::string method;
  std::string target;  // path and query as sent
  std::string body;
  std::string content_type;
  std::string accept;
};

class Service {
 public:
  explicit Service(Options options);
  ~Service();  // stops
  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;

  // Listens on host:port (0 picks a free port) on threads of its own. False when the address
  // cannot be bound or the service already runs.
  bool Start(const std::string& host = "127.0.0.1", int port = 0);
  // Ends every pending request and stops listening; waits for the threads.
  void Stop();

  int port() const;
  std::string BaseUrl() const;  // "http://<host>:<port>"

  void SetFault(Fault fault);
  // From now on the JSON endpoints and /help answer `status` with `body` instead.
  void SetCannedAnswer(int status, std::string body);
  void ClearCannedAnswer();

  std::vector<RecordedRequest> Requests() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vantu_service

#endif  // TOOLS_SERVICE_SERVICE_H_
