/* Preloaded into the sanitized programs: Mesa unloads its driver at shutdown, after which
   LeakSanitizer cannot tell which library a leak came from, nor suppress it by name. */
int dlclose(void* handle) {
  (void)handle;
  return 0;
}
