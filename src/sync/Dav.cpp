#include "sync/Dav.h"

#include <pugixml.hpp>

#include <cstdlib>
#include <cstring>
#include <set>

namespace veltrin {

namespace {

// The local name of an element, whatever prefix the server gave its namespace.
const char* LocalName(const pugi::xml_node& n) {
    const char* name = n.name();
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

pugi::xml_node Child(const pugi::xml_node& n, const char* local) {
    for (pugi::xml_node c : n.children())
        if (std::strcmp(LocalName(c), local) == 0) return c;
    return {};
}

std::string Trimmed(const char* text) {
    std::string s = text;
    const std::size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

int StatusCode(const pugi::xml_node& status) {
    // "HTTP/1.1 200 OK"
    const std::string text = status.child_value();
    const std::size_t space = text.find(' ');
    return space == std::string::npos ? 0 : std::atoi(text.c_str() + space + 1);
}

std::string HrefIn(const pugi::xml_node& n) { return Trimmed(Child(n, "href").child_value()); }

void ReadProps(const pugi::xml_node& prop, DavResource& r) {
    for (pugi::xml_node p : prop.children()) {
        const std::string name = LocalName(p);
        if (name == "getetag") {
            r.etag = Trimmed(p.child_value());
        } else if (name == "calendar-data" || name == "address-data") {
            r.data = p.child_value();
        } else if (name == "resourcetype") {
            for (pugi::xml_node t : p.children()) {
                const std::string type = LocalName(t);
                r.collection = r.collection || type == "collection";
                r.calendar = r.calendar || type == "calendar";
                r.addressBook = r.addressBook || type == "addressbook";
            }
        } else if (name == "supported-calendar-component-set") {
            for (pugi::xml_node c : p.children())
                if (std::strcmp(LocalName(c), "comp") == 0)
                    r.components.push_back(c.attribute("name").value());
        } else if (name == "displayname") {
            r.displayName = p.child_value();
        } else if (name == "current-user-principal") {
            r.principal = HrefIn(p);
        } else if (name == "calendar-home-set") {
            r.calendarHome = HrefIn(p);
        } else if (name == "addressbook-home-set") {
            r.addressBookHome = HrefIn(p);
        }
    }
}

const char* const kHomeQuery =
    R"(<?xml version="1.0" encoding="utf-8"?>)"
    R"(<d:propfind xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav" xmlns:a="urn:ietf:params:xml:ns:carddav">)"
    R"(<d:prop><d:current-user-principal/><c:calendar-home-set/><a:addressbook-home-set/></d:prop></d:propfind>)";

const char* const kCollectionQuery =
    R"(<?xml version="1.0" encoding="utf-8"?>)"
    R"(<d:propfind xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">)"
    R"(<d:prop><d:resourcetype/><d:displayname/><c:supported-calendar-component-set/></d:prop></d:propfind>)";

const char* const kEtagQuery = R"(<?xml version="1.0" encoding="utf-8"?>)"
                               R"(<d:propfind xmlns:d="DAV:"><d:prop><d:getetag/></d:prop></d:propfind>)";

}  // namespace

std::string XmlEscaped(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '\r')
            out += "&#13;";  // a parser would make a line end of it
        else
            out += c;
    }
    return out;
}

std::vector<DavResource> ParseMultistatus(const std::string& xml, bool* wellFormed, std::string* syncToken) {
    std::vector<DavResource> out;
    pugi::xml_document doc;
    const bool parsed = doc.load_buffer(xml.data(), xml.size());
    pugi::xml_node root = doc.first_child();
    const bool ok = parsed && std::strcmp(LocalName(root), "multistatus") == 0;
    if (wellFormed) *wellFormed = ok;
    if (!ok) return out;
    for (pugi::xml_node response : root.children()) {
        if (std::strcmp(LocalName(response), "response") != 0) continue;
        DavResource r;
        r.href = HrefIn(response);
        if (pugi::xml_node status = Child(response, "status")) r.status = StatusCode(status);
        for (pugi::xml_node ps : response.children()) {
            if (std::strcmp(LocalName(ps), "propstat") != 0) continue;
            const int code = StatusCode(Child(ps, "status"));
            if (code < 200 || code >= 300) continue;
            r.status = r.status ? r.status : code;
            ReadProps(Child(ps, "prop"), r);
        }
        out.push_back(std::move(r));
    }
    if (syncToken) *syncToken = Trimmed(Child(root, "sync-token").child_value());
    return out;
}

