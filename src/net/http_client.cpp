// Sockets first: the socket API comes in through win32.h and must precede every other header
// that might pull in <windows.h> on its own terms.
#include "platform/windows/winsock.h"

#include "net/http_client.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/configuration.h"
#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/events/event_queue.h"
#include "net/http_api.h"
#include "net/http_buffers.h"

namespace {

const char kHttpPrefix[] = "http://";
const int kHttpPrefixLength = 7;
const int kDefaultPort = 80;
const int kWindowsPlatformId = 1;
// A connection being opened is waited for in short slices, so that an abort flag or a shutdown
// request ends it promptly rather than at the stall timeout.
const uint32_t kPollSliceMilliseconds = 50;
// The body is received straight into the response's free space, at least the first and at most
// the second of these at a time.
const int kBodyReceiveBytes = 64 * 1024;
const int kBodyReceiveMaxBytes = 1024 * 1024;
const int kHeaderStartCapacity = 512;
const int kHeaderPeekBytes = 1024;
const int kStatusSearchWindow = 16;
const int kStatusMaxDigits = 7;
const int kUrlInLogCharacters = 200;

volatile LONG g_stallMilliseconds = static_cast<LONG>(kHTTPDefaultStallMilliseconds);

// The response the fuzzing harness has the client read instead of a connection's.
struct CannedResponse {
    const char* bytes = nullptr;
    int size = 0;
    int at = 0;
} g_canned;

bool IsAborted(const int* abortFlag)
{
    return (abortFlag && *abortFlag == 1) || QV_IsShuttingDown();
}

enum class Progress { kReady, kClosed, kAborted, kStalled, kFailed };

// Waits for a connection being opened until it is open or has failed, the caller aborts, or the
// stall timeout passes.
Progress WaitForConnection(SOCKET socket, const int* abortFlag)
{
    const uint32_t limit = static_cast<uint32_t>(g_stallMilliseconds);
    for (uint32_t waited = 0;;) {
        if (IsAborted(abortFlag))
            return Progress::kAborted;
        // A connection that fails to open is reported in the exception set, not as writable.
        fd_set open;
        fd_set failed;
        FD_ZERO(&open);
        FD_ZERO(&failed);
        FD_SET(socket, &open);
        FD_SET(socket, &failed);
        const uint32_t slice = limit - waited < kPollSliceMilliseconds ? limit - waited : kPollSliceMilliseconds;
        timeval timeout = {0, static_cast<long>(slice * 1000)};
        const int count = select(0, nullptr, &open, &failed, &timeout);
        if (count != 0)
            return count > 0 && !FD_ISSET(socket, &failed) ? Progress::kReady : Progress::kFailed;
        waited += slice;
        if (waited >= limit)
            return Progress::kStalled;
    }
}

// One receive of at most count bytes. The socket is blocking with the stall timeout as its
// receive timeout, so a flowing download costs one call per chunk.
Progress ReceiveSome(SOCKET socket, char* buffer, int count, int flags, int* received)
{
    if (g_canned.bytes) {
        const int got = count < g_canned.size - g_canned.at ? count : g_canned.size - g_canned.at;
        if (got <= 0)
            return Progress::kClosed;
        memcpy(buffer, g_canned.bytes + g_canned.at, static_cast<size_t>(got));
        g_canned.at += flags & MSG_PEEK ? 0 : got;
        *received = got;
        return Progress::kReady;
    }
    const int got = recv(socket, buffer, count, flags);
    if (got > 0) {
        *received = got;
        return Progress::kReady;
    }
    if (got == 0)
        return Progress::kClosed;
    return WSAGetLastError() == WSAETIMEDOUT ? Progress::kStalled : Progress::kFailed;
}

Progress SendAll(SOCKET socket, const char* bytes, int count, const int* abortFlag)
{
    if (g_canned.bytes)
        return Progress::kReady;
    while (count > 0) {
        if (IsAborted(abortFlag))
            return Progress::kAborted;
        const int sent = send(socket, bytes, count, 0);
        if (sent <= 0)
            return sent == SOCKET_ERROR && WSAGetLastError() == WSAETIMEDOUT ? Progress::kStalled : Progress::kFailed;
        bytes += sent;
        count -= sent;
    }
    return Progress::kReady;
}

class Connection {
public:
    SOCKET socket = INVALID_SOCKET;

    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { Close(); }

