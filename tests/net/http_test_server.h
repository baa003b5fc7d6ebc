// The loopback server of http_test_server.py, as the tests reach it: CTest starts it before
// the tests and leaves its port in a file.
#pragma once

#include <fstream>
#include <string>

#include "core/engine_log.h"
#include "core/engine_string.h"
#include "filesystem/http_system.h"
#include "quaven/api.h"

namespace http_test {

// The port the server listens on; 0 when it is not running (the test then fails on it).
inline int ServerPort() {
    std::ifstream file(QUAVEN_HTTP_SERVER_DIR "/port");
    int port = 0;
    file >> port;
    return port;
}

inline std::string Url(const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(ServerPort()) + path;
}

// How often the server has been asked for path.
inline int Hits(const std::string& path) {
    Buffer* body = nullptr;
    const int status = qv->HTTPRequest(QV_HTTP_GET, Url("/hits" + path).c_str(), nullptr, nullptr, 0, &body, nullptr);
    const int hits = status == 200 && body && body->data ? std::stoi(reinterpret_cast<const char*>(body->data)) : -1;
    qv->FreeBuffer(body);
    return hits;
}

inline std::string Text(const Buffer* buffer) {
    return buffer && buffer->data ? std::string(reinterpret_cast<const char*>(buffer->data), buffer->size) : "";
}

// The native file of a url's cache copy.
inline std::string CacheFile(const std::string& url) { return QVI_GetHTTPCachePath(url.c_str(), true).text; }

}  // namespace http_test
