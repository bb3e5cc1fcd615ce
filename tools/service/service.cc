#include "tools/service/service.h"

#include <httplib.h>
#include <json/json.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <utility>

namespace vantu_service {

namespace {

constexpr size_t kChunk = 16 * 1024;
constexpr size_t kMaxRequestBody = 1 << 20;

constexpr char kHelpPage[] =
    "<!DOCTYPE html>\n<html lang=\"zh\"><head><meta charset=\"utf-8\"><title>帮助</title></head>\n"
    "<body><h1>VANTU 人声分离</h1><p>使用说明与常见问题。</p></body></html>\n";

std::string WriteJson(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value);
}

// Clients send texts either as UTF-8 or as \u escapes; JsonCpp's reader turns both into UTF-8.
std::optional<Json::Value> ReadJson(const std::string& text) {
  Json::CharReaderBuilder builder;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value value;
  std::string errors;
  try {
    if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors)) return {};
  } catch (const std::exception&) {
    return {};
  }
  return value;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return {};
  return bytes;
}

void Answer(httplib::Response& res, int status, int ret, const std::string& message) {
  Json::Value body(Json::objectValue);
  body["ret"] = ret;
  if (!message.empty()) body["msg"] = message;
  res.status = status;
  res.set_content(WriteJson(body), "application/json");
}

}  // namespace

struct Service::Impl {
  explicit Impl(Options o) : options(std::move(o)) {
    if (options.tls_cert_path.empty()) {
      server = std::make_unique<httplib::Server>();
    } else {
      server = std::make_unique<httplib::SSLServer>(options.tls_cert_path.c_str(),
                                                    options.tls_key_path.c_str());
    }
  }

  // Records the request, then applies a fault or a canned answer. True when answered.
  bool Intercept(const httplib::Request& req, httplib::Response& res) {
    std::unique_lock<std::mutex> lock(mutex);
    requests.push_back({req.method, req.target, req.body, req.get_header_value("Content-Type"),
                        req.get_header_value("Accept")});
    if (fault == Fault::kNeverAnswer) {
      stop_cv.wait(lock, [this] { return stopping; });
      res.status = 503;
      return true;
    }
    if (canned && req.path.rfind("/download/", 0) != 0) {
      res.status = canned->first;
      res.set_content(canned->second, "application/json");
      return true;
    }
    return false;
  }

  void UpgradeCheck(const httplib::Request& req, httplib::Response& res) {
    if (Intercept(req, res)) return;
    const std::optional<Json::Value> request = ReadJson(req.body);
    if (!request || !request->isObject() || !(*request)["app_name"].isString()) {
      return Answer(res, 400, 2, "app_name is required");
    }
    const std::optional<std::string> text = ReadWholeFile(options.manifest_path);
    const std::optional<Json::Value> manifest = text ? ReadJson(*text) : std::nullopt;
    if (!manifest || !manifest->isObject()) return Answer(res, 200, 1, "no manifest");
    Json::Value body(Json::objectValue);
    body["ret"] = 0;
    body["data"] = *manifest;
    res.set_content(WriteJson(body), "application/json");
  }

  void Feedback(const httplib::Request& req, httplib::Response& res) {
    if (Intercept(req, res)) return;
    const std::optional<Json::Value> request = ReadJson(req.body);
    if (!request || !request->isObject() || !(*request)["content"].isString() ||
        !(*request)["contact"].isString() || (*request)["content"].asString().empty() ||
        (*request)["contact"].asString().empty()) {
      return Answer(res, 400, 1, "content and contact are required");
    }
    if (options.feedback_path.empty()) return Answer(res, 503, 3, "feedback is not stored here");
    Json::Value line(Json::objectValue);
    line["time"] = static_cast<Json::Int64>(std::time(nullptr));
    line["content"] = (*request)["content"];
    line["contact"] = (*request)["contact"];
    std::lock_guard<std::mutex> lock(feedback_mutex);
    std::ofstream out(options.feedback_path, std::ios::binary | std::ios::app);
    out << WriteJson(line) << '\n';
    out.flush();
    if (!out) return Answer(res, 500, 3, "cannot store the feedback");
    Answer(res, 200, 0, "");
  }

  void Help(const httplib::Request& req, httplib::Response& res) {
    if (Intercept(req, res)) return;
    res.set_content(kHelpPage, "text/html; charset=utf-8");
  }

