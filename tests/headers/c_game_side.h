/*
 * What headers_c.c (compiled as C99, the way a C game is) offers the C++ tests:
 * its view of the record layouts, and calls through an API table the way a game
 * makes them. headers_game_cpp.cpp adds a C++ game's view of the layouts.
 */
#ifndef QUAVEN_TESTS_HEADERS_C_GAME_SIDE_H
#define QUAVEN_TESTS_HEADERS_C_GAME_SIDE_H

#include <quaven/quaven.h>

QUAVEN_EXTERN_C_BEGIN

/* The C compiler's answers for the entries of layout_items.inc, in file order;
 * -1 for an index outside 0 to count - 1. */
int qv_c_layout_count(void);
long qv_c_layout_value(int index);

/* Calls through the table exactly as a C game would, with fixed arguments that
 * the tests check on the engine side. */
int qv_c_log(const QuavenAPI* qv);
int qv_c_log_ex(const QuavenAPI* qv);
uint32_t qv_c_play_sound_ex(const QuavenAPI* qv, Sound* sound);
bool qv_c_reinitialize(const QuavenAPI* qv, const char* language);
void qv_c_get_date_time(const QuavenAPI* qv, DateTime* out);
void qv_c_time_to_date_time(const QuavenAPI* qv, uint32_t seconds, DateTime* out);
void qv_c_peek_world_transform(const QuavenAPI* qv, Matrix4* out);
void qv_c_get_color(const QuavenAPI* qv, Color* out);
void qv_c_submit_score(const QuavenAPI* qv);
float qv_c_draw_text(const QuavenAPI* qv, Font* font);
void qv_c_post_event(const QuavenAPI* qv);
void qv_c_ugc_call1(const QuavenAPI* qv);
int qv_c_http_request(const QuavenAPI* qv, Buffer** response, int* abortFlag);

QUAVEN_EXTERN_C_END

#ifdef __cplusplus
/* The same answers from C++ without the engine's additions to the records. */
int GameCppLayoutCount();
long GameCppLayoutValue(int index);
#endif

#endif /* QUAVEN_TESTS_HEADERS_C_GAME_SIDE_H */
