#include "sync/Dav.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
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

std::string PercentDecoded(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool IsXml(const HttpResponse& r) {
    return r.contentType.empty() || r.contentType.find("xml") != std::string::npos;
}

std::string Passed(std::size_t n, const char* what) {
    return std::to_string(n) + (n == 1 ? " entry" : " entries") + " of the server's answer " + what;
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

Multistatus ReadMultistatus(std::string xml) {
    Multistatus out;
    // Counted before parsing: every element costs a node, whatever its size.
    if (static_cast<std::size_t>(std::count(xml.begin(), xml.end(), '<')) > kMaxDavElements) {
        out.notRead = "it holds more than " + std::to_string(kMaxDavElements) + " XML elements";
        return out;
    }
    pugi::xml_document doc;
    const bool parsed =
        doc.load_buffer_inplace(xml.data(), xml.size(), pugi::parse_default | pugi::parse_doctype);
    // No WebDAV server declares entities; one that does is not read at all.
    for (pugi::xml_node n : doc.children())
        if (n.type() == pugi::node_doctype) {
            out.notRead = "it declares a document type and entities of its own";
            return out;
        }
    pugi::xml_node root = doc.document_element();
    out.wellFormed = parsed && std::strcmp(LocalName(root), "multistatus") == 0;
    if (!out.wellFormed) return out;
    std::size_t count = 0;
    for (pugi::xml_node response : root.children())
        count += std::strcmp(LocalName(response), "response") == 0 ? 1 : 0;
    if (count > kMaxDavResponses) {
        out.notRead = "it lists more than " + std::to_string(kMaxDavResponses) + " items";
        return out;
    }
    out.responses.reserve(count);
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
        out.responses.push_back(std::move(r));
    }
    out.syncToken = Trimmed(Child(root, "sync-token").child_value());
    return out;
}

std::string MemberPath(const std::string& collectionUrl, const std::string& href) {
    const std::string full = ResolveUrl(collectionUrl, href);
    if (!SameServer(collectionUrl, full) || !SameServer(full, collectionUrl)) return {};
    const std::string path = PathOfUrl(full);
    if (path.find_first_of("?#") != std::string::npos) return {};
    // Compared as the server means them: escapes may differ between the two.
    std::string self = PercentDecoded(PathOfUrl(collectionUrl));
    if (self.empty() || self.back() != '/') self += '/';
    const std::string decoded = PercentDecoded(path);
    if (decoded.size() <= self.size() || decoded.compare(0, self.size(), self) != 0) return {};
    std::string name = decoded.substr(self.size());
    if (name.back() == '/') name.pop_back();
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) return {};
    return path;
}

bool IsCollectionItself(const std::string& collectionUrl, const std::string& href) {
    const std::string full = ResolveUrl(collectionUrl, href);
    if (!SameServer(collectionUrl, full)) return false;
    std::string self = PercentDecoded(PathOfUrl(collectionUrl)), path = PercentDecoded(PathOfUrl(full));
    if (self.empty() || self.back() != '/') self += '/';
    if (path.empty() || path.back() != '/') path += '/';
    return self == path;
}

std::string DescribeFailure(const HttpResponse& r, const std::string& what) {
    if (r.status == 0) return what + " failed: " + r.error;
    if (r.status == 401) return what + ": the server did not accept the user name and password (401)";
    if (r.status == 403) return what + ": the server refused access (403)";
    if (r.status == 404) return what + ": the server has no such address (404)";
    if (r.status == 429 || r.status == 503) {
        std::string busy =
            what + ": the server is busy or down for maintenance (" + std::to_string(r.status) + ")";
        if (!r.retryAfter.empty()) {
            const bool seconds = r.retryAfter.find_first_not_of("0123456789") == std::string::npos;
            busy += seconds ? "; it asks to wait " + r.retryAfter + " seconds"
                            : "; it asks to wait until " + r.retryAfter;
        }
        return busy;
    }
    return what + ": the server answered " + std::to_string(r.status);
}

