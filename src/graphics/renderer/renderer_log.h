#pragma once

// Renderer messages go through the API table's logging members. These wrappers format
// the text first (so a message may quote texts containing '%') and do nothing while the
// table is not filled yet, which keeps every renderer operation safe in tests and early
// start-up.

// LogPopup at the level: for failures a person should see (device and state creation).
void QVI_RendererLogPopup(int level, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

// LogEx at the level: progress and failures the run survives.
void QVI_RendererLog(int level, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
