// The coverage callback for the programs of a coverage build other than the fuzzing driver
// (build-time tools, tests): an archive member, taken only where nothing defines it already.
extern "C" void __sanitizer_cov_trace_pc() {}
