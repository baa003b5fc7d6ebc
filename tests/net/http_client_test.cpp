// The HTTP client as a game uses it through the API table, against the loopback test server:
// every method, redirects, error statuses, hostile servers and bad input.
#include <algorithm>
#include <cstring>
#include <string>

#include "net/http_client.h"
#include "net/http_test_server.h"
#include "support/engine_table.h"

namespace http_test {
namespace {

using quaven_test::LogCapture;

class HttpClient : public quaven_test::EngineTableTest {
protected:
    void TearDown() override {
        qv->FreeBuffer(body_);
        qv->FreeBuffer(headers_);
    }
    int Get(const std::string& path, HTTPRequestType type = QV_HTTP_GET, const std::string& payload = "") {
        qv->FreeBuffer(body_);
        body_ = nullptr;
        return qv->HTTPRequest(type, Url(path).c_str(), "text/x-quaven", payload.data(), int(payload.size()), &body_,
                               nullptr);
    }
    std::string Body() const { return Text(body_); }

    Buffer* body_ = nullptr;
    Buffer* headers_ = nullptr;
};

TEST_F(HttpClient, EveryMethodReachesTheServerWithTheStandardHeaders) {
    ASSERT_GT(ServerPort(), 0) << "the HTTP test server is not running";
    EXPECT_EQ(Get("/hello"), 200);
    EXPECT_EQ(Body(), "hello, quaven");
    EXPECT_EQ(body_->capacity, body_->size);
    EXPECT_EQ(body_->data[body_->size], 0);  // zero-terminated after the data

    const char* methods[] = {"", "POST", "GET", "HEAD", "PUT", "DELETE"};
    for (HTTPRequestType type : {QV_HTTP_POST, QV_HTTP_PUT, QV_HTTP_DELETE, QV_HTTP_GET}) {
        EXPECT_EQ(Get("/echo/x", type, "payload"), 200) << methods[type];
        for (const std::string& part :
             {"\"method\": \"" + std::string(methods[type]) + "\"", std::string("\"body\": \"payload\""),
              std::string("\"path\": \"/echo/x\""), std::string("\"Content-Length\": \"7\""),
              std::string("\"Content-Type\": \"text/x-quaven\""), std::string("; WINDOWS)"),
              std::string("\"Host\": \"127.0.0.1\""),  // without the port
              std::string("\"Accept-Language\": \"en-us\"")})
            EXPECT_NE(Body().find(part), std::string::npos) << part << " in " << Body();
    }
    // A HEAD answer announces the length of a body it does not carry: that is no mismatch.
    EXPECT_EQ(Get("/hello", QV_HTTP_HEAD), 200);
    EXPECT_EQ(body_->size, 0);
    // An empty body is still followed by its zero.
    EXPECT_EQ(Get("/empty"), 200);
    ASSERT_TRUE(body_->size == 0 && body_->data);
    EXPECT_EQ(body_->data[0], 0);

    // The caller's own header block, and the response header text handed back. It announces
    // its body: a server that closes with request bytes unread resets the connection, which
    // can overtake the answer it sent.
    const std::string own = "Host: 127.0.0.1\r\nX-Game: quaven\r\nContent-Length: 3\r\n\r\n";
    EXPECT_EQ(qv->HTTPRequestEx(QV_HTTP_POST, Url("/echo").c_str(), own.data(), int(own.size()), "abc", 3, &headers_,
                                &body_, nullptr),
              200);
    EXPECT_NE(Body().find("\"X-Game\": \"quaven\""), std::string::npos);
    const std::string header(reinterpret_cast<const char*>(headers_->data));
    EXPECT_EQ(header.rfind("HTTP/1.0 200", 0), 0u) << header;
    EXPECT_EQ(header.substr(header.size() - 4), "\r\n\r\n");
    EXPECT_EQ(headers_->size, int(header.size()) + 1);  // with its closing zero
}

TEST_F(HttpClient, RedirectsAreFollowedUpToTheLimitOnAPrivateCopyOfTheHeaders) {
    EXPECT_EQ(Get("/redirect/3"), 200);
    EXPECT_EQ(Body(), "hello, quaven");
    EXPECT_EQ(LogCapture::CountContaining("Forwarding to '"), 3);

    // The new host replaces the old one in the headers sent on, never in the caller's text.
    const char own[] = "Host: 127.0.0.1\r\n\r\n";
    char copy[sizeof own];
    memcpy(copy, own, sizeof own);
    EXPECT_EQ(qv->HTTPRequestEx(QV_HTTP_GET, Url("/redirect-to-localhost").c_str(), copy, int(strlen(copy)), nullptr, 0,
                                nullptr, &body_, nullptr),
              200);
    EXPECT_NE(Body().find("\"Host\": \"localhost\""), std::string::npos) << Body();
    EXPECT_STREQ(copy, own);

    LogCapture::Clear();
    EXPECT_EQ(Get("/loop"), 302);  // the eleventh redirect is delivered as it came
    EXPECT_EQ(LogCapture::CountContaining("Forwarding to '"), kHTTPMaxRedirects);
    EXPECT_EQ(LogCapture::CountContaining("More than 10 HTTP redirects"), 1);

    EXPECT_EQ(Get("/no-location"), 302);
    EXPECT_EQ(Body(), "moved");
    EXPECT_EQ(Get("/missing"), 404);
    EXPECT_EQ(Body(), "not here");
    EXPECT_EQ(LogCapture::CountContaining("Non-OK HTTP header (status code 404):\nHTTP/1.0 404"), 1);
}

TEST_F(HttpClient, HostileServersCostBoundedTimeAndMemory) {
    EXPECT_EQ(Get("/endless-headers"), HTTP_ERROR_CONNECT_FAILED);
    EXPECT_EQ(LogCapture::CountContaining("has more than 128 lines"), 1);
    EXPECT_EQ(Get("/huge-header-line"), HTTP_ERROR_CONNECT_FAILED);
    EXPECT_EQ(LogCapture::CountContaining("is longer than 16384 bytes"), 1);

    // Four terabytes announced, five bytes sent: nothing is set aside for the announcement.
    EXPECT_EQ(Get("/huge-length"), HTTP_ERROR_LENGTH_MISMATCH);
    EXPECT_EQ(Body(), "short");
    EXPECT_LT(body_->capacity, 1024);
    EXPECT_EQ(Get("/cut"), HTTP_ERROR_LENGTH_MISMATCH);
    EXPECT_EQ(body_->size, 100);
    EXPECT_EQ(LogCapture::CountPopups("Content-Length in header (1000 bytes) doesn't match received bytes (100 bytes)."),
              1);

    const uint32_t previous = QVI_SetHTTPStallTimeout(300);
    EXPECT_EQ(Get("/stall"), HTTP_ERROR_CONNECT_FAILED);
    EXPECT_EQ(LogCapture::CountContaining("No response header from"), 1);
    // A stalled body ends there, and the announced length decides.
    EXPECT_EQ(Get("/stall-body"), HTTP_ERROR_LENGTH_MISMATCH);
    EXPECT_EQ(Body(), "0123456789");
    EXPECT_EQ(LogCapture::CountContaining("No data from"), 1);
    EXPECT_EQ(LogCapture::CountPopups("Content-Length in header (100 bytes) doesn't match received bytes (10 bytes)."), 1);
    QVI_SetHTTPStallTimeout(previous);
}

TEST_F(HttpClient, AReceiveErrorEndsTheBodyTheAnnouncedLengthDecidesAndAnAnswerBeforeTheUploadEndsIsRead) {
    const uint32_t previous = QVI_SetHTTPStallTimeout(300);
    // A whole body that the server follows with a receive error (a stall: a reset may
    // overtake the bytes it follows) is whole: the announced length alone tells.
    EXPECT_EQ(Get("/stall-after-body"), 200);
    EXPECT_EQ(Body(), "whole body");
    // An announced empty body is whole before anything follows it, however the connection ends.
    EXPECT_EQ(Get("/stall-empty-length"), 200);
    ASSERT_TRUE(body_->size == 0 && body_->data);
    EXPECT_EQ(body_->data[0], 0);
    // Without a length only the server's close says the body is whole.
    EXPECT_EQ(Get("/no-length"), 200);
    EXPECT_EQ(Body(), "whole body");
    EXPECT_EQ(Get("/stall-no-length"), HTTP_ERROR_CONNECT_FAILED);
    EXPECT_EQ(Body(), "whole body");
    EXPECT_EQ(LogCapture::Count("Connection to '" + Url("/stall-no-length") +
                                "' failed after 10 bytes of a body of no announced length."),
              1);

    // The server answers having read only the header: the upload stalls, and the answer is
    // what the game gets.
    EXPECT_EQ(Get("/early-413", QV_HTTP_POST, std::string(24 << 20, 'u')), 413);
    EXPECT_EQ(Body(), "too large");
    QVI_SetHTTPStallTimeout(previous);
    EXPECT_EQ(Get("/hello"), 200);
}

TEST_F(HttpClient, BadRequestsFailWithoutReachingAServer) {
    auto request = [](const std::string& url, int bodyLength = 0, HTTPRequestType type = QV_HTTP_GET) {
        return qv->HTTPRequest(type, url.c_str(), nullptr, nullptr, bodyLength, nullptr, nullptr);
    };
    EXPECT_EQ(qv->HTTPRequest(QV_HTTP_GET, nullptr, nullptr, nullptr, 0, &body_, nullptr), HTTP_ERROR_INVALID_URL);
    EXPECT_TRUE(body_ && body_->data == nullptr && body_->size == 0);
    EXPECT_EQ(request("https://127.0.0.1/"), HTTP_ERROR_INVALID_URL);
    EXPECT_EQ(request("http://" + std::string(600, 'h') + "/a"), HTTP_ERROR_INVALID_URL);
    EXPECT_EQ(request(Url("/" + std::string(600, 'p'))), HTTP_ERROR_INVALID_URL);
    EXPECT_EQ(LogCapture::CountContaining("is longer than 511 characters"), 2);
    EXPECT_EQ(request(Url("/hello"), -1), HTTP_ERROR_INVALID_URL);
    EXPECT_EQ(request(Url("/hello"), 0, 9), HTTP_ERROR_UNKNOWN_REQUEST_TYPE);
    EXPECT_EQ(LogCapture::CountPopups("Unknown http request type (#9) for url '" + Url("/hello") + "'"), 1);
    int abort = 1;
    EXPECT_EQ(qv->HTTPRequest(QV_HTTP_GET, Url("/files/aborted").c_str(), nullptr, nullptr, 0, &body_, &abort),
              HTTP_ERROR_ABORTED);
    EXPECT_EQ(Hits("/files/aborted"), 0);
    EXPECT_EQ(request("http://127.0.0.1:1/"), HTTP_ERROR_CONNECT_FAILED);  // nothing listens on port 1
    EXPECT_EQ(LogCapture::Count("Connect to 'http://127.0.0.1:1/' failed.\n"), 1);
}

TEST_F(HttpClient, BuffersAndUrlHelpers) {
    for (int size : {16, 0, -5}) {
        Buffer* buffer = qv->CreateBuffer(size);
        ASSERT_NE(buffer, nullptr);
        EXPECT_TRUE(!buffer->data == (size < 1) && buffer->size == std::max(size, 0) &&
                    buffer->capacity == buffer->size && buffer->reserved == 0) << size;
        qv->FreeBuffer(buffer);
    }
    qv->FreeBuffer(nullptr);
    EXPECT_STREQ(QVI_GetHostFromURL("http://example.com:8080/a/b").text, "example.com");
    EXPECT_STREQ(QVI_GetHostFromURL("http://example.com").text, "example.com");
    EXPECT_STREQ(QVI_GetHTTPCachePath("http://a.b/c?d=1", false).text, "cache://http___a.b_c_d_1");
}

}  // namespace
}  // namespace http_test
