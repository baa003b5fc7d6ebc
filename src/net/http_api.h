#pragma once

#include "quaven/http.h"
#include "quaven/types.h"

// The HTTP client and its response buffers.

// API members (slots 32 to 35).
int QV_HTTPRequest(HTTPRequestType type, const char* url, const char* contentType, const void* body, int bodyLength,
                   Buffer** response, int* abortFlag);
int QV_HTTPRequestEx(HTTPRequestType type, const char* url, const char* headers, int headersLength, const void* body,
                     int bodyLength, Buffer** responseHeaders, Buffer** responseBody, int* abortFlag);
Buffer* QV_CreateBuffer(int size);
void QV_FreeBuffer(Buffer* buffer);
