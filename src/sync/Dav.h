#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "sync/Http.h"

namespace veltrin {

// One <response> of a WebDAV multistatus, with the properties sync reads.
struct DavResource {
    std::string href;  // as the server wrote it, percent escapes and all
    int status = 0;    // of the response, or of its found properties
    std::string etag;
    std::string data;  // calendar-data or address-data of a REPORT
    bool collection = false, calendar = false, addressBook = false;
    std::vector<std::string> components;  // VEVENT, VJOURNAL, ... a calendar takes
    std::string displayName;
    std::string principal, calendarHome, addressBookHome;  // hrefs
};

// The most a multistatus answer may hold; a larger one is not read at all.
constexpr std::size_t kMaxDavResponses = 100000;
constexpr std::size_t kMaxDavElements = 2000000;

// The responses of a multistatus body; none when it is none. syncToken is
// the token a sync-collection report ends with.
struct Multistatus {
    std::vector<DavResource> responses;
    bool wellFormed = false;
    std::string notRead;  // why it was not read: more than the most, or entities of its own
    std::string syncToken;
};
// Parsed in the text's own memory, which it takes.
Multistatus ReadMultistatus(std::string xml);

// The path of the member of the collection an href names, for requests to
// the collection's own server; empty when it names anything else: another
// server, a path outside the collection or below a member, the collection.
std::string MemberPath(const std::string& collectionUrl, const std::string& href);
bool IsCollectionItself(const std::string& collectionUrl, const std::string& href);

// What changed in a collection since a sync token (everything when the token
// is empty): members by href with their new ETags, the removed ones, and the
// token to ask with next time.
struct DavChanges {
    std::map<std::string, std::string> changed;
    std::vector<std::string> removed;
    std::string token;
};

struct DavCollection {
    std::string url;
    std::string name;
    bool calendar = false, addressBook = false;
    std::vector<std::string> components;
};

// A failure of a WebDAV exchange in a few words, or empty.
struct DavResult {
    std::string error;
    long status = 0;
    std::vector<std::string> notes{};  // what was passed over in the server's answers
    bool ok() const { return error.empty(); }
};

class DavClient {
public:
    explicit DavClient(HttpTransport& http) : http_(http) {}

    // From a base URL to the collections of the account: .well-known, the
    // current user's principal and its calendar and address book homes.
    DavResult Discover(const std::string& baseUrl, std::vector<DavCollection>& found);

    // The ETag of every member of a collection, by href, asking for nothing else.
    DavResult ListEtags(const std::string& collectionUrl, std::map<std::string, std::string>& etags);

    // The same through sync-collection, where the server offers it: only
    // what changed since the token. Any failure means "list everything".
    DavResult ListChanges(const std::string& collectionUrl, const std::string& token, DavChanges& changes);

    // The members' texts and ETags, a few requests for many items.
    DavResult Fetch(const std::string& collectionUrl, bool addressBook, const std::vector<std::string>& hrefs,
                    std::map<std::string, DavResource>& fetched);

    // PUT with If-Match (etag given) or If-None-Match: * (etag empty). The
    // new ETag is in the response when the server tells it.
    HttpResponse Put(const std::string& url, const std::string& body, const std::string& contentType,
                     const std::string& ifMatch);
    HttpResponse Delete(const std::string& url, const std::string& ifMatch);
    HttpResponse Get(const std::string& url);

private:
    HttpResponse Propfind(const std::string& url, const std::string& depth, const std::string& body);
    // The answer read as a multistatus, or the error saying why it is none.
    DavResult Read(HttpResponse r, const std::string& what, Multistatus& out);
    HttpTransport& http_;
};

// A text as XML character data.
std::string XmlEscaped(const std::string& s);

// The message for an answer that is not a success.
std::string DescribeFailure(const HttpResponse& r, const std::string& what);

}  // namespace veltrin
