#include "input/input_seams.h"

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
