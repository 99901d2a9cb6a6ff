// Linked into the test programs of sanitizer builds: leaks that belong to
// system libraries the Qt tests load (the font cache), not to this project.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