    void Close()
    {
        if (socket != INVALID_SOCKET)
            closesocket(socket);
        socket = INVALID_SOCKET;
    }
};

// Resolves the host and opens a non-blocking connection to it; 0 or an HTTPResult.
int Connect(Connection& connection, const char* host, int port, const char* url, const int* abortFlag)
{
    if (g_canned.bytes)
        return 0;
    QVI_InitWinsock();
    if (IsAborted(abortFlag))
        return HTTP_ERROR_ABORTED;
    const hostent* entry = gethostbyname(host);
    if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list ||
        !entry->h_addr_list[0]) {
        QVI_Report(QV_LOG_WARNING, "Unable to locate host '%s'\n", host);
        return HTTP_ERROR_HOST_NOT_FOUND;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    memcpy(&address.sin_addr, entry->h_addr_list[0], 4);

    if (IsAborted(abortFlag))
        return HTTP_ERROR_ABORTED;
    connection.socket = socket(AF_INET, SOCK_STREAM, 0);
    if (connection.socket == INVALID_SOCKET)
        return HTTP_ERROR_SOCKET;
    u_long nonBlocking = 1;
    const int noDelay = 1;
    bool connected = ioctlsocket(connection.socket, FIONBIO, &nonBlocking) == 0;
    setsockopt(connection.socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);

    if (IsAborted(abortFlag))
        return HTTP_ERROR_ABORTED;
    if (connected && connect(connection.socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        connected = WSAGetLastError() == WSAEWOULDBLOCK;
        if (connected) {
            const Progress progress = WaitForConnection(connection.socket, abortFlag);
            if (progress == Progress::kAborted)
                return HTTP_ERROR_ABORTED;
            int error = 0;
            int errorSize = sizeof error;
            connected = progress == Progress::kReady &&
                        getsockopt(connection.socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                                   &errorSize) == 0 &&
                        error == 0;
        }
    }
    if (!connected) {
        QVI_Report(QV_LOG_WARNING, "Connect to '%s' failed.\n", url);
        return HTTP_ERROR_CONNECT_FAILED;
    }
    // Connected: blocking from here on, each send and receive bounded by the stall timeout.
    u_long blocking = 0;
    const DWORD timeout = static_cast<DWORD>(g_stallMilliseconds);
    if (ioctlsocket(connection.socket, FIONBIO, &blocking) != 0 ||
        setsockopt(connection.socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                   sizeof timeout) != 0 ||
        setsockopt(connection.socket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout),
                   sizeof timeout) != 0)
        return HTTP_ERROR_SOCKET;
    return 0;
}

// Reads the header up to its empty line and not a byte further, so that nothing of the body is
// taken: the waiting bytes are looked at first and only the header's own are then received.
// Bounded in bytes and lines: a server that never ends its header cannot hold the request.
int ReadHeader(SOCKET socket, const char* url, const int* abortFlag, TextBuffer& header)
{
    int lineLength = 0;
    int lines = 0;
    char peeked[kHeaderPeekBytes];
    for (;;) {
        if (IsAborted(abortFlag))
            return HTTP_ERROR_ABORTED;
        int got = 0;
        switch (ReceiveSome(socket, peeked, kHeaderPeekBytes, MSG_PEEK, &got)) {
        case Progress::kReady: break;
        case Progress::kClosed:
            QVI_Report(QV_LOG_WARNING, "Zero length data packet received from '%s'. Closing connection.", url);
            return HTTP_ERROR_EMPTY_PACKET;
        case Progress::kAborted: return HTTP_ERROR_ABORTED;
        case Progress::kStalled:
            QVI_Report(QV_LOG_WARNING, "No response header from '%s' for %u ms. Closing connection.", url,
                       static_cast<unsigned>(g_stallMilliseconds));
            return HTTP_ERROR_CONNECT_FAILED;
        case Progress::kFailed:
            QVI_Report(QV_LOG_WARNING, "Connection to '%s' broke while receiving the header.", url);
            return HTTP_ERROR_CONNECT_FAILED;
        }
        // A line feed ends a line, carriage returns do not count, and a line feed after an
        // empty line ends the header.
        int take = got;
        bool ended = false;
        for (int i = 0; i < got && !ended; ++i) {
            if (peeked[i] == '\n') {
                ended = lineLength == 0;
                take = i + 1;
                lineLength = 0;
                if (!ended && ++lines > kHTTPMaxHeaderLines) {
                    QVI_Report(QV_LOG_WARNING,
                               "Response header from '%s' has more than %d lines. Closing connection.", url,
                               kHTTPMaxHeaderLines);
                    return HTTP_ERROR_CONNECT_FAILED;
                }
            } else if (peeked[i] != '\r') {
                ++lineLength;
            }
        }
        if (header.length + take > kHTTPMaxHeaderBytes || !header.Reserve(take, kHTTPMaxHeaderBytes)) {
            QVI_Report(QV_LOG_WARNING, "Response header from '%s' is longer than %d bytes. Closing connection.", url,
                       kHTTPMaxHeaderBytes);
            return HTTP_ERROR_CONNECT_FAILED;
        }
        // The bytes looked at are waiting already: these receives return at once.
        while (take > 0) {
            int received = 0;
            if (ReceiveSome(socket, header.data + header.length, take, 0, &received) != Progress::kReady) {
                QVI_Report(QV_LOG_WARNING, "Connection to '%s' broke while receiving the header.", url);
                return HTTP_ERROR_CONNECT_FAILED;
            }
            header.Commit(received);
            take -= received;
        }
        if (ended)
            return 0;
    }
}

// The number after the first blank within 16 characters of the first "HTTP/"; 0 without one.
int ParseStatus(const char* header)
{
    const char* version = strstr(header, "HTTP/");
    if (!version)
        return 0;
    for (int i = 0; i < kStatusSearchWindow && version[i]; ++i) {
        if (version[i] != ' ')
            continue;
        int status = 0;
        for (int digit = 0; digit < kStatusMaxDigits && version[i + 1 + digit] >= '0' && version[i + 1 + digit] <= '9';
             ++digit)
            status = status * 10 + (version[i + 1 + digit] - '0');
        return status;
    }
    return 0;
}

// The rest of the line after name, or null when the header lacks it.
String HeaderValue(const char* header, const char* name)
{
    const char* value = strstr(header, name);
    if (!value)
        return String();
    value += strlen(name);
    const size_t length = strcspn(value, "\r\n");
    String text;
    text.Format("%.*s", static_cast<int>(length), value);
    return text;
}

// The announced body length, -1 when none; values beyond any body the client accepts are
// kept saturated rather than wrapped.
int64_t ParseContentLength(const char* header)
{
    const String value = HeaderValue(header, "Content-Length:");
    if (!value.text)
        return -1;
    const char* digits = value.text;
    while (*digits == ' ' || *digits == '\t')
        ++digits;
    int64_t length = 0;
    for (; *digits >= '0' && *digits <= '9'; ++digits) {
        length = length * 10 + (*digits - '0');
        if (length > INT64_C(1) << 40)
            break;
    }
    return length;
}

// The caller's header block with every occurrence of one host replaced by another, in a block
// of the request's own: the caller's text is never written.
void ReplaceHost(const char* headers, int headersLength, const String& oldHost, const String& newHost,
                 TextBuffer& rewritten)
{
    const int oldLength = oldHost.text ? static_cast<int>(strlen(oldHost.text)) : 0;
    const int newLength = newHost.text ? static_cast<int>(strlen(newHost.text)) : 0;
    const int limit = 0x7fffffff - 1;
    int start = 0;
    for (int i = 0; oldLength > 0 && i + oldLength <= headersLength;) {
        if (memcmp(headers + i, oldHost.text, static_cast<size_t>(oldLength)) == 0) {
            rewritten.Append(headers + start, i - start, limit);
            rewritten.Append(newHost.text, newLength, limit);
            i += oldLength;
            start = i;
        } else {
            ++i;
        }
    }
    rewritten.Append(headers + start, headersLength - start, limit);
}

const char* MethodWord(HTTPRequestType type)
{
    switch (type) {
    case QV_HTTP_POST: return "POST ";
    case QV_HTTP_GET: return "GET ";
    case QV_HTTP_HEAD: return "HEAD ";
    case QV_HTTP_PUT: return "PUT ";
    case QV_HTTP_DELETE: return "DELETE ";
    default: return nullptr;
    }
}

void Zero(Buffer* buffer)
{
    if (buffer)
        memset(buffer, 0, sizeof *buffer);
}

// Collects the body until the server closes the connection or a receive fails; 0 or an
// HTTPResult. A failed or stalled receive ends the body like a close and sets *cut: the
// announced length then decides. Whatever arrived is in received either way.
int ReadBody(SOCKET socket, const char* url, const int* abortFlag, TextBuffer& received, bool* cut)
{
    *cut = false;
    for (;;) {
        if (IsAborted(abortFlag))
            return HTTP_ERROR_ABORTED;
        if (received.length >= kHTTPMaxBodyBytes) {
            QVI_Report(QV_LOG_WARNING, "Response body from '%s' is larger than %d bytes. Closing connection.", url,
                       kHTTPMaxBodyBytes);
            return HTTP_ERROR_LENGTH_MISMATCH;
        }
        const int least = kHTTPMaxBodyBytes - received.length < kBodyReceiveBytes ? kHTTPMaxBodyBytes - received.length
                                                                                  : kBodyReceiveBytes;
        if (!received.Reserve(least, kHTTPMaxBodyBytes)) {
            QVI_Report(QV_LOG_WARNING, "Out of memory for the response from '%s' after %d bytes.", url,
                       received.length);
            return HTTP_ERROR_LENGTH_MISMATCH;
        }
        // Large receives cost far less than many small ones, but a receive's whole buffer is
        // checked and touched by the system: the reserve beyond 1 MB is left alone.
        int room = received.capacity - 1 - received.length;
        if (room > kBodyReceiveMaxBytes)
            room = kBodyReceiveMaxBytes;
        int count = 0;
        switch (ReceiveSome(socket, received.data + received.length, room, 0, &count)) {
        case Progress::kReady: received.Commit(count); break;
        case Progress::kClosed: return 0;
        case Progress::kAborted: return HTTP_ERROR_ABORTED;
        case Progress::kStalled:
            QVI_Report(QV_LOG_WARNING, "No data from '%s' for %u ms after %d bytes. Closing connection.", url,
                       static_cast<unsigned>(g_stallMilliseconds), received.length);
            *cut = true;
            return 0;
        case Progress::kFailed:
            *cut = true;
            return 0;
        }
    }
}

int Send(HTTPRequestType type, const char* url, const char* headers, int headersLength, const void* body,
         int bodyLength, Buffer* headersOut, Buffer* bodyOut, int* abortFlag, int redirectsLeft)
{
    Zero(headersOut);
    Zero(bodyOut);
    if (!url || strncmp(url, kHttpPrefix, kHttpPrefixLength) != 0)
        return HTTP_ERROR_INVALID_URL;
    if (headersLength < 0 || bodyLength < 0 || (!headers && headersLength > 0) || (!body && bodyLength > 0)) {
        QVI_Report(QV_LOG_WARNING, "HTTP request to '%.*s': headers or body missing or of negative length.",
                   kUrlInLogCharacters, url);
        return HTTP_ERROR_INVALID_URL;
    }

    // Host and path each live in a buffer of 512 bytes: longer ones make the url invalid.
    const char* hostStart = url + kHttpPrefixLength;
    const char* slash = strchr(hostStart, '/');
    const size_t hostLength = slash ? static_cast<size_t>(slash - hostStart) : strlen(hostStart);
    const char* path = slash ? slash : "";
    while (*path == '/')
        ++path;
    if (hostLength >= static_cast<size_t>(kHTTPUrlPartBytes) || strlen(path) >= static_cast<size_t>(kHTTPUrlPartBytes)) {
        QVI_Report(QV_LOG_WARNING, "Invalid URL '%.*s...': its host or path is longer than %d characters.",
                   kUrlInLogCharacters, url, kHTTPUrlPartBytes - 1);
        return HTTP_ERROR_INVALID_URL;
    }
    char host[kHTTPUrlPartBytes];
    memcpy(host, hostStart, hostLength);
    host[hostLength] = '\0';

    const char* method = MethodWord(type);
    if (!method) {
        QVI_ReportPopup(QV_LOG_WARNING, "Unknown http request type (#%d) for url '%s'", type, url);
        return HTTP_ERROR_UNKNOWN_REQUEST_TYPE;
    }
    if (IsAborted(abortFlag))
        return HTTP_ERROR_ABORTED;

    int port = kDefaultPort;
    if (char* colon = strchr(host, ':')) {
        *colon = '\0';
        port = static_cast<uint16_t>(atoi(colon + 1));
    }
    if (!host[0]) {
        QVI_Report(QV_LOG_WARNING, "Invalid URL '%s': it names no host.", url);
        return HTTP_ERROR_INVALID_URL;
    }

    Connection connection;
    const int connected = Connect(connection, host, port, url, abortFlag);
    if (connected != 0)
        return connected;

    // The request line and the headers go out together: two small sends would wait on each
    // other's acknowledgement.
    TextBuffer request(kHeaderStartCapacity);
    const char* tail = " HTTP/1.0\r\n";
    const int limit = 0x7fffffff - 1;
    if (!request.Append(method, static_cast<int>(strlen(method)), limit) || !request.Append("/", 1, limit) ||
        !request.Append(path, static_cast<int>(strlen(path)), limit) ||
        !request.Append(tail, static_cast<int>(strlen(tail)), limit) || !request.Append(headers, headersLength, limit)) {
        QVI_Report(QV_LOG_WARNING, "Out of memory for the request to '%s'.", url);
        return HTTP_ERROR_SOCKET;
    }
    // A failed send is not the end: a server may answer before it has taken the whole body
    // (a 413 during an upload) and close, and that answer is what the caller gets. A server
    // that did not answer fails at the header.
    Progress sent = SendAll(connection.socket, request.data, request.length, abortFlag);
    if (sent == Progress::kReady)
        sent = SendAll(connection.socket, static_cast<const char*>(body), bodyLength, abortFlag);
    if (sent == Progress::kAborted)
        return HTTP_ERROR_ABORTED;

    TextBuffer header(kHeaderStartCapacity);
    const int headerResult = ReadHeader(connection.socket, url, abortFlag, header);
    if (headerResult != 0)
        return headerResult;
    const int status = ParseStatus(header.data);

    if (status == 301 || status == 302 || status == 303 || status == 307) {
        QVI_Report(QV_LOG_WARNING, "HTTP forwarding header (status code %d) received.", status);
        const String location = HeaderValue(header.data, "Location: ");
        if (location.text && redirectsLeft <= 0) {
            QVI_Report(QV_LOG_WARNING, "More than %d HTTP redirects from '%s'; the last one is delivered as it is.",
                       kHTTPMaxRedirects, url);
        } else if (location.text) {
            QVI_Report(QV_LOG_WARNING, "Forwarding to '%s'..", location.text);
            connection.Close();
            TextBuffer rewritten;
            ReplaceHost(headers, headersLength, QVI_GetHostFromURL(url), QVI_GetHostFromURL(location.text), rewritten);
            return Send(type, location.text, rewritten.data ? rewritten.data : "", rewritten.length, body, bodyLength,
                        headersOut, bodyOut, abortFlag, redirectsLeft - 1);
        }
    } else if (status != 200) {
        QVI_Report(QV_LOG_WARNING, "Non-OK HTTP header (status code %d):\n%s\n", status, header.data);
    }

    if (headersOut)
        QVI_CopyIntoBuffer(headersOut, header.data, header.length + 1);
    const int64_t announced = ParseContentLength(header.data);
    // A HEAD response announces the length of a body it never carries.
    if (!bodyOut || type == QV_HTTP_HEAD)
        return status;

    TextBuffer received;
    bool cut = false;
    const int bodyResult = ReadBody(connection.socket, url, abortFlag, received, &cut);
    received.MoveTo(bodyOut);
    if (bodyResult != 0)
        return bodyResult;
    if (announced >= 0 && announced != bodyOut->size) {
        QVI_ReportPopup(QV_LOG_WARNING, "Content-Length in header (%d bytes) doesn't match received bytes (%d bytes).",
                        announced > 0x7fffffff ? 0x7fffffff : static_cast<int>(announced), bodyOut->size);
        return HTTP_ERROR_LENGTH_MISMATCH;
    }
    // Without an announced length only the close says the body is whole: one cut by a broken
    // connection is not a success.
    if (cut && announced < 0) {
        QVI_Report(QV_LOG_WARNING, "Connection to '%s' failed after %d bytes of a body of no announced length.", url,
                   bodyOut->size);
        return HTTP_ERROR_CONNECT_FAILED;
    }
    return status;
}

}  // namespace

