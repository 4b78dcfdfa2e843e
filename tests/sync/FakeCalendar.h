#pragma once

#include <functional>
#include <map>
#include <string>

#include "sync/Dav.h"
#include "sync/Http.h"

namespace veltrin::test {

// One calendar collection in memory, answering what sync asks as a CalDAV
// server does: PROPFIND of the ETags, calendar-multiget, PUT and DELETE with
// their preconditions, GET. It offers no sync-collection, so every sync
// lists the whole collection.
class FakeCalendar : public HttpTransport {
public:
    struct Item {
        std::string text, etag;
    };

    static constexpr const char* kUrl = "http://127.0.0.1:9/cal/";
    static constexpr const char* kPath = "/cal/";

    std::map<std::string, Item> items;  // by path
    int puts = 0, deletes = 0;
    // Runs just before a request is answered: another client writing meanwhile.
    std::function<void(const HttpRequest&)> before;

    // Another client's write: a new ETag.
    void Write(const std::string& path, const std::string& text) { items[path] = {text, NextEtag()}; }

    HttpResponse Send(const HttpRequest& r) override {
        if (before) before(r);
        HttpResponse out;
        const std::string path = PathOfUrl(r.url);
        if (r.method == "PROPFIND" && path == kPath) {
            std::string body = Head() + Response(kPath, "<d:resourcetype><d:collection/></d:resourcetype>");
            for (const auto& [href, item] : items)
                body += Response(href, "<d:getetag>" + item.etag + "</d:getetag>");
            return Answer(207, body + "</d:multistatus>");
        }
        if (r.method == "REPORT" && r.body.find("calendar-multiget") != std::string::npos) {
            std::string body = Head();
            for (std::size_t at = r.body.find("<d:href>"); at != std::string::npos;
                 at = r.body.find("<d:href>", at + 1)) {
                const std::size_t start = at + 8;
                const std::string href = r.body.substr(start, r.body.find("</d:href>", start) - start);
                const auto item = items.find(href);
                if (item == items.end()) {
                    body += "<d:response><d:href>" + href +
                            "</d:href><d:status>HTTP/1.1 404 Not Found</d:status></d:response>";
                    continue;
                }
                body += Response(href, "<d:getetag>" + item->second.etag + "</d:getetag><c:calendar-data>" +
                                           XmlEscaped(item->second.text) + "</c:calendar-data>");
            }
            return Answer(207, body + "</d:multistatus>");
        }
        if (r.method == "REPORT") return Answer(403);  // no sync-collection
        const auto item = items.find(path);
        const std::string ifMatch = Header(r, "If-Match");
        if (r.method == "GET") {
            if (item == items.end()) return Answer(404);
            out.status = 200;
            out.body = item->second.text;
            out.etag = item->second.etag;
            return out;
        }
        if (r.method == "PUT") {
            const bool exists = item != items.end();
            if ((!ifMatch.empty() && (!exists || item->second.etag != ifMatch)) ||
                (Header(r, "If-None-Match") == "*" && exists))
                return Answer(412);
            ++puts;
            Write(path, r.body);
            out.status = exists ? 204 : 201;
            out.etag = items[path].etag;
            return out;
        }
        if (r.method == "DELETE") {
            if (item == items.end()) return Answer(404);
            if (!ifMatch.empty() && item->second.etag != ifMatch) return Answer(412);
            ++deletes;
            items.erase(item);
            return Answer(204);
        }
        return Answer(405);
    }

private:
    static HttpResponse Answer(long status, std::string body = {}) {
        HttpResponse r;
        r.status = status;
        r.body = std::move(body);
        return r;
    }
    std::string NextEtag() { return "\"" + std::to_string(++serial_) + "\""; }
    static std::string Head() {
        return R"(<?xml version="1.0"?><d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">)";
    }
    static std::string Response(const std::string& href, const std::string& props) {
        return "<d:response><d:href>" + href + "</d:href><d:propstat><d:prop>" + props +
               "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
    }
    static std::string Header(const HttpRequest& r, const std::string& name) {
        for (const auto& [n, v] : r.headers)
            if (n == name) return v;
        return {};
    }
    int serial_ = 0;
};

}  // namespace veltrin::test
