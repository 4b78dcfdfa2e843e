#include "sync/Http.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <dlfcn.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>

namespace veltrin {

namespace {

constexpr char kCurlLibraryName[] = "libcurl.so.4";

// libcurl and the dozens of libraries below it (TLS, Kerberos, LDAP, ...) are
// opened with the first connection, not at every start: most runs never sync.
struct CurlLibrary {
    decltype(&curl_global_init) globalInit = nullptr;
    decltype(&curl_easy_init) init = nullptr;
    decltype(&curl_easy_cleanup) cleanup = nullptr;
    decltype(&curl_easy_reset) reset = nullptr;
    decltype(&curl_easy_setopt) setopt = nullptr;
    decltype(&curl_easy_perform) perform = nullptr;
    decltype(&curl_easy_getinfo) getinfo = nullptr;
    decltype(&curl_easy_strerror) strerror = nullptr;
    decltype(&curl_slist_append) slistAppend = nullptr;
    decltype(&curl_slist_free_all) slistFreeAll = nullptr;
    std::string error;  // why it could not be opened
};

template <typename F>
bool Find(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(::dlsym(library, name));
    return function != nullptr;
}

const CurlLibrary& Curl() {
    static const CurlLibrary curl = [] {
        CurlLibrary c;
        // Kept open for the rest of the run.
        void* library = ::dlopen(kCurlLibraryName, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            const char* why = ::dlerror();
            c.error = why ? why : kCurlLibraryName;
            return c;
        }
        if (!Find(library, "curl_global_init", c.globalInit) || !Find(library, "curl_easy_init", c.init) ||
            !Find(library, "curl_easy_cleanup", c.cleanup) || !Find(library, "curl_easy_reset", c.reset) ||
            !Find(library, "curl_easy_setopt", c.setopt) || !Find(library, "curl_easy_perform", c.perform) ||
            !Find(library, "curl_easy_getinfo", c.getinfo) ||
            !Find(library, "curl_easy_strerror", c.strerror) ||
            !Find(library, "curl_slist_append", c.slistAppend) ||
            !Find(library, "curl_slist_free_all", c.slistFreeAll)) {
            const char* why = ::dlerror();
            c = CurlLibrary{};
            c.error = why ? why : kCurlLibraryName;
            return c;
        }
        c.globalInit(CURL_GLOBAL_DEFAULT);
        return c;
    }();
    return curl;
}

// One request's answer as it comes in, with what it may grow to.
struct Transfer {
    HttpResponse& response;
    std::size_t maxBody;
    std::size_t headerBytes = 0;
    bool bodyTooLarge = false, headersTooLarge = false;
    const std::atomic<bool>* cancel;
};

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* target) {
    Transfer& t = *static_cast<Transfer*>(target);
    const std::size_t n = size * count;
    if (n > t.maxBody - std::min(t.maxBody, t.response.body.size())) {
        t.bodyTooLarge = true;
        std::string().swap(t.response.body);
        return 0;  // curl ends the transfer
    }
    t.response.body.append(data, n);
    return n;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::size_t Header(char* data, std::size_t size, std::size_t count, void* target) {
    Transfer& t = *static_cast<Transfer*>(target);
    t.headerBytes += size * count;
    if (t.headerBytes > kMaxHeaderBytes) {
        t.headersTooLarge = true;
        return 0;
    }
    const std::string line(data, size * count);
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) return size * count;
    const std::string name = Lower(line.substr(0, colon));
    std::string value = line.substr(colon + 1);
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.front()))) value.erase(0, 1);
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
    HttpResponse& response = t.response;
    if (name == "etag") response.etag = value;
    if (name == "location") response.location = value;
    if (name == "content-type") response.contentType = Lower(value);
    if (name == "retry-after") response.retryAfter = value;
    return size * count;
}

int Progress(void* target, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const Transfer& t = *static_cast<Transfer*>(target);
    return t.cancel && t.cancel->load() ? 1 : 0;
}