bool QVI_InitWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(0x0101, &data) == 0;
    }();
    (void)started;
    return true;
}

String QVI_GetHostFromURL(const char* url)
{
    if (!url || strlen(url) < static_cast<size_t>(kHttpPrefixLength))
        return String("");
    const char* host = url + kHttpPrefixLength;
    const size_t length = strcspn(host, "/");
    const size_t beforePort = strcspn(host, ":");
    String text;
    text.Format("%.*s", static_cast<int>(beforePort < length ? beforePort : length), host);
    return text;
}

void QVI_SetHTTPCannedResponse(const char* bytes, int size)
{
    g_canned.bytes = bytes;
    g_canned.size = bytes && size > 0 ? size : 0;
    g_canned.at = 0;
}

uint32_t QVI_SetHTTPStallTimeout(uint32_t milliseconds)
{
    return static_cast<uint32_t>(InterlockedExchange(&g_stallMilliseconds, static_cast<LONG>(milliseconds)));
}

int QVI_SendHTTPRequest(HTTPRequestType type, const char* url, const char* headers, int headersLength,
                        const void* body, int bodyLength, Buffer* headersOut, Buffer* bodyOut, int* abortFlag)
{
    return Send(type, url, headers, headersLength, body, bodyLength, headersOut, bodyOut, abortFlag,
                kHTTPMaxRedirects);
}

