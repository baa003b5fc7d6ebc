#pragma once

#include <cstdarg>

// Messages raised during pre-initialisation before logging has started: the configuration
// reader's and the identity checks' among them. They are kept in order and, once logging
// starts, delivered through the logging members as if raised then, popups included; when
// logging never starts (the "console" switch off) they go nowhere, as every message does.

// Pre-initialisation, as soon as the API table is filled: messages are kept from now on.
void QVI_BeginKeepingEarlyMessages();

// Log, LogEx and LogPopup before logging has started: keeps the message (formatted here)
// when messages are being kept. Answers whether it was kept.
bool QVI_KeepEarlyMessage(bool popup, int level, const char* format, va_list args);

// Logging has just started: every kept message goes through LogEx or LogPopup at its level,
// in the order raised, and keeping ends.
void QVI_DeliverEarlyMessages();

// Logging will not start, or the process ends: the kept messages are dropped and keeping ends.
void QVI_DropEarlyMessages();
