// Transfers to one server share its kept-alive connection, and what one
// transfer's server sent never reaches the next transfer's memory.

#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"
#include "support/ScriptedTcpServer.h"

#include <gtest/gtest.h>

using net::URLConnection;
using net::URLRequest;
using testsupport::ScriptedTcpServer;

namespace {

net::URLLoadResult get(const ScriptedTcpServer& server, const std::string& path) {
    return URLConnection::sendSynchronousRequest(URLRequest(server.url(path)), 10.0);
}

std::string text(const net::URLLoadResult& result) { return std::string(result.data.begin(), result.data.end()); }

}  // namespace

TEST(ConnectionReuse, RequestsToOneServerShareItsConnection) {
    ScriptedTcpServer server(
        {{"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\none"}, {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\ntwo"}});
    for (const char* expected : {"one", "two"}) {
        net::URLLoadResult result = get(server, "/x");
        ASSERT_FALSE(result.error) << result.error->description;
        EXPECT_EQ(text(result), expected);
    }
    EXPECT_EQ(server.connectionCount(), 1u);
}

// Any device on the network can answer the remote camera's polls. A reply
// whose first field line is folded (it begins with a blank, so it would
// continue a field that this reply never had) is refused as a bad reply;
// it must not reach back into the fields of the reply before it.
TEST(ConnectionReuse, AFoldedFirstFieldAfterAnOrdinaryReplyIsRefused) {
    ScriptedTcpServer server({
        {"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nX-Last: field\r\nContent-Length: 2\r\n\r\nok"},
        {"HTTP/1.1 200 OK\r\n a: 1\r\n\r\n", true},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nagain"},
    });
    net::URLLoadResult first = get(server, "/status");
    ASSERT_FALSE(first.error) << first.error->description;
    EXPECT_EQ(text(first), "ok");

    net::URLLoadResult folded = get(server, "/status");
    ASSERT_TRUE(folded.error);
    EXPECT_EQ(folded.error->code, net::kURLErrorBadServerResponse) << folded.error->description;
    EXPECT_FALSE(folded.response);

    net::URLLoadResult after = get(server, "/status");
    ASSERT_FALSE(after.error) << after.error->description;
    EXPECT_EQ(text(after), "again");
    EXPECT_EQ(server.requestCount(), 3u);
}