std::string Megabytes(std::size_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

// "scheme://host:port" and the host alone.
std::string OriginOf(const std::string& url) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos) return {};
    const std::size_t path = url.find('/', scheme + 3);
    return path == std::string::npos ? url : url.substr(0, path);
}

// The port a URL names, or its scheme's usual one.
std::string PortOf(const std::string& url) {
    const std::string origin = OriginOf(url);
    const std::size_t scheme = origin.find("://");
    if (scheme == std::string::npos) return {};
    std::string rest = origin.substr(scheme + 3);
    if (const std::size_t at = rest.rfind('@'); at != std::string::npos) rest = rest.substr(at + 1);
    if (const std::size_t bracket = rest.find(']'); bracket != std::string::npos) rest = rest.substr(bracket);
    const std::size_t colon = rest.find(':');
    if (colon != std::string::npos && colon + 1 < rest.size()) return rest.substr(colon + 1);
    return Lower(origin.substr(0, scheme)) == "https" ? "443" : "80";
}

std::string SchemeOf(const std::string& url) {
    const std::size_t scheme = url.find("://");
    return scheme == std::string::npos ? std::string() : Lower(url.substr(0, scheme));
}

}  // namespace

bool SameHost(const std::string& from, const std::string& to) {
    if (HostOfUrl(from).empty() || HostOfUrl(from) != HostOfUrl(to)) return false;
    return !(SchemeOf(from) == "https" && SchemeOf(to) != "https");
}

bool SameServer(const std::string& from, const std::string& to) {
    if (HostOfUrl(from).empty() || HostOfUrl(from) != HostOfUrl(to)) return false;
    const std::string a = SchemeOf(from) + ":" + PortOf(from), b = SchemeOf(to) + ":" + PortOf(to);
    return a == b || (a == "http:80" && b == "https:443");
}

std::string HostOfUrl(const std::string& url) {
    std::string origin = OriginOf(url);
    const std::size_t scheme = origin.find("://");
    if (scheme == std::string::npos) return {};
    std::string host = origin.substr(scheme + 3);
    if (const std::size_t at = host.rfind('@'); at != std::string::npos) host = host.substr(at + 1);
    if (!host.empty() && host[0] == '[') return Lower(host.substr(1, host.find(']') - 1));
    return Lower(host.substr(0, host.find(':')));
}

