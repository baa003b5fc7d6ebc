/*
 * What headers_c.c (compiled as C99, the way a C game is) offers the C++ tests:
 * its view of the record layouts, and calls through an API table the way a game
 * makes them. headers_game_cpp.cpp adds a C++ game's view of the layouts.
 */
#pragma once

#include <quaven/quaven.h>

QUAVEN_EXTERN_C_BEGIN

/* The C compiler's answers for the entries of layout_items.inc, in file order. */
extern const long qv_c_layout[];
extern const int qv_c_layout_count;

/* Calls through the table exactly as a C game would, with fixed arguments that the tests
 * check on the engine side. Log, LogEx and DrawText; their answers, in that order. */
void qv_c_varargs_calls(const QuavenAPI* qv, Font* font, float answers[3]);
/* PlaySoundEx, ReinitializeWithParameters and SubmitScore; PlaySoundEx's answer,
 * or 0 when ReinitializeWithParameters answers false. */
uint32_t qv_c_records_by_value(const QuavenAPI* qv, Sound* sound, const char* language);
/* GetDateTime, TimeToDateTime(0xFFFFFFF0), PeekWorldTransform and GetColor. */
void qv_c_records_returned(const QuavenAPI* qv, DateTime dates[2], Matrix4* matrix, Color* colour);
void qv_c_post_event(const QuavenAPI* qv);
/* ugc->Call1(11, 22, 33), then an HTTPRequest whose answer it passes on. */
int qv_c_pass_through_calls(const QuavenAPI* qv, Buffer** response, int* abortFlag);

QUAVEN_EXTERN_C_END

#ifdef __cplusplus
/* The same answers from C++ without the engine's additions to the records. */
extern const long kGameCppLayout[];
extern const int kGameCppLayoutCount;
#endif