int QVI_HTTPRequest(HTTPRequestType type, const char* url, const char* contentType, const void* body,
                    int bodyLength, Buffer* headersOut, Buffer* bodyOut, int* abortFlag)
{
    Zero(bodyOut);
    const ProgramInterface* program = g_core.settings;
    const String host = QVI_GetHostFromURL(url);
    String headers;
    headers.Format("Accept: */*\r\n"
                   "User-Agent: Mozilla/5.0 (%.*s/%.*s; %s)\r\n"
                   "Content-Length: %d\r\n"
                   "Accept-Language: en-us\r\n"
                   "Host: %s\r\n"
                   "Content-Type: %s\r\n"
                   "\r\n",
                   static_cast<int>(sizeof program->id), program ? program->id : "",
                   static_cast<int>(sizeof program->version), program ? program->version : "",
                   QVI_GetPlatformName(kWindowsPlatformId), bodyLength, host.text ? host.text : "",
                   contentType ? contentType : "application/octet-stream");
    if (IsAborted(abortFlag))
        return HTTP_ERROR_ABORTED;
    return QVI_SendHTTPRequest(type, url, headers.text, static_cast<int>(strlen(headers.text)), body, bodyLength,
                               headersOut, bodyOut, abortFlag);
}

int QV_HTTPRequest(HTTPRequestType type, const char* url, const char* contentType, const void* body, int bodyLength,
                   Buffer** response, int* abortFlag)
{
    Buffer* record = nullptr;
    if (response) {
        record = static_cast<Buffer*>(calloc(1, sizeof(Buffer)));
        *response = record;
    }
    return QVI_HTTPRequest(type, url, contentType, body, bodyLength, nullptr, record, abortFlag);
}

int QV_HTTPRequestEx(HTTPRequestType type, const char* url, const char* headers, int headersLength, const void* body,
                     int bodyLength, Buffer** responseHeaders, Buffer** responseBody, int* abortFlag)
{
    Buffer* headersRecord = nullptr;
    Buffer* bodyRecord = nullptr;
    if (responseHeaders) {
        headersRecord = static_cast<Buffer*>(calloc(1, sizeof(Buffer)));
        *responseHeaders = headersRecord;
    }
    if (responseBody) {
        bodyRecord = static_cast<Buffer*>(calloc(1, sizeof(Buffer)));
        *responseBody = bodyRecord;
    }
    return QVI_SendHTTPRequest(type, url, headers, headersLength, body, bodyLength, headersRecord, bodyRecord,
                               abortFlag);
}