// Redirects (.well-known sends clients on to the account) are followed on the
// same host only, and never from https to http: the password goes along.
HttpResponse DavClient::Propfind(const std::string& url, const std::string& depth, const std::string& body) {
    std::string at = url;
    for (int hops = 0;; ++hops) {
        HttpResponse r = http_.Send({"PROPFIND",
                                     at,
                                     {{"Depth", depth}, {"Content-Type", "application/xml; charset=utf-8"}},
                                     body,
                                     kMaxListingBytes});
        r.url = at;
        const bool moved = r.status == 301 || r.status == 302 || r.status == 307 || r.status == 308;
        if (!moved || r.location.empty() || hops == 5) return r;
        const std::string next = ResolveUrl(at, r.location);
        if (!SameHost(at, next)) {
            r.status = 0;
            r.error =
                "the server sent the request on to " + next + ", another host; give that address instead";
            return r;
        }
        at = next;
    }
}

DavResult DavClient::Read(HttpResponse r, const std::string& what, Multistatus& out) {
    if (r.status != 207) return {DescribeFailure(r, what), r.status};
    if (!IsXml(r))
        return {what + ": the server answered with " + r.contentType + ", not a WebDAV answer", r.status};
    out = ReadMultistatus(std::move(r.body));
    if (!out.notRead.empty()) return {what + ": the server's answer was not read, " + out.notRead, r.status};
    if (!out.wellFormed) return {what + ": the server's answer could not be read", r.status};
    return {};
}

DavResult DavClient::Discover(const std::string& baseUrl, std::vector<DavCollection>& found) {
    // Where the user's principal is: asked of the base, then of .well-known.
    // What an answer names on another server than its own is never asked:
    // the password would go there.
    const std::string what = "Finding the collections";
    std::string principal, principalFrom, calendarHome, addressBookHome;
    std::vector<std::string> starts{baseUrl};
    for (const char* known : {"/.well-known/caldav", "/.well-known/carddav"})
        starts.push_back(ResolveUrl(baseUrl, known));
    HttpResponse last;
    for (const std::string& start : starts) {
        last = Propfind(start, "0", kHomeQuery);
        if (last.status == 0 || last.status == 401) return {DescribeFailure(last, what), last.status};
        if (last.status != 207) continue;
        const std::string from = last.url.empty() ? start : last.url;
        Multistatus m;
        if (DavResult bad = Read(last, what, m); !bad.ok()) return bad;
        for (const DavResource& r : m.responses)
            if (!r.principal.empty()) principal = ResolveUrl(principalFrom = from, r.principal);
        if (!principal.empty()) break;
    }
    if (principal.empty())
        return {what + ": the server names no user principal (it answered " + std::to_string(last.status) +
                    " at " + last.url + ")",
                last.status};
    if (!SameServer(principalFrom, principal))
        return {what + ": the server names the account at " + principal +
                    ", another server; give that address instead",
                0};
    Multistatus homes;
    const HttpResponse asked = Propfind(principal, "0", kHomeQuery);
    const std::string from = asked.url.empty() ? principal : asked.url;
    if (DavResult bad = Read(asked, what, homes); !bad.ok()) return bad;
    for (const DavResource& r : homes.responses) {
        if (!r.calendarHome.empty()) calendarHome = ResolveUrl(from, r.calendarHome);
        if (!r.addressBookHome.empty()) addressBookHome = ResolveUrl(from, r.addressBookHome);
    }
    DavResult result;
    std::set<std::string> seen;
    for (const std::string& home : {calendarHome, addressBookHome}) {
        if (home.empty() || !seen.insert(home).second) continue;
        if (!SameServer(from, home)) {
            result.notes.push_back("The server keeps collections at " + home +
                                   ", another server; they were passed over");
            continue;
        }
        Multistatus list;
        const HttpResponse listed = Propfind(home, "1", kCollectionQuery);
        const std::string at = listed.url.empty() ? home : listed.url;
        if (DavResult bad = Read(listed, "Listing the collections", list); !bad.ok()) return bad;
        for (const DavResource& r : list.responses) {
            if (!r.calendar && !r.addressBook) continue;
            DavCollection c;
            c.url = ResolveUrl(at, r.href);
            if (!SameServer(at, c.url)) continue;
            c.name = r.displayName;
            c.calendar = r.calendar;
            c.addressBook = r.addressBook;
            c.components = r.components;
            found.push_back(std::move(c));
        }
    }
    return result;
}

