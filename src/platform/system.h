#pragma once

#include <cstddef>
#include <cstdint>

// What the engine asks of the operating system about its own process and the machine it
// runs on: libraries loaded at run time, the immediate end of the process, the one running
// instance of a program, and the machine's description. platform/windows implements these.

// ---- Libraries loaded at run time ------------------------------------------------------

struct OsLibrary;  // opaque; a loaded library

// Loads a library by file name (found through the OS's library search) or by native path.
// Null when it cannot be loaded, with the OS's error code in *error when error is not null.
OsLibrary* QVI_OsLoadLibrary(const char* name, uint32_t* error);
// The address of the library's export of that name, or null when it has none.
void* QVI_OsFindLibrarySymbol(OsLibrary* library, const char* name);
// Releases the library; what was found in it must not be used any more. Null is ignored.
void QVI_OsFreeLibrary(OsLibrary* library);

// ---- The process --------------------------------------------------------------------------

// Ends the process at once with the exit code: global destructors and exit handlers do not
// run, and other threads are stopped wherever they are.
[[noreturn]] void QVI_OsEndProcess(int exitCode);

// ---- One running instance -----------------------------------------------------------------

struct OsNamedMutex;  // opaque; a mutex other processes find by its name

// True when a named mutex of that name exists and this process could open it (the handle
// is closed again at once).
bool QVI_OsNamedMutexExists(const char* name);
// Creates a named mutex that no thread owns. It is never closed: other processes see it
// until this one ends. Null when it could not be created.
OsNamedMutex* QVI_OsCreateNamedMutex(const char* name);

// Asked once for each top-level window, in the OS's order, with its title (read up to 511
// characters; "" for a window without one); true picks the window.
using OsWindowTitleMatch = bool (*)(const char* title, void* context);
// Brings the first top-level window that matches to the front and restores it (a minimised
// window is shown again). True when one matched; the windows after it are not asked about.
bool QVI_OsRaiseTopLevelWindow(OsWindowTitleMatch matches, void* context);

// ---- The machine --------------------------------------------------------------------------

// The operating system's version numbers. False when the OS does not tell them.
bool QVI_OsVersion(uint32_t* major, uint32_t* minor, uint32_t* build);

// Room for the longest display adapter description the OS gives, with its terminator.
const size_t kOsDisplayAdapterNameBytes = 128;
// The description of the display adapter at index (counted from 0), cut to size - 1
// characters and always zero-terminated. False when there is no adapter at that index.
bool QVI_OsDisplayAdapterName(uint32_t index, char* name, size_t size);

// The first network adapter that tells its hardware address: the adapter's number and the
// six address bytes. False when none does. The query loads the network stack, which is slow
// and pulls in libraries a game may never need: callers ask only when the answer is needed.
bool QVI_OsFirstNetworkAdapterAddress(uint8_t* adapterNumber, uint8_t address[6]);
