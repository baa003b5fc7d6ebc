// The loopback server of http_test_server.py as the tests reach it: CTest starts it before the
// tests and leaves its port in a file.
#pragma once

#include <fstream>
#include <string>

#include "core/engine_log.h"
#include "filesystem/http_system.h"

namespace http_test {

// 0 when the server is not running (the test then fails on it).
inline int ServerPort() {
    int port = 0;
    std::ifstream(QUAVEN_HTTP_SERVER_DIR "/port") >> port;
    return port;
}

inline std::string Url(const std::string& path) { return "http://127.0.0.1:" + std::to_string(ServerPort()) + path; }

inline std::string Text(const Buffer* buffer) {
    return buffer && buffer->data ? std::string(reinterpret_cast<const char*>(buffer->data), buffer->size) : "";
}

// How often the server has been asked for path.
inline int Hits(const std::string& path) {
    Buffer* body = nullptr;
    const int status = qv->HTTPRequest(QV_HTTP_GET, Url("/hits" + path).c_str(), nullptr, nullptr, 0, &body, nullptr);
    const int hits = status == 200 ? std::stoi(Text(body)) : -1;
    qv->FreeBuffer(body);
    return hits;
}

inline std::string CacheFile(const std::string& url) { return QVI_GetHTTPCachePath(url.c_str(), true).text; }

}  // namespace http_test
