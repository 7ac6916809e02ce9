# Sourced by tools/test.sh and tools/linux/fuzz.sh before they run the sanitizer build (build-sanitize/).
# Leaks are reported, except what SDL2, under sdl12-compat, keeps until the process ends, which is
# not the game's to fix (tests/lsan-suppressions.txt). Telling that from a surface the game forgot
# takes whole allocation stacks, which SDL2's lack of frame pointers makes the slow unwinder's
# work: it costs the component tests a few seconds and the fuzzer some of its runs.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0
export UBSAN_OPTIONS=print_stacktrace=1
# Quoted, as a space or a colon in the folder's name would end the path ('"' is not allowed there).
export LSAN_OPTIONS="suppressions=\"$root/tests/lsan-suppressions.txt\":print_suppressions=0"