bool IsLoopbackUrl(const std::string& url) {
    const std::string host = HostOfUrl(url);
    if (host == "localhost") return true;
    in_addr v4{};
    if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return ::inet_pton(AF_INET6, host.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

std::string PathOfUrl(const std::string& url) {
    const std::string origin = OriginOf(url);
    const std::string path = url.substr(origin.size());
    return path.empty() ? "/" : path;
}

std::string ResolveUrl(const std::string& base, const std::string& reference) {
    if (reference.find("://") != std::string::npos) return reference;
    if (!reference.empty() && reference[0] == '/') return OriginOf(base) + reference;
    const std::size_t slash = base.rfind('/');
    return (slash == std::string::npos ? base + "/" : base.substr(0, slash + 1)) + reference;
}

CurlTransport::CurlTransport(HttpOptions options) : options_(std::move(options)), handle_(nullptr) {}

CurlTransport::~CurlTransport() {
    if (handle_) Curl().cleanup(static_cast<CURL*>(handle_));
}

HttpResponse CurlTransport::Send(const HttpRequest& request) {
    HttpResponse response;
    const std::string scheme = Lower(request.url.substr(0, request.url.find("://")));
    if (scheme != "https" && scheme != "http") {
        response.error = "the address " + request.url + " is not an http:// or https:// address";
        return response;
    }
    if (scheme == "http" && !options_.allowUnencrypted && !IsLoopbackUrl(request.url)) {
        response.error = "the address " + request.url +
                         " is not encrypted (http://); use https:// or allow an unencrypted connection";
        return response;
    }
    if (!options_.servers.empty() &&
        std::none_of(options_.servers.begin(), options_.servers.end(),
                     [&](const std::string& server) { return SameHost(server, request.url); })) {
        response.error =
            "the address " + request.url +
            " is on another server than the one the sync was set up with, so nothing was sent there";
        return response;
    }
    if (options_.cancel && options_.cancel->load()) {
        response.error = "the sync was stopped";
        return response;
    }
    const CurlLibrary& lib = Curl();
    if (!handle_ && lib.init) handle_ = lib.init();
    CURL* curl = static_cast<CURL*>(handle_);
    if (!curl) {
        response.error = "the network library could not be started";
        if (!lib.error.empty()) response.error += " (" + lib.error + ")";
        return response;
    }
    lib.reset(curl);
    char problem[CURL_ERROR_SIZE] = "";
    curl_slist* headers = nullptr;
    for (const auto& [name, value] : request.headers)
        headers = lib.slistAppend(headers, (name + ": " + value).c_str());
    headers = lib.slistAppend(headers, "Expect:");
    lib.setopt(curl, CURLOPT_URL, request.url.c_str());
    lib.setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    lib.setopt(curl, CURLOPT_HTTPHEADER, headers);
    lib.setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    lib.setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    lib.setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    lib.setopt(curl, CURLOPT_CONNECTTIMEOUT, options_.connectSeconds);
    lib.setopt(curl, CURLOPT_TIMEOUT, options_.totalSeconds);
    lib.setopt(curl, CURLOPT_LOW_SPEED_TIME, options_.lowSpeedSeconds);
    lib.setopt(curl, CURLOPT_LOW_SPEED_LIMIT, options_.lowSpeedBytes);
    lib.setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBody));
    lib.setopt(curl, CURLOPT_NOSIGNAL, 1L);
    lib.setopt(curl, CURLOPT_ERRORBUFFER, problem);
    Transfer transfer{response, request.maxBody, 0, false, false, options_.cancel};
    lib.setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    lib.setopt(curl, CURLOPT_WRITEDATA, &transfer);
    lib.setopt(curl, CURLOPT_HEADERFUNCTION, Header);
    lib.setopt(curl, CURLOPT_HEADERDATA, &transfer);
    lib.setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
    lib.setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    lib.setopt(curl, CURLOPT_NOPROGRESS, 0L);
    if (!request.body.empty() || request.method == "PUT") {
        lib.setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
        lib.setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    }
    if (!options_.user.empty()) {
        lib.setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC | CURLAUTH_DIGEST);
        lib.setopt(curl, CURLOPT_USERNAME, options_.user.c_str());
        lib.setopt(curl, CURLOPT_PASSWORD, options_.password.c_str());
    }
    const CURLcode code = lib.perform(curl);
    lib.slistFreeAll(headers);
    if (code != CURLE_OK) {
        std::string().swap(response.body);
        response.error = problem[0] ? problem : lib.strerror(code);
        if (transfer.bodyTooLarge || code == CURLE_FILESIZE_EXCEEDED)
            response.error = "the server's answer was larger than " + Megabytes(request.maxBody) +
                             ", the most Veltrin reads of one answer";
        else if (transfer.headersTooLarge)
            response.error = "the server's answer had more than " + std::to_string(kMaxHeaderBytes >> 10) +
                             " KB of header lines";
        else if (code == CURLE_ABORTED_BY_CALLBACK)
            response.error = "the sync was stopped";
        else if (code == CURLE_OPERATION_TIMEDOUT)
            response.error = "the server did not answer in time (" + response.error + ")";
        if (code == CURLE_PEER_FAILED_VERIFICATION || code == CURLE_SSL_CACERT_BADFILE ||
            code == CURLE_SSL_CONNECT_ERROR)
            response.error = "the server's certificate was not accepted: " + response.error;
        return response;
    }
    lib.getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    response.url = request.url;
    return response;
}

}  // namespace veltrin
