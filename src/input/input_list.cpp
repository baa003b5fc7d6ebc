// The engine's list of input implementations and the calls it makes on all of them. Only
// the main thread touches the list.
#include "input/input.h"

#include "core/core_state.h"
#include "core/engine_log.h"
#include "input/interface/input_imp.h"
#include "platform/window_seams.h"
#include "platform/windows/input/input_imp_xinput.h"

namespace {

const int kMaxInputImplementations = 8;

InputImp* g_inputs[kMaxInputImplementations];
int g_inputCount = 0;

void SetAllActive(bool active)
{
    for (int i = 0; i < g_inputCount; ++i)
        g_inputs[i]->SetActive(active);
}

}  // namespace

bool QVI_AddInputImplementation(InputImp* implementation)
{
    if (!implementation || g_inputCount >= kMaxInputImplementations)
        return false;
    for (int i = 0; i < g_inputCount; ++i) {
        if (g_inputs[i] == implementation)
            return false;
    }
    g_inputs[g_inputCount++] = implementation;
    // The window tells the list about focus changes from now on.
    QVI_SetInputActivationFunction(SetAllActive);
    return true;
}

int QVI_GetInputImplementationCount()
{
    return g_inputCount;
}

void QVI_AddStaticInputImplementations()
{
    InputImp* xinput = QVI_GetXInputImplementation();
    if (xinput->IsSupported())
        QVI_AddInputImplementation(xinput);
    else
        QVI_Report(QV_LOG_WARNING, "XInput is not supported on this system.");
}

void QVI_InitInputImplementations(CoreState* core)
{
    // One that fails stays listed: it knows not to poll.
    for (int i = 0; i < g_inputCount; ++i)
        g_inputs[i]->Init(core);
}

void QVI_UpdateInputImplementations()
{
    for (int i = 0; i < g_inputCount; ++i)
        g_inputs[i]->Update();
}

void QVI_EndInputImplementationsFrame()
{
    for (int i = 0; i < g_inputCount; ++i)
        g_inputs[i]->EndFrame();
}

void QVI_ClearInputImplementations()
{
    g_inputCount = 0;
    QVI_SetInputActivationFunction(nullptr);
}

const char* QVI_AskInputImplementations(const char* command)
{
    for (int i = 0; i < g_inputCount; ++i) {
        const char* answer = g_inputs[i]->Command(command, nullptr);
        if (answer)
            return answer;
    }
    return nullptr;
}