std::string DescribeFailure(const HttpResponse& r, const std::string& what) {
    if (r.status == 0) return what + " failed: " + r.error;
    if (r.status == 401) return what + ": the server did not accept the user name and password (401)";
    if (r.status == 403) return what + ": the server refused access (403)";
    if (r.status == 404) return what + ": the server has no such address (404)";
    return what + ": the server answered " + std::to_string(r.status);
}

// Redirects (.well-known sends clients on to the account) are followed on the
// same host only, and never from https to http: the password goes along.
HttpResponse DavClient::Propfind(const std::string& url, const std::string& depth, const std::string& body) {
    std::string at = url;
    for (int hops = 0;; ++hops) {
        HttpResponse r = http_.Send(
            {"PROPFIND", at, {{"Depth", depth}, {"Content-Type", "application/xml; charset=utf-8"}}, body});
        r.url = at;
        const bool moved = r.status == 301 || r.status == 302 || r.status == 307 || r.status == 308;
        if (!moved || r.location.empty() || hops == 5) return r;
        const std::string next = ResolveUrl(at, r.location);
        const bool downgrade = at.compare(0, 6, "https:") == 0 && next.compare(0, 6, "https:") != 0;
        if (HostOfUrl(next) != HostOfUrl(at) || downgrade) {
            r.status = 0;
            r.error =
                "the server sent the request on to " + next + ", another host; give that address instead";
            return r;
        }
        at = next;
    }
}

DavResult DavClient::Discover(const std::string& baseUrl, std::vector<DavCollection>& found) {
    // Where the user's principal is: asked of the base, then of .well-known.
    std::string principal, calendarHome, addressBookHome;
    std::vector<std::string> starts{baseUrl};
    for (const char* known : {"/.well-known/caldav", "/.well-known/carddav"})
        starts.push_back(ResolveUrl(baseUrl, known));
    HttpResponse last;
    for (const std::string& start : starts) {
        last = Propfind(start, "0", kHomeQuery);
        if (last.status == 0 || last.status == 401)
            return {DescribeFailure(last, "Finding the collections"), last.status};
        if (last.status != 207) continue;
        for (const DavResource& r : ParseMultistatus(last.body))
            if (!r.principal.empty())
                principal = ResolveUrl(last.url.empty() ? start : last.url, r.principal);
        if (!principal.empty()) break;
    }
    if (principal.empty())
        return {"Finding the collections: the server names no user principal (it answered " +
                    std::to_string(last.status) + " at " + last.url + ")",
                last.status};
    HttpResponse homes = Propfind(principal, "0", kHomeQuery);
    if (homes.status != 207) return {DescribeFailure(homes, "Finding the collections"), homes.status};
    const std::string from = homes.url.empty() ? principal : homes.url;
    for (const DavResource& r : ParseMultistatus(homes.body)) {
        if (!r.calendarHome.empty()) calendarHome = ResolveUrl(from, r.calendarHome);
        if (!r.addressBookHome.empty()) addressBookHome = ResolveUrl(from, r.addressBookHome);
    }
    std::set<std::string> seen;
    for (const std::string& home : {calendarHome, addressBookHome}) {
        if (home.empty() || !seen.insert(home).second) continue;
        HttpResponse list = Propfind(home, "1", kCollectionQuery);
        if (list.status != 207) return {DescribeFailure(list, "Listing the collections"), list.status};
        for (const DavResource& r : ParseMultistatus(list.body)) {
            if (!r.calendar && !r.addressBook) continue;
            DavCollection c;
            c.url = ResolveUrl(list.url.empty() ? home : list.url, r.href);
            c.name = r.displayName;
            c.calendar = r.calendar;
            c.addressBook = r.addressBook;
            c.components = r.components;
            found.push_back(std::move(c));
        }
    }
    return {};
}

DavResult DavClient::ListEtags(const std::string& collectionUrl, std::map<std::string, std::string>& etags) {
    const HttpResponse r = Propfind(collectionUrl, "1", kEtagQuery);
    if (r.status != 207) return {DescribeFailure(r, "Listing " + collectionUrl), r.status};
    bool wellFormed = false;
    const std::vector<DavResource> found = ParseMultistatus(r.body, &wellFormed);
    if (!wellFormed)
        return {"Listing " + collectionUrl + ": the server's answer could not be read", r.status};
    const std::string self = PathOfUrl(collectionUrl);
    for (const DavResource& res : found) {
        const std::string path = PathOfUrl(ResolveUrl(collectionUrl, res.href));
        if (path == self || path + "/" == self || res.collection || res.etag.empty()) continue;
        etags[path] = res.etag;
    }
    return {};
}

