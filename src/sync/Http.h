#pragma once

#include <string>
#include <utility>
#include <vector>

namespace veltrin {

struct HttpRequest {
    std::string method = "GET";
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
};

// status 0 means the request never got an answer; error then says why
// (a refused connection, a timeout, a certificate that did not verify).
struct HttpResponse {
    long status = 0;
    std::string body;
    std::string etag;
    std::string location;  // of a redirect
    std::string url;       // where the answer came from, after redirects
    std::string error;
    bool ok() const { return status >= 200 && status < 300; }
};

// Where sync sends its requests; tests wrap the real one to break in.
class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    virtual HttpResponse Send(const HttpRequest& request) = 0;
};

struct HttpOptions {
    std::string user;
    std::string password;
    bool allowUnencrypted = false;  // plain http:// to another machine than this one
    long connectSeconds = 15;
    long totalSeconds = 120;
};

// HTTP through libcurl: HTTPS verified against the system's certificates,
// plain http:// only for loopback addresses unless allowed.
class CurlTransport : public HttpTransport {
public:
    explicit CurlTransport(HttpOptions options);
    ~CurlTransport() override;
    CurlTransport(const CurlTransport&) = delete;
    CurlTransport& operator=(const CurlTransport&) = delete;
    HttpResponse Send(const HttpRequest& request) override;

private:
    HttpOptions options_;
    void* handle_;  // one connection, kept alive between requests
};

// The host of a URL, in lower case, without port or brackets.
std::string HostOfUrl(const std::string& url);

// Whether a URL's host is this machine (127.0.0.0/8, ::1, localhost).
bool IsLoopbackUrl(const std::string& url);

// A reference from a server's answer (absolute, an absolute path, or
// relative) made into a full URL against the URL it came from.
std::string ResolveUrl(const std::string& base, const std::string& reference);

// The path of a URL ("/dav/cal/" of "http://h:1/dav/cal/").
std::string PathOfUrl(const std::string& url);

}  // namespace veltrin
