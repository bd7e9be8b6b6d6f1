// Leak-checker suppressions for sanitizer builds: fontconfig keeps its configuration for
// the life of the process, and assimp's .x reader drops a few objects when it rejects a
// broken file. Neither is ours to free; everything the D3DX stand-in allocates still counts.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libassimp.so\n";
}
