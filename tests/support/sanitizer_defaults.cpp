// Linked into every program of the sanitizer builds, and nowhere else.
//
// The sanitizers' settings: every finding ends the program with an error, and leaks inside the
// OpenGL driver's own libraries are suppressed (lsan.supp names only those).
//
// The driver allocates memory that it never frees and is unloaded when the X connection closes,
// so LeakSanitizer, which runs at exit, would report those blocks from an unknown module that no
// suppression can name. Here dlclose leaves every library loaded, so the reports name the
// driver's libraries and the suppressions match them. The process is about to end anyway.
#include <dlfcn.h>

// The names are the ones that the sanitizers' runtimes look up, reserved as they are.
// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" {

const char *__asan_default_options() {
    return "detect_leaks=1:strict_string_checks=1";
}

const char *__lsan_default_options() {
    return "suppressions=" ROBOT_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

const char *__ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

int dlclose(void * /*handle*/) {
    return 0;
}
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
