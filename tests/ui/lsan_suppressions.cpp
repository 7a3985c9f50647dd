// fontconfig keeps a cache for the life of the process; the leak checker of the sanitizer
// build would report it at exit from every test that lays out text. Under a real X server
// Qt's platform plugin talks to D-Bus, whose library keeps a buffer to the end as well.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
