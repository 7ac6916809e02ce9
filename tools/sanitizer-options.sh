# Sourced by tools/test.sh and tools/fuzz.sh before they run the sanitizer build (build-sanitize/).
# Leaks are reported, except those LeakSanitizer finds wholly inside SDL's own libraries: SDL2,
# under sdl12-compat, keeps allocations until the process ends, which is not the game's to fix.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1
# Quoted, as a space or a colon in the folder's name would end the path ('"' is not allowed there).
export LSAN_OPTIONS="suppressions=\"$root/tests/lsan-suppressions.txt\":print_suppressions=0"
