/* A fault injector for the crash tests, loaded into vantor-cli with LD_PRELOAD. It counts the
 * renames, syncs and unlinks the program makes on files of one folder and, at the chosen one,
 * makes the call fail (EIO) or sends the program a signal just before the call is made.
 *
 *   VANTOR_FAULT_DIR     only calls on files in this folder (or below it) count
 *   VANTOR_FAULT_CALL    rename, fsync, unlink (remove counts as one) or link
 *   VANTOR_FAULT_AT      the N-th such call, from 1
 *   VANTOR_FAULT_ACTION  fail, SIGINT, SIGTERM or SIGKILL
 *   VANTOR_FAULT_LOG     a file that gets one line when the fault is injected
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static long counted;

static const char* setting(const char* name) {
    const char* value = getenv(name);
    return value != NULL ? value : "";
}

static int inFolder(const char* path) {
    const char* folder = setting("VANTOR_FAULT_DIR");
    size_t length = strlen(folder);
    char absolute[PATH_MAX];
    if (length == 0 || path == NULL) {
        return 0;
    }
    if (path[0] != '/') {
        if (getcwd(absolute, sizeof absolute) == NULL) {
            return 0;
        }
        strncat(absolute, "/", sizeof absolute - strlen(absolute) - 1);
        strncat(absolute, path, sizeof absolute - strlen(absolute) - 1);
        path = absolute;
    }
    return strncmp(path, folder, length) == 0 && (path[length] == '/' || path[length] == '\0');
}

static int fdInFolder(int fd) {
    char link[64];
    char path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, path, sizeof path - 1);
    if (n < 0) {
        return 0;
    }
    path[n] = '\0';
    return inFolder(path);
}

/* 0 to go on with the call, -1 when it is to fail. */
static int fault(const char* call, const char* path) {
    if (strcmp(setting("VANTOR_FAULT_CALL"), call) != 0) {
        return 0;
    }
    long at = atol(setting("VANTOR_FAULT_AT"));
    if (++counted != at) {
        return 0;
    }
    const char* action = setting("VANTOR_FAULT_ACTION");
    const char* log = setting("VANTOR_FAULT_LOG");
    if (*log != '\0') {
        int fd = open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd >= 0) {
            char line[PATH_MAX + 64];
            int n = snprintf(line, sizeof line, "%s %ld %s %s\n", call, at, action,
                             path != NULL ? path : "-");
            if (n > 0 && write(fd, line, (size_t)n) < 0) {
                /* the test then sees no injection and says so */
            }
            close(fd);
        }
    }
    if (strcmp(action, "fail") == 0) {
        errno = EIO;
        return -1;
    }
    if (strcmp(action, "SIGINT") == 0) {
        raise(SIGINT);
    } else if (strcmp(action, "SIGTERM") == 0) {
        raise(SIGTERM);
    } else if (strcmp(action, "SIGKILL") == 0) {
        raise(SIGKILL);
    }
    return 0;
}

#define REAL(name, type) ((type)dlsym(RTLD_NEXT, name))

int rename(const char* from, const char* to) {
    if (inFolder(from) && fault("rename", from) < 0) {
        return -1;
    }
    return REAL("rename", int (*)(const char*, const char*))(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    if (inFolder(from) && fault("rename", from) < 0) {
        return -1;
    }
    return REAL("renameat", int (*)(int, const char*, int, const char*))(fromDir, from, toDir, to);
}

int unlink(const char* path) {
    if (inFolder(path) && fault("unlink", path) < 0) {
        return -1;
    }
    return REAL("unlink", int (*)(const char*))(path);
}

int unlinkat(int dir, const char* path, int flags) {
    if (inFolder(path) && fault("unlink", path) < 0) {
        return -1;
    }
    return REAL("unlinkat", int (*)(int, const char*, int))(dir, path, flags);
}

int remove(const char* path) {
    if (inFolder(path) && fault("unlink", path) < 0) {
        return -1;
    }
    return REAL("remove", int (*)(const char*))(path);
}

int link(const char* existing, const char* name) {
    if (inFolder(name) && fault("link", name) < 0) {
        return -1;
    }
    return REAL("link", int (*)(const char*, const char*))(existing, name);
}

int fsync(int fd) {
    if (fdInFolder(fd) && fault("fsync", NULL) < 0) {
        return -1;
    }
    return REAL("fsync", int (*)(int))(fd);
}

int fdatasync(int fd) {
    if (fdInFolder(fd) && fault("fsync", NULL) < 0) {
        return -1;
    }
    return REAL("fdatasync", int (*)(int))(fd);
}
