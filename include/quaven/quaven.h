/*
 * Quaven public interface: everything a game (prog.dll) is compiled against.
 *
 * A game exports QV_GetProgramInterface (quaven/program.h), fills in its program
 * record, and from then on reaches the engine through the API table in the
 * record's qv field (quaven/api.h).
 */
#ifndef QUAVEN_QUAVEN_H
#define QUAVEN_QUAVEN_H

#include "quaven/base.h"
#include "quaven/types.h"
#include "quaven/events.h"
#include "quaven/program.h"
#include "quaven/http.h"
#include "quaven/filesystem.h"
#include "quaven/bitmap.h"
#include "quaven/graphics.h"
#include "quaven/text.h"
#include "quaven/sound.h"
#include "quaven/services.h"
#include "quaven/api.h"

#endif /* QUAVEN_QUAVEN_H */
