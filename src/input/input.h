#pragma once

struct CoreState;
class InputImp;

// The input implementations (the XInput gamepads) and their list.

// Core initialisation: asks the static XInput implementation whether it is supported and
// lists it when it is ("XInput is not supported on this system." otherwise).
void QVI_AddStaticInputImplementations();
// Core initialisation: Init on every listed implementation.
void QVI_InitInputImplementations(CoreState* core);
// Once per drawn frame, before sound: Update on every listed implementation.
void QVI_UpdateInputImplementations();
// Once at the end of every drawn frame, after Present.
void QVI_EndInputImplementationsFrame();
// Shutdown: empties the list (the implementations are static objects).
void QVI_ClearInputImplementations();

// Lists an implementation (at most eight; a full list or one already listed is refused).
bool QVI_AddInputImplementation(InputImp* implementation);
int QVI_GetInputImplementationCount();
// The string-command dispatcher's last step: the command with a null argument to each
// implementation in list order; the first answer that is not null, else null.
const char* QVI_AskInputImplementations(const char* command);
