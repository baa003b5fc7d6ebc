#pragma once

#include <cstdint>

// What the engine knows about the machine, gathered once at pre-initialisation and answered
// by the platform commands. unique_id alone is filled on first use: read it only through
// QVI_GetDeviceUniqueId.
struct DeviceInfo {
    int32_t platform;         // 1: WINDOWS
    int32_t screen_size;      // 2: LARGE (SMALL 0, MEDIUM 1)
    char device_model[32];    // "PC"
    char os[256];             // "Windows <major>.<minor>.<build>"
    char unique_id[256];      // the first network adapter's address, else a time-based text
    char gpu_desc[128];       // the first display device's description shorter than 127 characters
    char cpu_desc[128];       // left empty
};

extern DeviceInfo g_deviceInfo;

// Zeroes and fills g_deviceInfo, logging each display device. unique_id is left empty
// until QVI_GetDeviceUniqueId next asks for it.
void QVI_GatherDeviceInfo();

// unique_id, filled on the first call after the gathering (the network query is slow to
// load); later calls answer the same text. Any thread may call it.
const char* QVI_GetDeviceUniqueId();
