#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace veltrin {

// What a sync reads of one answer at the most: past it the request stops and
// the answer counts as none, so a broken or hostile server cannot fill memory.
constexpr std::size_t kMaxListingBytes = 64u << 20;  // a multistatus answer
constexpr std::size_t kMaxItemBytes = 16u << 20;     // one item, or any other answer
constexpr std::size_t kMaxHeaderBytes = 256u << 10;  // the header lines of an answer

struct HttpRequest {
    std::string method = "GET";
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::size_t maxBody = kMaxItemBytes;
};

// status 0 means the request never got an answer; error then says why
// (a refused connection, a timeout, a certificate that did not verify).
struct HttpResponse {
    long status = 0;
    std::string body;
    std::string etag;
    std::string location;  // of a redirect
    std::string url;       // where the answer came from, after redirects
    std::string contentType;
    std::string retryAfter;  // of a 503 or 429, as the server wrote it
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
    // An answer that brings fewer than lowSpeedBytes a second for this long is given up.
    long lowSpeedSeconds = 30;
    long lowSpeedBytes = 100;
    // The hosts the password may go to (those of these URLs, never from
    // https:// down to http://); a request to any other is not sent. Empty: no such check.
    std::vector<std::string> servers{};
    // Set from another thread to end the request under way and refuse more.
    const std::atomic<bool>* cancel = nullptr;
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

// Whether two URLs are on one server: the same host and port, or the second
// the https:// of the first's http:// on the usual ports.
bool SameServer(const std::string& from, const std::string& to);
// Whether a request may go on from one URL to another with the password: the
// same host, and never from https:// down to http://.
bool SameHost(const std::string& from, const std::string& to);

// The path of a URL ("/dav/cal/" of "http://h:1/dav/cal/").
std::string PathOfUrl(const std::string& url);

}  // namespace veltrin
