// Leak-checker suppressions for sanitizer builds: fontconfig keeps its configuration for
// the life of the process; that is not ours to free. Everything the D3DX stand-in allocates
// still counts.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