  void Download(const httplib::Request& req, httplib::Response& res) {
    if (Intercept(req, res)) return;
    const std::string name = req.matches[1];
    std::optional<std::string> bytes;
    if (!name.empty() && name[0] != '.') bytes = ReadWholeFile(options.download_dir + "/" + name);
    if (!bytes) {
      res.status = 404;
      return res.set_content("not found\n", "text/plain");
    }
    const auto data = std::make_shared<const std::string>(std::move(*bytes));
    const Fault mode = CurrentFault();
    if (mode == Fault::kNoContentLength) {
      return res.set_content_provider(
          "application/octet-stream", [data](size_t offset, httplib::DataSink& sink) {
            const size_t n = std::min(kChunk, data->size() - offset);
            if (n > 0 && !sink.write(data->data() + offset, n)) return false;
            if (offset + n >= data->size()) sink.done();
            return true;
          });
    }
    if (data->empty()) return res.set_content("", "application/octet-stream");
    const bool cut = mode == Fault::kStallDownload || mode == Fault::kTruncatedDownload;
    const size_t end = cut ? data->size() / 2 : data->size();
    res.set_content_provider(
        data->size(), "application/octet-stream",
        [this, data, mode, end](size_t offset, size_t length, httplib::DataSink& sink) {
          if (offset >= end) {  // only a faulty transfer gets here before the end
            if (mode == Fault::kStallDownload) WaitForStop();
            return false;
          }
          const size_t n = std::min({kChunk, length, end - offset});
          return sink.write(data->data() + offset, n);
        });
  }

  Fault CurrentFault() {
    std::lock_guard<std::mutex> lock(mutex);
    return fault;
  }

  void WaitForStop() {
    std::unique_lock<std::mutex> lock(mutex);
    stop_cv.wait(lock, [this] { return stopping; });
  }

  const Options options;
  std::unique_ptr<httplib::Server> server;
  std::thread thread;
  std::string host;
  int port = 0;

  mutable std::mutex mutex;  // guards everything below
  std::condition_variable stop_cv;
  bool stopping = false;
  Fault fault = Fault::kNone;
  std::optional<std::pair<int, std::string>> canned;
  std::vector<RecordedRequest> requests;

  std::mutex feedback_mutex;  // one writer at a time, so lines never mix
};

Service::Service(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {
  Impl* impl = impl_.get();
  // One request per connection: a body without a size ends only when the connection does,
  // and an idle kept-alive connection would hold up Stop().
  impl->server->set_keep_alive_max_count(1);
  impl->server->set_payload_max_length(kMaxRequestBody);
  impl->server->Post("/v2/upgrade_check", [impl](const httplib::Request& req,
                                                httplib::Response& res) { impl->UpgradeCheck(req, res); });
  impl->server->Post("/v2/feedback", [impl](const httplib::Request& req, httplib::Response& res) {
    impl->Feedback(req, res);
  });
  impl->server->Get("/help", [impl](const httplib::Request& req, httplib::Response& res) {
    impl->Help(req, res);
  });
  impl->server->Get("/download/([^/]+)", [impl](const httplib::Request& req,
                                               httplib::Response& res) { impl->Download(req, res); });
}

Service::~Service() { Stop(); }

bool Service::Start(const std::string& host, int port) {
  if (impl_->thread.joinable() || !impl_->server->is_valid()) return false;
  const int bound = port == 0 ? impl_->server->bind_to_any_port(host)
                              : (impl_->server->bind_to_port(host, port) ? port : -1);
  if (bound < 0) return false;
  impl_->host = host;
  impl_->port = bound;
  impl_->thread = std::thread([impl = impl_.get()] { impl->server->listen_after_bind(); });
  // Stop() only reaches a server that has begun to listen.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!impl_->server->is_running() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return impl_->server->is_running();
}

void Service::Stop() {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->stopping = true;
  }
  impl_->stop_cv.notify_all();
  impl_->server->stop();
  if (impl_->thread.joinable()) impl_->thread.join();
}

int Service::port() const { return impl_->port; }

std::string Service::BaseUrl() const {
  return (impl_->options.tls_cert_path.empty() ? "http://" : "https://") + impl_->host + ":" + std::to_string(impl_->port);
}

void Service::SetFault(Fault fault) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->fault = fault;
}

void Service::SetCannedAnswer(int status, std::string body) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->canned.emplace(status, std::move(body));
}

void Service::ClearCannedAnswer() {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->canned.reset();
}

std::vector<RecordedRequest> Service::Requests() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->requests;
}

}  // namespace vantu_service
