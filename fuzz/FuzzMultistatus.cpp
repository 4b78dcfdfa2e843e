// Feeds arbitrary bytes to the WebDAV multistatus reader as a server's
// answer would reach it, and every href it names to the check that keeps a
// sync to its collection: a member must lie directly inside the collection,
// on its server.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sync/Dav.h"
#include "sync/Http.h"

using namespace veltrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string kCollection = "http://127.0.0.1:5232/anna/calendar/";
    const Multistatus m = ReadMultistatus(std::string(reinterpret_cast<const char*>(data), size));
    if (m.responses.size() > kMaxDavResponses) std::abort();
    for (const DavResource& r : m.responses) {
        for (const std::string& href : {r.href, r.principal, r.calendarHome}) {
            const std::string path = MemberPath(kCollection, href);
            if (path.empty()) continue;
            if (!SameServer(kCollection, ResolveUrl(kCollection, path)) ||
                IsCollectionItself(kCollection, path) || path.find_first_of("?#") != std::string::npos ||
                MemberPath(kCollection, path) != path)
                std::abort();
        }
    }
    return 0;
}