namespace {

// The notes on what a listing passed over.
void NotePassed(DavResult& result, std::size_t outside, std::size_t twice) {
    if (outside)
        result.notes.push_back(Passed(outside, "named something outside the collection; passed over"));
    if (twice) result.notes.push_back(Passed(twice, "named an item a second time; the last one was taken"));
}

}  // namespace

DavResult DavClient::ListEtags(const std::string& collectionUrl, std::map<std::string, std::string>& etags) {
    Multistatus m;
    DavResult result = Read(Propfind(collectionUrl, "1", kEtagQuery), "Listing " + collectionUrl, m);
    if (!result.ok()) return result;
    std::size_t outside = 0, twice = 0;
    std::set<std::string> listed;
    for (const DavResource& res : m.responses) {
        if (IsCollectionItself(collectionUrl, res.href) || res.collection) continue;
        const std::string path = MemberPath(collectionUrl, res.href);
        if (path.empty()) {
            ++outside;
            continue;
        }
        if (res.etag.empty()) continue;
        if (!listed.insert(path).second) ++twice;
        etags[path] = res.etag;
    }
    NotePassed(result, outside, twice);
    return result;
}

DavResult DavClient::ListChanges(const std::string& collectionUrl, const std::string& token,
                                 DavChanges& changes) {
    const std::string body = std::string(R"(<?xml version="1.0" encoding="utf-8"?>)") +
                             R"(<d:sync-collection xmlns:d="DAV:"><d:sync-token>)" + XmlEscaped(token) +
                             R"(</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop>)"
                             R"(</d:sync-collection>)";
    const std::string what = "Asking " + collectionUrl + " for changes";
    Multistatus m;
    DavResult result = Read(http_.Send({"REPORT",
                                        collectionUrl,
                                        {{"Depth", "0"}, {"Content-Type", "application/xml; charset=utf-8"}},
                                        body,
                                        kMaxListingBytes}),
                            what, m);
    if (!result.ok()) return result;
    changes.token = m.syncToken;
    if (changes.token.empty()) return {what + ": the server's answer could not be read", 207};
    std::size_t outside = 0, twice = 0;
    std::set<std::string> listed;
    for (const DavResource& res : m.responses) {
        if (IsCollectionItself(collectionUrl, res.href)) {
            // The collection itself: a truncated answer (507) is no whole list.
            if (res.status >= 300) return {what + ": the answer is not whole", 507};
            continue;
        }
        const std::string path = MemberPath(collectionUrl, res.href);
        if (path.empty()) {
            ++outside;
            continue;
        }
        if (!listed.insert(path).second) ++twice;
        if (res.status == 404) {
            changes.changed.erase(path);
            changes.removed.push_back(path);
        } else if (!res.etag.empty() && !res.collection) {
            changes.changed[path] = res.etag;
        }
    }
    NotePassed(result, outside, twice);
    return result;
}

DavResult DavClient::Fetch(const std::string& collectionUrl, bool addressBook,
                           const std::vector<std::string>& hrefs,
                           std::map<std::string, DavResource>& fetched) {
    const std::size_t kBatch = 500;
    DavResult result;
    std::size_t outside = 0, twice = 0, unasked = 0;
    // Each answer under the href it was asked by, whichever escapes the server writes.
    std::map<std::string, std::string> asked;
    for (const std::string& href : hrefs) asked.emplace(PercentDecoded(href), href);
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
        Multistatus m;
        DavResult read =
            Read(http_.Send({"REPORT",
                             collectionUrl,
                             {{"Depth", "1"}, {"Content-Type", "application/xml; charset=utf-8"}},
                             body,
                             kMaxListingBytes}),
                 "Fetching from " + collectionUrl, m);
        if (!read.ok()) return read;
        std::set<std::string> batch;
        for (DavResource& res : m.responses) {
            if (!(res.status >= 200 && res.status < 300 && !res.etag.empty())) continue;
            const std::string path = MemberPath(collectionUrl, res.href);
            const auto as = path.empty() ? asked.end() : asked.find(PercentDecoded(path));
            if (as == asked.end()) {
                ++(path.empty() ? outside : unasked);
                continue;
            }
            if (!batch.insert(as->second).second) ++twice;
            fetched[as->second] = std::move(res);
        }
    }
    NotePassed(result, outside, twice);
    if (unasked) result.notes.push_back(Passed(unasked, "brought an item not asked for; passed over"));
    return result;
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
