// The bare baselines of the HTTP download benchmark: WSAStartup, a blocking socket connected to
// the server, one HTTP/1.0 GET, then recv until the server closes.
//
//   bare_http.exe keep PORT PATH     the body lands in one block of the length its header
//                                    announces (the engine keeps the whole body as well)
//   bare_http.exe discard PORT PATH  the body is received 64 KB at a time and dropped
//
// The server is on 127.0.0.1. Reports "bench work_ms" and "bench downloaded" (body bytes).
#include <winsock2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_work.h"

namespace {

// The announced body length in a header text, -1 without one.
long long ContentLength(const char* header)
{
    const char* field = strstr(header, "Content-Length:");
    return field ? atoll(field + strlen("Content-Length:")) : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool keep = argc == 4 && strcmp(argv[1], "keep") == 0;
    if (argc != 4 || (!keep && strcmp(argv[1], "discard") != 0)) {
        Bench_Report("error", "usage: bare_http.exe keep|discard PORT PATH");
        return 2;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        Bench_Report("error", "WSAStartup failed");
        return 1;
    }
    static char chunk[kReadChunkBytes + 1];
    const double startMs = Bench_NowMs();
    SOCKET connection = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(atoi(argv[2])));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connection == INVALID_SOCKET || connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        Bench_Report("error", "could not connect to port %s", argv[2]);
        return 1;
    }
    char request[512];
    const int length = snprintf(request, sizeof request, "GET %s HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n", argv[3]);
    send(connection, request, length, 0);

    // The header, up to its empty line, arrives in the first chunks; the rest of those chunks
    // is body.
    int headerBytes = 0;
    const char* headerEnd = nullptr;
    int got = 0;
    while (!headerEnd && headerBytes < kReadChunkBytes &&
           (got = recv(connection, chunk + headerBytes, kReadChunkBytes - headerBytes, 0)) > 0) {
        headerBytes += got;
        chunk[headerBytes] = '\0';
        headerEnd = strstr(chunk, "\r\n\r\n");
    }
    if (!headerEnd) {
        Bench_Report("error", "no response header");
        return 1;
    }
    const int bodyStart = static_cast<int>(headerEnd + 4 - chunk);
    long long received = headerBytes - bodyStart;
    char* body = nullptr;
    long long announced = ContentLength(chunk);
    if (keep) {
        if (announced < received || !(body = static_cast<char*>(malloc(static_cast<size_t>(announced) + 1)))) {
            Bench_Report("error", "no usable Content-Length");
            return 1;
        }
        memcpy(body, chunk + bodyStart, static_cast<size_t>(received));
        while (received < announced &&
               (got = recv(connection, body + received, static_cast<int>(announced - received), 0)) > 0)
            received += got;
    } else {
        while ((got = recv(connection, chunk, kReadChunkBytes, 0)) > 0)
            received += got;
    }
    closesocket(connection);
    const double workMs = Bench_NowMs() - startMs;
    Bench_Report("work_ms", "%.3f", workMs);
    Bench_Report("downloaded", "%lld", received);
    free(body);
    WSACleanup();
    return 0;
}
