/*
 * Quaven public interface: HTTP request types and results (API members
 * HTTPRequest and HTTPRequestEx).
 *
 * Requests are HTTP/1.0, blocking on the calling thread, with redirects
 * followed. Response headers and bodies arrive in Buffers that the game owns and
 * releases with FreeBuffer.
 */
#ifndef QUAVEN_HTTP_H
#define QUAVEN_HTTP_H

#include "quaven/base.h"

QUAVEN_EXTERN_C_BEGIN

typedef int32_t HTTPRequestType;
enum {
    QV_HTTP_POST = 1,
    QV_HTTP_GET = 2,
    QV_HTTP_HEAD = 3,
    QV_HTTP_PUT = 4,
    QV_HTTP_DELETE = 5
};

/* A request's result: the HTTP status (0 or more; the response is delivered for
 * any status), or one of the negative errors below. */
typedef int32_t HTTPResult;
enum {
    HTTP_ERROR_INVALID_URL = -1,          /* null, or not beginning with "http://" */
    HTTP_ERROR_SOCKET = -2,               /* no socket */
    HTTP_ERROR_ABORTED = -4,              /* the abort flag was 1, or shutdown was requested */
    HTTP_ERROR_HOST_NOT_FOUND = -5,
    HTTP_ERROR_CONNECT_FAILED = -6,
    HTTP_ERROR_UNKNOWN_REQUEST_TYPE = -7,
    HTTP_ERROR_LENGTH_MISMATCH = -8,      /* Content-Length differs from the bytes received */
    HTTP_ERROR_EMPTY_PACKET = -9
};

QUAVEN_EXTERN_C_END

#endif /* QUAVEN_HTTP_H */
