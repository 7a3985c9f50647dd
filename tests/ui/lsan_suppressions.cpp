// fontconfig keeps a cache for the life of the process; the leak checker of the sanitizer
// build would report it at exit from every test that lays out text.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
