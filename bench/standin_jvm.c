/* A JVM library that is no JVM: the benchmarks load it in place of a
 * runtime's libjvm.so / jvm.dll, so that what they time is the work of the
 * program that loads it and nothing of Java's.
 *
 * JNI_CreateJavaVM notes the moment it is entered (one line on standard
 * error, "standin-jvm: <nanoseconds since 1970>", on Linux followed by the
 * CPU time the whole process has used so far, user + system, in
 * microseconds) and fails at once with
 * JNI_ERR, creating nothing: a launcher then reports the failed creation
 * and ends with its failure code, deterministically and without a JVM to
 * destroy. JNI_GetDefaultJavaVMInitArgs answers as current JVMs do to the
 * version 1.1 query, with JNI_EVERSION and the arguments untouched.
 *
 * On Linux the first thing it does on entry is a call no loader makes,
 * access("/standin-jvm-entered"), so that a trace of the process can be cut
 * where the loader's work ends. */

#include <jni.h>

#include <stdio.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#endif

static unsigned long long nowNanoseconds(void)
{
#ifdef _WIN32
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const unsigned long long ticks = ((unsigned long long)now.dwHighDateTime << 32) | now.dwLowDateTime;
    return (ticks - 116444736000000000ULL) * 100ULL; /* from 1601 in 100 ns to 1970 in ns */
#else
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return (unsigned long long)now.tv_sec * 1000000000ULL + (unsigned long long)now.tv_nsec;
#endif
}

/* One unbuffered write, so the line is out before the caller ends. */
static void noteEntry(void)
{
    char line[96];
#ifdef _WIN32
    const int length = snprintf(line, sizeof line, "standin-jvm: %llu\n", nowNanoseconds());
#else
    const int marked = access("/standin-jvm-entered", F_OK);
    (void)marked;
    const unsigned long long now = nowNanoseconds();
    struct rusage usage;
    unsigned long long cpu = 0;
    if (getrusage(RUSAGE_SELF, &usage) == 0) {
        cpu = (unsigned long long)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000ULL +
              (unsigned long long)(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    }
    const int length = snprintf(line, sizeof line, "standin-jvm: %llu %llu\n", now, cpu);
#endif
    if (length <= 0) {
        return;
    }
#ifdef _WIN32
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, (DWORD)length, &written, NULL);
#else
    ssize_t ignored = write(2, line, (size_t)length);
    (void)ignored;
#endif
}

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args)
{
    (void)args;
    noteEntry();
    *vm = NULL;
    *env = NULL;
    return JNI_ERR;
}

JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args)
{
    (void)args;
    return JNI_EVERSION;
}
