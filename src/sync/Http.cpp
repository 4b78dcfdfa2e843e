#include "sync/Http.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <dlfcn.h>
#include <netinet/in.h>

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

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::size_t Header(char* data, std::size_t size, std::size_t count, void* target) {
    const std::string line(data, size * count);
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) return size * count;
    const std::string name = Lower(line.substr(0, colon));
    std::string value = line.substr(colon + 1);
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.front()))) value.erase(0, 1);
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
    HttpResponse& response = *static_cast<HttpResponse*>(target);
    if (name == "etag") response.etag = value;
    if (name == "location") response.location = value;
    return size * count;
}

// "scheme://host:port" and the host alone.
std::string OriginOf(const std::string& url) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos) return {};
    const std::size_t path = url.find('/', scheme + 3);
    return path == std::string::npos ? url : url.substr(0, path);
}

}  // namespace

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
    lib.setopt(curl, CURLOPT_NOSIGNAL, 1L);
    lib.setopt(curl, CURLOPT_ERRORBUFFER, problem);
    lib.setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    lib.setopt(curl, CURLOPT_WRITEDATA, &response.body);
    lib.setopt(curl, CURLOPT_HEADERFUNCTION, Header);
    lib.setopt(curl, CURLOPT_HEADERDATA, &response);
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
        response.error = problem[0] ? problem : lib.strerror(code);
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
