#pragma once

#include "quaven/program.h"

// Offers the program its video parameters before the resolution is chosen: logs
// "Checking parameters with the program before video init." and, when the record has an
// OnEvent, sends it one EVENT_VIDEO_PARAMETERS event carrying the API table and the
// record's VideoParameters, which the program may change in place. Start-up copies the
// record's parameters into its video state before, and reads them back after.
void QVI_OfferVideoParameters(ProgramInterface* record);