DavResult DavClient::ListChanges(const std::string& collectionUrl, const std::string& token,
                                 DavChanges& changes) {
    const std::string body = std::string(R"(<?xml version="1.0" encoding="utf-8"?>)") +
                             R"(<d:sync-collection xmlns:d="DAV:"><d:sync-token>)" + XmlEscaped(token) +
                             R"(</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop>)"
                             R"(</d:sync-collection>)";
    const HttpResponse r = http_.Send({"REPORT",
                                       collectionUrl,
                                       {{"Depth", "0"}, {"Content-Type", "application/xml; charset=utf-8"}},
                                       body});
    if (r.status != 207) return {DescribeFailure(r, "Asking " + collectionUrl + " for changes"), r.status};
    bool wellFormed = false;
    const std::vector<DavResource> found = ParseMultistatus(r.body, &wellFormed, &changes.token);
    if (!wellFormed || changes.token.empty())
        return {"Asking " + collectionUrl + " for changes: the server's answer could not be read", r.status};
    const std::string self = PathOfUrl(collectionUrl);
    for (const DavResource& res : found) {
        const std::string path = PathOfUrl(ResolveUrl(collectionUrl, res.href));
        if (path == self || path + "/" == self) {
            // The collection itself: a truncated answer (507) is no whole list.
            if (res.status >= 300)
                return {"Asking " + collectionUrl + " for changes: the answer is not whole", 507};
            continue;
        }
        if (res.status == 404)
            changes.removed.push_back(path);
        else if (!res.etag.empty() && !res.collection)
            changes.changed[path] = res.etag;
    }
    return {};
}

DavResult DavClient::Fetch(const std::string& collectionUrl, bool addressBook,
                           const std::vector<std::string>& hrefs,
                           std::map<std::string, DavResource>& fetched) {
    const std::size_t kBatch = 500;
    for (std::size_t at = 0; at < hrefs.size(); at += kBatch) {
        std::string body = R"(<?xml version="1.0" encoding="utf-8"?>)";
        body += addressBook
                    ? R"(<a:addressbook-multiget xmlns:d="DAV:" xmlns:a="urn:ietf:params:xml:ns:carddav">)"
                      R"(<d:prop><d:getetag/><a:address-data/></d:prop>)"
                    : R"(<c:calendar-multiget xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">)"
                      R"(<d:prop><d:getetag/><c:calendar-data/></d:prop>)";
        for (std::size_t i = at; i < std::min(hrefs.size(), at + kBatch); ++i)
            body += "<d:href>" + XmlEscaped(hrefs[i]) + "</d:href>";
        body += addressBook ? "</a:addressbook-multiget>" : "</c:calendar-multiget>";
        const HttpResponse r =
            http_.Send({"REPORT",
                        collectionUrl,
                        {{"Depth", "1"}, {"Content-Type", "application/xml; charset=utf-8"}},
                        body});
        if (r.status != 207) return {DescribeFailure(r, "Fetching from " + collectionUrl), r.status};
        bool wellFormed = false;
        for (DavResource& res : ParseMultistatus(r.body, &wellFormed)) {
            if (res.status >= 200 && res.status < 300 && !res.etag.empty())
                fetched[PathOfUrl(ResolveUrl(collectionUrl, res.href))] = std::move(res);
        }
        if (!wellFormed)
            return {"Fetching from " + collectionUrl + ": the server's answer could not be read", r.status};
    }
    return {};
}

HttpResponse DavClient::Put(const std::string& url, const std::string& body, const std::string& contentType,
                            const std::string& ifMatch) {
    HttpRequest request{"PUT", url, {{"Content-Type", contentType}}, body};
    if (ifMatch.empty())
        request.headers.emplace_back("If-None-Match", "*");
    else
        request.headers.emplace_back("If-Match", ifMatch);
    return http_.Send(request);
}

HttpResponse DavClient::Delete(const std::string& url, const std::string& ifMatch) {
    return http_.Send({"DELETE", url, {{"If-Match", ifMatch}}, {}});
}

HttpResponse DavClient::Get(const std::string& url) { return http_.Send({"GET", url, {}, {}}); }

}  // namespace veltrin
