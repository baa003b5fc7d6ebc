// The input implementations until they arrive: the list of input implementations stays
// empty, so every step has nothing to do.
#include "input/input.h"

void QVI_AddStaticInputImplementations()
{
}

void QVI_InitInputImplementations(CoreState* core)
{
}

void QVI_UpdateInputImplementations()
{
}

void QVI_EndInputImplementationsFrame()
{
}

void QVI_ClearInputImplementations()
{
}
