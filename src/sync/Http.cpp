#include "sync/Http.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>

#include <cctype>
#include <mutex>

namespace veltrin {

namespace {

void StartCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
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

CurlTransport::CurlTransport(HttpOptions options) : options_(std::move(options)) {
    StartCurl();
    handle_ = curl_easy_init();
}

CurlTransport::~CurlTransport() { curl_easy_cleanup(static_cast<CURL*>(handle_)); }

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
    CURL* curl = static_cast<CURL*>(handle_);
    if (!curl) {
        response.error = "the network library could not be started";
        return response;
    }
    curl_easy_reset(curl);
    char problem[CURL_ERROR_SIZE] = "";
    curl_slist* headers = nullptr;
    for (const auto& [name, value] : request.headers)
        headers = curl_slist_append(headers, (name + ": " + value).c_str());
    headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, options_.connectSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, options_.totalSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, problem);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, Header);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &response);
    if (!request.body.empty() || request.method == "PUT") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    }
    if (!options_.user.empty()) {
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC | CURLAUTH_DIGEST);
        curl_easy_setopt(curl, CURLOPT_USERNAME, options_.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, options_.password.c_str());
    }
    const CURLcode code = curl_easy_perform(curl);
    curl_slist_free_all(headers);
    if (code != CURLE_OK) {
        response.error = problem[0] ? problem : curl_easy_strerror(code);
        if (code == CURLE_PEER_FAILED_VERIFICATION || code == CURLE_SSL_CACERT_BADFILE ||
            code == CURLE_SSL_CONNECT_ERROR)
            response.error = "the server's certificate was not accepted: " + response.error;
        return response;
    }
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    response.url = request.url;
    return response;
}

}  // namespace veltrin
