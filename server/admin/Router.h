// The admin listener's routes: a request's method and path mapped to the handler that answers it,
// and the files of a folder for every GET that no route takes. Handlers run on the game thread; an
// asynchronous one answers later, through the reply it is given.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "StaticFiles.h"

namespace admin {

enum class Method { Get, Head, Post };

struct Request {
    Method method = Method::Get;
    std::string path;   // percent-decoded, without the query
    std::string query;  // after '?', as sent
    std::string body;
    // The headers the console's sessions need, empty when not sent.
    std::string cookie;     // Cookie
    std::string csrfToken;  // X-CSRF-Token
    std::string origin;     // Origin
    std::string fetchSite;  // Sec-Fetch-Site
    std::string host;       // Host
};

struct Response {
    int status = 200;
    std::string contentType = "text/plain; charset=utf-8";
    std::string body;
    // When not empty, the answer is an event stream of this name (text/event-stream) that stays
    // open; the server's Publish sends its events.
    std::string eventStream;
    // Whose stream it is (the console's session), so that it can be closed when that ends.
    std::string streamOwner;
    // More headers of the answer, such as Set-Cookie.
    std::vector<std::pair<std::string, std::string>> headers;
};

// A short text answer with a line end.
Response Text(int status, std::string line);

class Router {
public:
    using Handler = std::function<Response(const Request&)>;
    // Called once with the answer, on the game thread, at once or later.
    using Reply = std::function<void(Response)>;
    using AsyncHandler = std::function<void(const Request&, Reply)>;

    // A route for GET answers HEAD too (without the body).
    void Add(Method method, std::string path, Handler handler);
    void AddAsync(Method method, std::string path, AsyncHandler handler);
    // GETs and HEADs of paths that no route takes are files of `files`.
    void ServeFiles(StaticFiles files) { m_files = std::move(files); }
    // The route's answer; 404 when no route or file is found, 405 when the path takes another method.
    void Route(const Request& request, const Reply& reply) const;

private:
    std::map<std::pair<Method, std::string>, AsyncHandler> m_routes;
    std::optional<StaticFiles> m_files;
};

// The path of a request target ("/a%20b?x" gives "/a b"); null when its escapes are broken or it
// holds a NUL byte. The query is what follows the first '?'.
std::optional<std::pair<std::string, std::string>> SplitTarget(std::string_view target);
// The names and values of a query ("a=1&b=x+y%21" gives a: "1", b: "x y!"); null when an escape is
// broken, a name comes twice or there are more than kMaxQueryValues.
inline constexpr std::size_t kMaxQueryValues = 32;
std::optional<std::map<std::string, std::string>> QueryValues(std::string_view query);

}  // namespace admin
