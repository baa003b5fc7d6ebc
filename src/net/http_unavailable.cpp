// The HTTP client until it arrives: each member reports once that it is not available.
// Requests answer HTTP_ERROR_SOCKET (no request could be made) and leave the game's result
// pointers null; CreateBuffer answers null.
#include "net/http_api.h"

#include "core/missing_member.h"

namespace {

void ClearResult(Buffer** result)
{
    if (result)
        *result = nullptr;
}

}  // namespace

int QV_HTTPRequest(HTTPRequestType type, const char* url, const char* contentType, const void* body, int bodyLength,
                   Buffer** response, int* abortFlag)
{
    QVI_REPORT_MISSING_MEMBER("HTTPRequest");
    ClearResult(response);
    return HTTP_ERROR_SOCKET;
}

int QV_HTTPRequestEx(HTTPRequestType type, const char* url, const char* headers, int headersLength, const void* body,
                     int bodyLength, Buffer** responseHeaders, Buffer** responseBody, int* abortFlag)
{
    QVI_REPORT_MISSING_MEMBER("HTTPRequestEx");
    ClearResult(responseHeaders);
    ClearResult(responseBody);
    return HTTP_ERROR_SOCKET;
}

Buffer* QV_CreateBuffer(int size)
{
    QVI_REPORT_MISSING_MEMBER("CreateBuffer");
    return nullptr;
}

void QV_FreeBuffer(Buffer* buffer)
{
    QVI_REPORT_MISSING_MEMBER("FreeBuffer");
}
