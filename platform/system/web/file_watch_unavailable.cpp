// A browser gives no file notifications: the inotify calls the file watcher makes answer that
// the system has none, and the watcher compares the files' status instead (system/file_watch.h).
#include <errno.h>
#include <sys/inotify.h>

extern "C" {

int inotify_init1(int) {
  errno = ENOSYS;
  return -1;
}

int inotify_add_watch(int, const char*, uint32_t) {
  errno = ENOSYS;
  return -1;
}

int inotify_rm_watch(int, int) {
  errno = ENOSYS;
  return -1;
}
}
