#pragma once

#include "quaven/program.h"

// The stand-in record installed when the program library was built for another interface
// version and has been released: interface version 1406, windowed, developer mode, and
// callbacks that do nothing (Init answers true, Render resets the overlay drawing state,
// OnEvent answers 0). Everything else is zero.
void QVI_MakePlaceholderProgram(ProgramInterface* record);
