#pragma once

#include <cstdint>

#include "core/engine_string.h"
#include "quaven/http.h"
#include "quaven/types.h"

// The engine's HTTP/1.0 client: one blocking request per call on the calling thread, over its
// own socket, with redirects followed and the whole response collected in memory.

// Limits that keep a hostile server from holding a request or its memory for ever.
const int kHTTPMaxRedirects = 10;          // further redirects are delivered as they came
const int kHTTPUrlPartBytes = 512;         // host and path: at most 511 characters each
const int kHTTPMaxHeaderBytes = 16384;     // response header text
const int kHTTPMaxHeaderLines = 128;
const int kHTTPMaxBodyBytes = 256 << 20;   // a larger body fails as a length mismatch
const uint32_t kHTTPDefaultStallMilliseconds = 30000;

// WSAStartup at version 1.1, once per process.
bool QVI_InitWinsock();

// The text after "http://" cut at the first '/' and then at the first ':'.
String QVI_GetHostFromURL(const char* url);

// A request with the engine's standard header block. headersOut and bodyOut, when given,
// receive the response header text and body.
int QVI_HTTPRequest(HTTPRequestType type, const char* url, const char* contentType, const void* body,
                    int bodyLength, Buffer* headersOut, Buffer* bodyOut, int* abortFlag);

// A request with the caller's header block (which ends with its own empty line).
int QVI_SendHTTPRequest(HTTPRequestType type, const char* url, const char* headers, int headersLength,
                        const void* body, int bodyLength, Buffer* headersOut, Buffer* bodyOut, int* abortFlag);

// How long a connection may go without progress (connecting, sending or receiving) before
// the request gives up. Answers the previous value; tests shorten it.
uint32_t QVI_SetHTTPStallTimeout(uint32_t milliseconds);

// For the fuzzing harness: while bytes is set, every request of this process reads its
// responses from bytes (one after another, a redirect reading on where the last response
// ended) instead of resolving, connecting and sending. Null restores the network.
void QVI_SetHTTPCannedResponse(const char* bytes, int size);
